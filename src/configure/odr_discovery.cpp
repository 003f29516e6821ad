// Finding the queues that the ODR assigns to this print server, and remembering the ODR's name.
#include "configure/configure.h"

#include "library/services.h"
#include "platform/printable.h"
#include "platform/registry.h"
#include "product/product.h"
#include "resources/formats.h"
#include "resources/ids.h"
#include "store/records.h"
#include "store/registry_access.h"
#include "ui/address_edit.h"
#include "ui/message_box.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <optional>
#include <vector>

namespace lntc {

namespace {

// Where the RLK server's remote-procedure service is listed in the services database, and
// the port it listens on when it is not listed.
constexpr const char* kRlkServiceName = "rlk";
constexpr uint16_t kRlkDefaultPort = 32769;
constexpr uint16_t kFirstListCapacity = 10;
constexpr uint32_t kPropertyDataOffset = 6;

// "a.b.c.d" with four decimal numbers of at most 255, nothing else.
std::optional<std::array<uint8_t, 4>> parseAddress(std::string_view text) {
    std::array<uint8_t, 4> bytes{};
    const char* p = text.data();
    const char* end = text.data() + text.size();
    for (size_t i = 0; i < 4; ++i) {
        if (i > 0) {
            if (p == end || *p != '.') return std::nullopt;
            ++p;
        }
        unsigned value = 0;
        auto [next, ec] = std::from_chars(p, end, value);
        if (ec != std::errc() || next == p || next - p > 3 || value > 255) return std::nullopt;
        bytes[i] = static_cast<uint8_t>(value);
        p = next;
    }
    if (p != end) return std::nullopt;
    return bytes;
}

// Releases the RLK link however the fetch ends.
class RlkLink {
  public:
    explicit RlkLink(ProductLibs& product) : product_(product) {}
    ~RlkLink() {
        if (table_ != nullptr) product_.abstUnlink(&table_);
    }
    RlkLink(const RlkLink&) = delete;
    RlkLink& operator=(const RlkLink&) = delete;
    uint32_t link() {
        uint32_t rc = product_.abstLink("RLK", &table_, 2);
        if (rc == 0 && table_ == nullptr) rc = kRlkNoLibrary;
        return rc;
    }
    const RlkTable& table() const { return *table_; }

  private:
    ProductLibs& product_;
    const RlkTable* table_ = nullptr;
};

} // namespace

uint32_t FetchOdrQueueNames(const Services& svc, const std::string& odrName,
                            const std::string& tcpAddress, std::vector<std::string>& names) {
    names.clear();
    std::optional<RlkServerAddress> server;
    if (!tcpAddress.empty()) {
        auto bytes = parseAddress(tcpAddress);
        // The address control only yields dotted quads; anything else is the caller's error.
        if (!bytes) return kRlkBadArgument;
        std::optional<uint16_t> port;
        if (SystemServices* services = svc.platform.services)
            port = services->servicePort(kRlkServiceName);
        server = RlkServerAddress{
            0xFFFFFFFFu, 0, static_cast<uint16_t>((*bytes)[0] << 8 | (*bytes)[1]),
            static_cast<uint16_t>((*bytes)[2] << 8 | (*bytes)[3]), port.value_or(kRlkDefaultPort)};
    }
    const RlkServerAddress* address = server ? &*server : nullptr;

    const size_t colon = odrName.find(':');
    const std::string domain = odrName.substr(0, colon);
    std::string organization;
    if (colon != std::string::npos) {
        organization = odrName.substr(colon + 1);
        organization = organization.substr(0, organization.find(':'));
    }
    RlkName pattern{};
    setField(pattern.organization, organization);
    setField(pattern.domain, domain);
    setField(pattern.object, "*");

    RlkLink link(svc.product);
    if (uint32_t rc = link.link()) return rc;
    const RlkTable& table = link.table();

    std::vector<RlkName> array(kFirstListCapacity);
    RlkNameList list{0, kFirstListCapacity, array.data()};
    RlkErrorRecord error{};
    uint32_t rc = table.listObjects()(address, &pattern, kRlkPrintQueueType, &list, 0, &error);
    // A full list may have left names out: ask again with twice the room, as far as the
    // list's 16-bit capacity reaches.
    while (rc == 0 && list.count >= list.capacity && list.capacity < UINT16_MAX) {
        const size_t capacity = std::min<size_t>(size_t{list.capacity} * 2, UINT16_MAX);
        array.assign(capacity, RlkName{});
        list = RlkNameList{0, static_cast<uint16_t>(capacity), array.data()};
        rc = table.listObjects()(address, &pattern, kRlkPrintQueueType, &list, 0, &error);
    }
    if (rc != 0) return rc;
    // No more can be asked for: the queues past these are left out, and the log says so.
    if (list.capacity == UINT16_MAX && list.count >= list.capacity) {
        const std::string format = svc.ui.strings().load(str::LogOdrListFull);
        svc.ui.logError(0, 0, formatMessage(format.c_str(), quote(odrName).c_str()));
    }

    const size_t count = std::min<size_t>(list.count, list.capacity);
    for (size_t i = 0; i < count; ++i) {
        uint8_t value[kRlkValueBufferSize] = {};
        if (table.readProperty()(address, &array[i], kRlkPrintServerProperty, 0, 1, 0, value, 0,
                                 &error) != 0)
            continue;
        uint32_t addressesUs = 0;
        if (table.testProperty()(value + kPropertyDataOffset, &addressesUs) != 0 || !addressesUs)
            continue;
        names.emplace_back(fieldText(array[i].object));
    }
    return 0;
}

bool SaveOdrNameToRegistry(const Services& svc, WindowRef owner, const std::string& odrName) {
    Registry& reg = *svc.platform.registry;
    RegKey key = kNoKey;
    uint32_t rc = reg.createKey(kLocalMachine, kOdrRootPath, RegAccess::Write, key);
    if (rc != 0) {
        svc.registry.logFailure(rc, str::LogCreateKey);
        return false;
    }
    KeyGuard guard(reg, key);
    rc = reg.setValue(key, "RLKDomain", regtype::Sz, odrName.c_str(),
                      static_cast<uint32_t>(odrName.size() + 1));
    if (rc != 0) {
        ShowLastSystemError(svc.ui, owner, rc);
        ErrorId(svc.ui, owner, str::WriteOdrName, odrName.c_str());
        return false;
    }
    return true;
}

OdrAddressDialog::OdrAddressDialog(const Services& svc, Dialog* parent, std::string odrName,
                                   std::string proposed)
    : HelpDialog(svc.ui, dlg::OdrAddress, parent), svc_(svc), odrName_(std::move(odrName)),
      address_(proposed.empty() ? "0.0.0.0" : std::move(proposed)) {
    if (!RegisterAddressEditClass(svc.ui))
        MessageBoxId(svc.ui, parent != nullptr ? parent->window() : nullptr, fwstr::AppName, mb::Ok,
                     str::AddressClassFailed);
}

bool OdrAddressDialog::onInitDialog() {
    HelpDialog::onInitDialog();
    setWindowText(odrctl::OdrName, odrName_);
    setWindowText(odrctl::Address, address_);
    // No registry write follows from this dialog: it stays usable on a read-only registry, so
    // that the queues can still be listed.
    return true;
}

void OdrAddressDialog::onOK() {
    address_ = windowText(odrctl::Address);
    endDialog(id::Ok);
}

} // namespace lntc

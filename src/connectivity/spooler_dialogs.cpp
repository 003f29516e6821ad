// The two connectivities that go through the print spooler: one of its printers (Print
// Manager) or one of its ports (Other/Parallel).
#include "connectivity/connectivity_dialogs.h"
#include "connectivity/connectivity_rules.h"

#include "library/services.h"
#include "platform/errors.h"
#include "platform/platform.h"
#include "resources/ids.h"
#include "store/records.h"
#include "ui/message_box.h"

#include <algorithm>
#include <limits>
#include <new>
#include <string_view>
#include <vector>

namespace lntc {

namespace {

constexpr int kPrinterTextLimit = 256;
constexpr size_t kQuotedCommentLimit = 127;
constexpr size_t kEntryLimit = 255;
constexpr std::string_view kEntrySeparator = ",   ";

// At most `limit` bytes of text, never ending inside a UTF-8 sequence. Bytes that are not
// UTF-8 are cut where the limit falls.
std::string_view cutText(std::string_view text, size_t limit) {
    if (text.size() <= limit) return text;
    size_t n = limit;
    for (int back = 0; back < 3 && n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80;
         ++back)
        --n;
    if ((static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) n = limit;
    return text.substr(0, n);
}

// Whether the memory a spooler list needs can be had, asked before the list is fetched so that
// a list larger than the process can hold is reported with the size the spooler gave.
bool canHoldList(size_t bytes) {
    if (bytes > std::numeric_limits<size_t>::max() - 4) return false;
    // The allocation function itself: a new-expression whose memory is only freed again may
    // be left out by the compiler, and would then always succeed.
    void* memory = ::operator new(bytes + 4, std::nothrow);
    const bool held = memory != nullptr;
    ::operator delete(memory);
    return held;
}

// A spooler that could not be asked (no answer in time, refused) looks to the user like one
// without the printer; the error log keeps the difference.
void logSpoolerFailure(const Services& svc, uint32_t code) {
    svc.ui.logError(code, 0,
                    formatMessage(svc.ui.strings().load(str::LogSpoolerFailed).c_str(),
                                  systemErrorText(code).c_str()));
}

} // namespace

// --- Print Manager ---------------------------------------------------------------------------

PrintManagerDialog::PrintManagerDialog(const Services& svc, Dialog* parent, QueueRecord& queue)
    : HelpDialog(svc.ui, dlg::PrintManager, parent), svc_(svc), queue_(queue),
      printer_(queue.Connectivity == connectivity::PrintManager ? fieldText(queue.DeviceName)
                                                                : fieldText(queue.Name)) {}

void PrintManagerDialog::doDataExchange(DataExchange& dx) {
    ddxCBString(dx, pmctl::Printer, printer_);
    // Checked on OK only: a longer text is reported rather than silently cut while typing.
    if (dx.saving()) ddvMaxChars(dx, printer_, kPrinterTextLimit);
}

void PrintManagerDialog::fillPrinterList() {
    WaitCursor wait(host());
    resetContent(pmctl::Printer);
    entries_.clear();
    std::string remembered;
    bool found = false;
    Spooler* spooler = svc_.platform.spooler;
    size_t bytes = 0;
    std::vector<SpoolerPrinter> printers;
    if (spooler != nullptr) {
        uint32_t rc = spooler->printersSize(bytes);
        if (rc == 0 && !canHoldList(bytes))
            ErrorId(svc_.ui, window(), str::PrinterListMemory, std::to_string(bytes).c_str());
        else if (rc == 0)
            rc = spooler->printers(printers);
        if (rc != 0) {
            // The list then holds the printer text alone; the log says why.
            printers.clear();
            logSpoolerFailure(svc_, rc);
        }
    }
    for (const SpoolerPrinter& p : printers) {
        std::string entry = p.name;
        entry += kEntrySeparator;
        if (p.comment.empty()) {
            entry += svc_.ui.strings().load(str::NoDescription);
        } else {
            // The name stays whole where it can: the comment gives way first.
            size_t room = kEntryLimit > entry.size() + 2 ? kEntryLimit - entry.size() - 2 : 0;
            entry += '"';
            entry += cutText(p.comment, std::min(room, kQuotedCommentLimit - 2));
            entry += '"';
        }
        entry = std::string(cutText(entry, kEntryLimit));
        addString(pmctl::Printer, entry);
        entries_.push_back({entry, p.name});
        if (!found && p.name == printer_) {
            found = true;
            remembered = entry;
        }
    }
    if (!found) {
        remembered = std::string(cutText(printer_, kEntryLimit));
        if (!remembered.empty()) addString(pmctl::Printer, remembered);
    }
    setCurSel(pmctl::Printer, findStringExact(pmctl::Printer, -1, remembered));
    setFocus(pmctl::Printer);
    // After a Refresh of a read-only configuration Cancel stays the default: OK is disabled.
    setDefaultButton(isEnabled(ctl::Ok) ? ctl::Ok : ctl::Cancel);
}

bool PrintManagerDialog::onInitDialog() {
    HelpDialog::onInitDialog();
    fillPrinterList();
    applyReadOnlyRegistry();
    return false; // the focus is on the printer box
}

void PrintManagerDialog::onCommand(int id, Notify code) {
    if (id == pmctl::Refresh && code == Notify::Clicked) fillPrinterList();
}

std::string PrintManagerDialog::printerName(const std::string& text) const {
    // A listed entry names its printer even where the name holds a comma or the entry was cut;
    // a name the record cannot hold whole is taken from the text, and then not found.
    for (const auto& [entry, name] : entries_)
        if (entry == text && name.size() < sizeof queue_.DeviceName) return name;
    return text.substr(0, text.find(','));
}

void PrintManagerDialog::onOK() {
    const std::string name =
        printerName(std::string(cutText(windowText(pmctl::Printer), kEntryLimit)));
    const uint32_t rc = OpenPrintManagerPrinter(svc_, name);
    if (rc != 0) {
        if (rc != err::FileNotFound) logSpoolerFailure(svc_, rc);
        MessageBoxId(svc_.ui, window(), str::PrintManagerCaption, mb::Ok | mb::Error,
                     str::PrinterNotInPrintManager, name.c_str());
        return;
    }
    // Every check before the record is written: a dialog that stays open and is then
    // cancelled leaves it as it was. The text the dialog opened with stays for Refresh.
    const std::string opened = printer_;
    if (!updateData(true)) {
        printer_ = opened;
        return;
    }
    setField(queue_.DeviceName, name);
    endDialog(id::Ok);
}

// --- Other/Parallel port ---------------------------------------------------------------------

OtherPortDialog::OtherPortDialog(const Services& svc, Dialog* parent, QueueRecord& queue)
    : HelpDialog(svc.ui, dlg::OtherPort, parent), svc_(svc), queue_(queue),
      port_(queue.Connectivity == connectivity::OtherPort ? fieldText(queue.DeviceName)
                                                          : std::string_view()) {}

void OtherPortDialog::doDataExchange(DataExchange& dx) {
    ddxCBString(dx, portctl::Port, port_);
    // Checked on OK only: a longer name is reported rather than silently cut while typing.
    if (dx.saving()) ddvMaxChars(dx, port_, kPortNameMax);
}

bool OtherPortDialog::onInitDialog() {
    HelpDialog::onInitDialog();
    bool found = false;
    Spooler* spooler = svc_.platform.spooler;
    size_t bytes = 0;
    std::vector<std::string> ports;
    if (spooler != nullptr && spooler->portsSize(bytes) == 0) {
        if (!canHoldList(bytes))
            ErrorId(svc_.ui, window(), str::PortListMemory, std::to_string(bytes).c_str());
        else if (spooler->ports(ports) != 0)
            ports.clear();
    }
    for (const std::string& port : ports) {
        if (port.compare(0, 3, "LPT") != 0 && port.compare(0, 3, "COM") != 0) continue;
        addString(portctl::Port, port);
        found = found || port == port_;
    }
    if (port_.empty()) {
        int lpt1 = findStringExact(portctl::Port, -1, "LPT1:");
        setCurSel(portctl::Port, lpt1 >= 0 ? lpt1 : 0);
    } else {
        if (!found) addString(portctl::Port, port_);
        setCurSel(portctl::Port, findStringExact(portctl::Port, -1, port_));
    }
    applyReadOnlyRegistry();
    return true;
}

void OtherPortDialog::onOK() {
    if (!updateData(true)) return;
    setField(queue_.DeviceName, port_);
    endDialog(id::Ok);
}

} // namespace lntc

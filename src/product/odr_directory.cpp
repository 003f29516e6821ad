#include "product/odr_directory.h"

#include "platform/errors.h"
#include "platform/filesystem.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstring>
#include <mutex>

namespace lntc {

namespace {

using nlohmann::json;

constexpr size_t kOrgDomainChars = sizeof(RlkName{}.domain) - 1;
constexpr size_t kObjectChars = sizeof(RlkName{}.object) - 1;
constexpr size_t kPrintServerChars = 255;
constexpr uint32_t kDirectAddressMarker = 0xFFFFFFFF;
constexpr uint64_t kMaxRelease = 0xFFFF;

char lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return lower(x) == lower(y); });
}

std::string_view cut(std::string_view s, size_t chars) {
    return s.substr(0, std::min(s.size(), chars));
}

// A queue name as the RLK compares it: cut to the object field, ignoring case.
std::string queueKey(std::string_view name) {
    std::string key(cut(name, kObjectChars));
    for (char& c : key)
        c = lower(c);
    return key;
}

// RLK name fields need not be NUL-terminated when full.
std::string_view field(const char* data, size_t capacity) {
    return std::string_view(data, strnlen(data, capacity));
}

void putField(char* dest, size_t capacity, std::string_view value) {
    std::memset(dest, 0, capacity);
    std::memcpy(dest, value.data(), std::min(value.size(), capacity - 1));
}

// --- parsing ---------------------------------------------------------------------------

struct ParseError {
    std::string message;
};

[[noreturn]] void fail(const std::string& where, const std::string& what) {
    throw ParseError{where + ": " + what};
}

const json* member(const json& object, const char* key) {
    auto it = object.find(key);
    if (it == object.end() || it->is_null()) return nullptr;
    return &*it;
}

std::string requiredName(const json& object, const char* key, const std::string& where) {
    const json* value = member(object, key);
    if (!value || !value->is_string() || value->get_ref<const std::string&>().empty())
        fail(where + "." + key, "expected a non-empty string");
    return value->get<std::string>();
}

bool optionalBool(const json& object, const char* key, bool fallback, const std::string& where) {
    const json* value = member(object, key);
    if (!value) return fallback;
    if (!value->is_boolean()) fail(where + "." + key, "expected true or false");
    return value->get<bool>();
}

uint64_t optionalUnsigned(const json& object, const char* key, uint64_t max,
                          const std::string& where) {
    const json* value = member(object, key);
    if (!value) return 0;
    // Non-negative integers parse as unsigned; negatives and fractions do not.
    if (!value->is_number_unsigned()) fail(where + "." + key, "expected a non-negative integer");
    uint64_t n = value->get<uint64_t>();
    if (n > max) fail(where + "." + key, "must be at most " + std::to_string(max));
    return n;
}

// Decimal number of at most nine digits, the whole of s.
bool parseNumber(std::string_view s, uint32_t& out) {
    if (s.empty() || s.size() > 9) return false;
    uint32_t n = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
        n = n * 10 + static_cast<uint32_t>(c - '0');
    }
    out = n;
    return true;
}

bool parseRelease(std::string_view s, OdrRelease& out) {
    uint32_t parts[3] = {0, 0, 0};
    size_t count = 0;
    while (true) {
        if (count == 3) return false;
        size_t dot = s.find('.');
        if (!parseNumber(s.substr(0, dot), parts[count++])) return false;
        if (dot == std::string_view::npos) break;
        s.remove_prefix(dot + 1);
    }
    out = {parts[0], parts[1], parts[2]};
    return true;
}

// The record keeps a release as one 16-bit number, major * 100 + minor * 10 + patch; only
// releases that it holds unambiguously are taken.
bool releaseFits(const OdrRelease& r) {
    return r.minor <= 9 && r.patch <= 9 &&
           uint64_t{r.major} * 100 + r.minor * 10 + r.patch <= kMaxRelease;
}

bool parseAddress(std::string_view s, std::array<uint8_t, 4>& out) {
    for (size_t i = 0; i < 4; ++i) {
        size_t dot = s.find('.');
        if ((i < 3) == (dot == std::string_view::npos)) return false;
        uint32_t n = 0;
        std::string_view part = s.substr(0, dot);
        if (part.size() > 3 || !parseNumber(part, n) || n > 255) return false;
        out[i] = static_cast<uint8_t>(n);
        if (dot != std::string_view::npos) s.remove_prefix(dot + 1);
    }
    return true;
}

void parseSystemDefaults(const json& value, Odr& odr, const std::string& where) {
    if (!value.is_object()) fail(where, "expected an object");
    if (const json* release = member(value, "release")) {
        OdrRelease parsed;
        if (!release->is_string() || !parseRelease(release->get_ref<const std::string&>(), parsed))
            fail(where + ".release", "expected a string \"major.minor.patch\"");
        if (!releaseFits(parsed))
            fail(where + ".release",
                 "out of range (minor and patch 0 to 9, at most 655.3.5 in all)");
        odr.release = parsed;
    }
    odr.charset = static_cast<uint16_t>(optionalUnsigned(value, "charset", 0xFFFF, where));
    odr.systemWord =
        static_cast<uint32_t>(optionalUnsigned(value, "systemWord", 0xFFFFFFFF, where));
    odr.foundCode = optionalBool(value, "foundCode", false, where);
}

OdrQueue parseQueue(const json& value, const std::string& where) {
    if (!value.is_object()) fail(where, "expected an object");
    OdrQueue queue;
    queue.name = requiredName(value, "name", where);
    if (const json* server = member(value, "printServer")) {
        if (!server->is_string() ||
            server->get_ref<const std::string&>().size() > kPrintServerChars)
            fail(where + ".printServer", "expected a string of at most " +
                                             std::to_string(kPrintServerChars) + " characters");
        queue.printServer = server->get<std::string>();
    }
    return queue;
}

Odr parseOdr(const json& value, const std::string& where) {
    if (!value.is_object()) fail(where, "expected an object");
    Odr odr;
    odr.domain = requiredName(value, "domain", where);
    odr.organization = requiredName(value, "organization", where);
    odr.answers = optionalBool(value, "answers", true, where);
    if (const json* address = member(value, "address")) {
        std::array<uint8_t, 4> parsed{};
        if (!address->is_string() || !parseAddress(address->get_ref<const std::string&>(), parsed))
            fail(where + ".address", "expected a string \"a.b.c.d\"");
        odr.address = parsed;
    }
    if (const json* defaults = member(value, "systemDefaults"))
        parseSystemDefaults(*defaults, odr, where + ".systemDefaults");
    if (const json* queues = member(value, "queues")) {
        if (!queues->is_array()) fail(where + ".queues", "expected an array");
        for (size_t i = 0; i < queues->size(); ++i) {
            std::string at = where + ".queues[" + std::to_string(i) + "]";
            OdrQueue queue = parseQueue((*queues)[i], at);
            if (!odr.queueIndex.emplace(queueKey(queue.name), odr.queues.size()).second)
                fail(at + ".name", "queue \"" + queue.name + "\" appears twice");
            odr.queues.push_back(std::move(queue));
        }
    }
    return odr;
}

} // namespace

const Odr* OdrDirectory::find(std::string_view organization, std::string_view domain) const {
    for (const Odr& odr : odrs)
        if (equalsIgnoreCase(cut(odr.organization, kOrgDomainChars),
                             cut(organization, kOrgDomainChars)) &&
            equalsIgnoreCase(cut(odr.domain, kOrgDomainChars), cut(domain, kOrgDomainChars)))
            return &odr;
    return nullptr;
}

bool parseOdrDirectory(std::string_view text, OdrDirectory& out, std::string& error) {
    try {
        json root = json::parse(text);
        if (!root.is_object()) fail("(top level)", "expected an object");
        OdrDirectory directory;
        if (const json* def = member(root, "default")) {
            std::string value = def->is_string() ? def->get<std::string>() : std::string();
            size_t colon = value.find(':');
            if (colon == std::string::npos || colon == 0 || colon + 1 == value.size())
                fail("default", "expected a string \"domain:organization\"");
            directory.defaultDomain = value.substr(0, colon);
            directory.defaultOrganization = value.substr(colon + 1);
        }
        if (const json* odrs = member(root, "odrs")) {
            if (!odrs->is_array()) fail("odrs", "expected an array");
            for (size_t i = 0; i < odrs->size(); ++i) {
                std::string at = "odrs[" + std::to_string(i) + "]";
                Odr odr = parseOdr((*odrs)[i], at);
                if (directory.find(odr.organization, odr.domain))
                    fail(at, "ODR " + odr.domain + ":" + odr.organization + " appears twice");
                directory.odrs.push_back(std::move(odr));
            }
        }
        out = std::move(directory);
        return true;
    } catch (const ParseError& e) {
        error = e.message;
    } catch (const json::exception& e) {
        error = e.what();
    }
    return false;
}

OdrLoad loadOdrDirectory(const MachineFiles& files, OdrDirectory& out, std::string& error) {
    // Never through a link another user planted: its target's text would reach the log. A
    // directory of 60,000 queues is a few megabytes, well below the common limit.
    std::string text;
    if (uint32_t e = files.read(kOdrDirectoryFile, text, kDefaultReadLimit)) {
        if (e == err::FileNotFound) {
            out = OdrDirectory{};
            return OdrLoad::Missing;
        }
        error = "cannot read: " + systemErrorText(e);
        return OdrLoad::Malformed;
    }
    return parseOdrDirectory(text, out, error) ? OdrLoad::Loaded : OdrLoad::Malformed;
}

// --- the RLK table ---------------------------------------------------------------------

namespace rlk {

namespace {

struct Link {
    int depth = 0;
    std::shared_ptr<const OdrDirectory> directory;
    std::string printServerName;
};

std::mutex linkMutex;
Link current;

struct Snapshot {
    std::shared_ptr<const OdrDirectory> directory;
    std::string printServerName;
};

// Entries work on a copy so an unlink in another thread cannot pull the directory away.
std::optional<Snapshot> snapshot() {
    std::lock_guard lock(linkMutex);
    if (current.depth == 0 || !current.directory) return std::nullopt;
    return Snapshot{current.directory, current.printServerName};
}

uint32_t finish(uint32_t code, RlkErrorRecord* error) {
    if (error) {
        std::memset(error, 0, sizeof *error);
        error->code = code;
        const char* text = "";
        switch (code) {
        case 0:
            break;
        case kRlkFoundAttribute:
            text = "attribute found";
            break;
        case kRlkNoAnswer:
            text = "the RLK server does not answer";
            break;
        case kRlkNoSuchObject:
            text = "no such object";
            break;
        case kRlkNoSuchProperty:
            text = "no such property";
            break;
        case kRlkBadArgument:
            text = "bad argument";
            break;
        case kRlkNoLibrary:
            text = "RLK is not linked";
            break;
        default:
            text = "RLK error";
            break;
        }
        std::strncpy(error->text, text, sizeof error->text - 1);
    }
    return code;
}

bool reachable(const Odr& odr, const RlkServerAddress* server) {
    if (!server || server->marker != kDirectAddressMarker) return odr.answers;
    if (!odr.address) return false;
    const auto& a = *odr.address;
    return server->high == static_cast<uint16_t>(a[0] << 8 | a[1]) &&
           server->low == static_cast<uint16_t>(a[2] << 8 | a[3]);
}

// Finds the object's ODR and checks that the query reaches it; 0 when it does.
uint32_t locate(const OdrDirectory& directory, const RlkName& name, const RlkServerAddress* server,
                const Odr*& odr) {
    odr = directory.find(field(name.organization, sizeof name.organization),
                         field(name.domain, sizeof name.domain));
    if (!odr) return kRlkNoSuchObject;
    return reachable(*odr, server) ? 0 : kRlkNoAnswer;
}

const OdrQueue* findQueue(const Odr& odr, std::string_view name) {
    auto it = odr.queueIndex.find(queueKey(name));
    return it == odr.queueIndex.end() ? nullptr : &odr.queues[it->second];
}

template <typename T> void put(uint8_t* buffer, size_t offset, T value) {
    std::memcpy(buffer + offset, &value, sizeof value);
}

uint32_t unsupportedEntry() {
    return kRlkBadArgument;
}

uint32_t listObjectsEntry(const RlkServerAddress* server, const RlkName* pattern, uint32_t type,
                          RlkNameList* list, uint32_t, RlkErrorRecord* error) {
    if (!pattern || !list || (list->capacity > 0 && !list->names))
        return finish(kRlkBadArgument, error);
    auto link = snapshot();
    if (!link) return finish(kRlkNoLibrary, error);
    const Odr* odr = nullptr;
    if (uint32_t code = locate(*link->directory, *pattern, server, odr)) return finish(code, error);
    list->count = 0;
    if (type != kRlkPrintQueueType) return finish(0, error);
    std::string_view wanted = field(pattern->object, sizeof pattern->object);
    bool all = wanted.empty() || wanted == "*";
    for (const OdrQueue& queue : odr->queues) {
        if (list->count == list->capacity) break;
        if (!all && !equalsIgnoreCase(cut(queue.name, kObjectChars), cut(wanted, kObjectChars)))
            continue;
        RlkName& out = list->names[list->count++];
        putField(out.organization, sizeof out.organization, odr->organization);
        putField(out.domain, sizeof out.domain, odr->domain);
        putField(out.object, sizeof out.object, queue.name);
    }
    return finish(0, error);
}

uint32_t readPropertyEntry(const RlkServerAddress* server, const RlkName* object, uint32_t property,
                           uint32_t, uint32_t, uint32_t, uint8_t* buffer, uint32_t,
                           RlkErrorRecord* error) {
    if (!object || !buffer) return finish(kRlkBadArgument, error);
    auto link = snapshot();
    if (!link) return finish(kRlkNoLibrary, error);
    const Odr* odr = nullptr;
    if (uint32_t code = locate(*link->directory, *object, server, odr)) return finish(code, error);
    std::string_view name = field(object->object, sizeof object->object);

    if (property == kRlkSystemDefaultsAttribute) {
        if (!equalsIgnoreCase(name, "qd_system")) return finish(kRlkNoSuchObject, error);
        std::memset(buffer, 0, kRlkValueBufferSize);
        OdrRelease release = odr->release.value_or(OdrRelease{});
        put<uint16_t>(buffer, 2, odr->release ? 1 : 0);
        put<uint16_t>(buffer, 10, odr->charset);
        put<uint32_t>(buffer, 18, release.major);
        put<uint32_t>(buffer, 22, release.minor);
        put<uint32_t>(buffer, 26, release.patch);
        put<uint32_t>(buffer, 34, odr->systemWord);
        return finish(odr->foundCode ? kRlkFoundAttribute : 0, error);
    }
    const OdrQueue* queue = findQueue(*odr, name);
    if (!queue) return finish(kRlkNoSuchObject, error);
    if (property != kRlkPrintServerProperty || !queue->printServer)
        return finish(kRlkNoSuchProperty, error);
    // Length counts the terminating NUL: it is the size of the property data.
    const std::string& server_name = *queue->printServer;
    std::memset(buffer, 0, kRlkValueBufferSize);
    put<uint16_t>(buffer, 4, static_cast<uint16_t>(server_name.size() + 1));
    std::memcpy(buffer + 6, server_name.data(), server_name.size());
    return finish(0, error);
}

uint32_t defaultNameEntry(RlkName* name) {
    if (!name) return kRlkBadArgument;
    auto link = snapshot();
    if (!link) return kRlkNoLibrary;
    const OdrDirectory& directory = *link->directory;
    std::string_view domain = directory.defaultDomain;
    std::string_view organization = directory.defaultOrganization;
    if (domain.empty()) {
        if (directory.odrs.empty()) return kRlkNoSuchObject;
        domain = directory.odrs.front().domain;
        organization = directory.odrs.front().organization;
    }
    putField(name->organization, sizeof name->organization, organization);
    putField(name->domain, sizeof name->domain, domain);
    return 0;
}

uint32_t testPropertyEntry(const uint8_t* propertyData, uint32_t* flag) {
    if (!propertyData || !flag) return kRlkBadArgument;
    auto link = snapshot();
    if (!link) return kRlkNoLibrary;
    std::string_view name(
        reinterpret_cast<const char*>(propertyData),
        strnlen(reinterpret_cast<const char*>(propertyData), kRlkValueBufferSize - 6));
    *flag = equalsIgnoreCase(name, link->printServerName) ? 1 : 0;
    return 0;
}

template <typename F> void (*entry(F f))() {
    return reinterpret_cast<void (*)()>(f);
}

RlkTable makeTable() {
    RlkTable t{};
    for (auto& e : t.entries)
        e = entry(&unsupportedEntry);
    t.entries[6] = entry(static_cast<RlkListObjectsFn>(&listObjectsEntry));
    t.entries[15] = entry(static_cast<RlkReadPropertyFn>(&readPropertyEntry));
    t.entries[35] = entry(static_cast<RlkDefaultNameFn>(&defaultNameEntry));
    t.entries[38] = entry(static_cast<RlkTestPropertyFn>(&testPropertyEntry));
    return t;
}

} // namespace

bool linkable(const char* name, uint32_t version) {
    return name && std::strcmp(name, "RLK") == 0 && version == 2;
}

void link(std::shared_ptr<const OdrDirectory> directory, std::string printServerName,
          const RlkTable** out) {
    {
        std::lock_guard lock(linkMutex);
        ++current.depth;
        current.directory = std::move(directory);
        current.printServerName = std::move(printServerName);
    }
    if (out) *out = &table();
}

void unlink(const RlkTable** out) {
    if (!out || !*out) return;
    *out = nullptr;
    std::lock_guard lock(linkMutex);
    if (current.depth > 0 && --current.depth == 0) current = Link{};
}

int linkDepth() {
    std::lock_guard lock(linkMutex);
    return current.depth;
}

const RlkTable& table() {
    static const RlkTable instance = makeTable();
    return instance;
}

} // namespace rlk

} // namespace lntc

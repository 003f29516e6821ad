#include "library/admin/history.h"

#include "connectivity/hosts_file.h"
#include "library/admin/plan.h"
#include "library/library.h"
#include "platform/errors.h"
#include "store/records.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#ifdef _WIN32
#include <windows.h>
#else
#include <pwd.h>
#include <unistd.h>
#endif

namespace lntc::admin {

namespace {

constexpr uint32_t kTcpDirect = 1;

uint32_t setText(Registry& reg, RegKey key, const char* name, const std::string& text) {
    return reg.setValue(key, name, regtype::Sz, text.c_str(),
                        static_cast<uint32_t>(text.size() + 1));
}

std::string readText(Registry& reg, RegKey key, const char* name) {
    uint32_t type = 0, size = 0;
    if (reg.queryValue(key, name, &type, nullptr, &size) != 0 || type != regtype::Sz) return {};
    std::string text(size, '\0');
    if (reg.queryValue(key, name, &type, text.data(), &size) != 0) return {};
    text.resize(std::min<size_t>(size, text.size()));
    if (const size_t nul = text.find('\0'); nul != std::string::npos) text.resize(nul);
    return text;
}

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = std::min(text.find('\n', start), text.size());
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// The entries' numbers, oldest first.
uint32_t entryNumbers(Registry& reg, RegKey history, std::vector<uint32_t>& out) {
    out.clear();
    std::string name;
    for (uint32_t i = 0;; ++i) {
        const uint32_t rc = reg.enumKey(history, i, name);
        if (rc == err::NoMoreItems) break;
        if (rc != 0) return rc;
        char* end = nullptr;
        const unsigned long n = std::strtoul(name.c_str(), &end, 10);
        if (!name.empty() && *end == '\0' && n > 0 && n <= UINT32_MAX)
            out.push_back(static_cast<uint32_t>(n));
    }
    std::sort(out.begin(), out.end());
    return 0;
}

std::string entryName(uint32_t number) {
    char name[16];
    std::snprintf(name, sizeof name, "%08u", number);
    return name;
}

uint32_t readEntry(Registry& reg, RegKey history, uint32_t number, bool withState,
                   HistoryEntry& out) {
    RegKey key = kNoKey;
    if (uint32_t rc = reg.openKey(history, entryName(number), RegAccess::Read, key)) return rc;
    KeyGuard guard(reg, key);
    out = HistoryEntry{};
    out.number = number;
    uint64_t time = 0;
    uint32_t type = 0, size = sizeof time;
    if (reg.queryValue(key, "Time", &type, &time, &size) == 0 && type == regtype::Qword)
        out.time = static_cast<int64_t>(time);
    out.user = readText(reg, key, "User");
    out.source = readText(reg, key, "Source");
    out.changes = splitLines(readText(reg, key, "Changes"));
    if (withState) out.state = readText(reg, key, "State");
    return 0;
}

} // namespace

ServerState StateOf(Library& lib, const ServerConfig& config, const QueueRecord* slots) {
    ServerState state;
    state.config = config;
    const Services svc = lib.services();
    for (int i = 0; i < LNTC_MAX_QUEUES; ++i) {
        const QueueRecord& q = slots[i];
        if (q.Name[0] == '\0') continue;
        state.queues.push_back(q);
        const std::string port(fieldText(q.DeviceName));
        std::string address;
        if (q.Connectivity == kTcpDirect && !port.empty() && LookupHostsName(svc, port, address))
            state.hosts[port] = address;
    }
    return state;
}

#ifdef _WIN32
std::string ChangeUser() {
    char user[257] = {};
    DWORD size = sizeof user;
    return GetUserNameA(user, &size) && size > 1 ? std::string(user, size - 1) : "unknown user";
}
#else
std::string ChangeUser() {
    std::string user;
    passwd entry{}, *found = nullptr;
    std::vector<char> buffer(16384);
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found)
        user = found->pw_name;
    else
        user = "uid " + std::to_string(getuid());
    // The administrator behind sudo is the one who made the change.
    if (const char* sudo = secure_getenv("SUDO_USER");
        sudo != nullptr && *sudo != '\0' && user != sudo)
        user += std::string(" (sudo by ") + sudo + ")";
    return user;
}
#endif

void History::expect(std::vector<std::string> lines, const Document& state) {
    expected_ =
        Expected{std::move(lines), state.dump(-1, ' ', false, Document::error_handler_t::replace)};
}

uint32_t History::record(RegistryRoot& root, std::string_view source, const ServerConfig& before,
                         const QueueRecord* beforeSlots, const ServerConfig& after,
                         const QueueRecord* afterSlots) {
    Expected account;
    if (expected_) {
        account = std::move(*expected_);
        expected_.reset();
    } else {
        const Document was = ServerDocument(StateOf(lib_, before, beforeSlots), Form::Dump);
        const Document is = ServerDocument(StateOf(lib_, after, afterSlots), Form::Dump);
        account.lines = PlanLines(was, is);
        account.state = is.dump(-1, ' ', false, Document::error_handler_t::replace);
    }
    // A save that changed nothing readable (the same values saved again) makes no entry.
    if (account.lines.empty()) return 0;

    return AppendHistoryEntry(root.registry(), lib_.now(), source, account.lines, account.state);
}

uint32_t AppendHistoryEntry(Registry& reg, int64_t now, std::string_view source,
                            const std::vector<std::string>& lines, const std::string& state) {
    RegKey history = kNoKey;
    if (uint32_t rc = reg.createKey(kLocalMachine, kHistoryPath, RegAccess::Write, history))
        return rc;
    KeyGuard guard(reg, history);
    std::vector<uint32_t> numbers;
    if (uint32_t rc = entryNumbers(reg, history, numbers)) return rc;
    const uint32_t number = numbers.empty() ? 1 : numbers.back() + 1;
    RegKey key = kNoKey;
    if (uint32_t rc = reg.createKey(history, entryName(number), RegAccess::Write, key)) return rc;
    KeyGuard entryGuard(reg, key);
    std::string changes;
    for (const std::string& line : lines)
        changes += line + "\n";
    const uint64_t time = static_cast<uint64_t>(now);
    uint32_t rc = reg.setValue(key, "Time", regtype::Qword, &time, sizeof time);
    if (rc == 0) rc = setText(reg, key, "User", ChangeUser());
    if (rc == 0) rc = setText(reg, key, "Source", std::string(source));
    if (rc == 0) rc = setText(reg, key, "Changes", changes);
    if (rc == 0 && !state.empty()) rc = setText(reg, key, "State", state);
    for (size_t i = 0; rc == 0 && i + kHistoryKept <= numbers.size(); ++i)
        rc = reg.deleteTree(history, entryName(numbers[i]));
    return rc;
}

uint32_t ListHistory(Registry& reg, uint32_t limit, std::vector<HistoryEntry>& out) {
    out.clear();
    RegKey history = kNoKey;
    const uint32_t rc = reg.openKey(kLocalMachine, kHistoryPath, RegAccess::Read, history);
    if (rc == err::FileNotFound) return 0;
    if (rc != 0) return rc;
    KeyGuard guard(reg, history);
    std::vector<uint32_t> numbers;
    if (uint32_t e = entryNumbers(reg, history, numbers)) return e;
    for (auto it = numbers.rbegin(); it != numbers.rend() && out.size() < limit; ++it) {
        HistoryEntry entry;
        if (readEntry(reg, history, *it, false, entry) == 0) out.push_back(std::move(entry));
    }
    return 0;
}

uint32_t ReadHistoryEntry(Registry& reg, uint32_t number, HistoryEntry& out) {
    RegKey history = kNoKey;
    if (uint32_t rc = reg.openKey(kLocalMachine, kHistoryPath, RegAccess::Read, history)) return rc;
    KeyGuard guard(reg, history);
    return readEntry(reg, history, number, true, out);
}

} // namespace lntc::admin

#include "connectivity/hosts_file.h"

#include "library/services.h"
#include "platform/errors.h"
#include "resources/formats.h"
#include "resources/ids.h"
#include "ui/message_box.h"

#include <chrono>
#include <memory>
#include <optional>
#include <string_view>

namespace lntc {

namespace {

constexpr const char* kDefaultSystemRoot = "C:\\WINDOWS";
constexpr const char* kNoAddress = "0.0.0.0";
// What a line's fields hold at most.
constexpr size_t kAddressMax = 20;
constexpr size_t kNamesMax = 80;
// Far beyond any real hosts file; a larger one is refused rather than read into memory.
constexpr uint64_t kHostsMaxSize = 64u << 20;
// Another process's rewrite takes milliseconds; one that holds the lock longer hangs.
constexpr std::chrono::seconds kHostsLockWait{5};
constexpr const char* kHostsLock = "hosts";

struct HostsPaths {
    std::string hosts, working, backup;
};

std::string hostsFolder(const Environment& env) {
    std::string root = kDefaultSystemRoot;
    // Only drive C lies under the machine root; anything else would send the rewrite out of it.
    if (std::optional<std::string> v = env.get("SystemRoot");
        v && v->size() >= 3 && (v->front() == 'C' || v->front() == 'c') && (*v)[1] == ':' &&
        ((*v)[2] == '\\' || (*v)[2] == '/') && v->find_first_of("\r\n") == std::string::npos) {
        root = *v;
        while (root.size() > 3 && (root.back() == '\\' || root.back() == '/'))
            root.pop_back();
        if (root.size() == 3) root.pop_back();
    }
    return root + "\\system32\\drivers\\etc\\";
}

HostsPaths hostsPaths(const Services& svc) {
    std::string folder = hostsFolder(*svc.platform.env);
    return {folder + "hosts", folder + "hosts___.lnt", folder + "hosts.lnt"};
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r';
}

// Steps through the lines of a file: text is a line without its end, end is "\n", "\r\n", or
// empty for a last line without one.
class Lines {
  public:
    explicit Lines(std::string_view data) : data_(data) {}
    bool next(std::string_view& text, std::string_view& end) {
        if (pos_ >= data_.size()) return false;
        size_t nl = data_.find('\n', pos_);
        size_t stop = nl == std::string_view::npos ? data_.size() : nl + 1;
        std::string_view line = data_.substr(pos_, stop - pos_);
        pos_ = stop;
        size_t endSize = 0;
        if (!line.empty() && line.back() == '\n')
            endSize = line.size() >= 2 && line[line.size() - 2] == '\r' ? 2 : 1;
        text = line.substr(0, line.size() - endSize);
        end = line.substr(line.size() - endSize);
        return true;
    }

  private:
    std::string_view data_;
    size_t pos_ = 0;
};

struct Entry {
    std::string_view address, names;
};

// An address, blanks, and the names: the rest of the line. The whole line is one entry however
// long it is, so a long line is never taken for several; but an address or names longer than
// their fields make no entry at all, rather than one cut to another name.
std::optional<Entry> parseEntry(std::string_view line) {
    size_t i = 0;
    while (i < line.size() && isBlank(line[i]))
        ++i;
    size_t start = i;
    while (i < line.size() && !isBlank(line[i]))
        ++i;
    std::string_view address = line.substr(start, i - start);
    while (i < line.size() && isBlank(line[i]))
        ++i;
    if (address.empty() || i == line.size()) return std::nullopt;
    if (address.size() > kAddressMax || line.size() - i > kNamesMax) return std::nullopt;
    return Entry{address, line.substr(i)};
}

// The dialog's readers skip comment lines.
std::optional<Entry> readerEntry(std::string_view line) {
    if (!line.empty() && line.front() == '#') return std::nullopt;
    return parseEntry(line);
}

// The readers see a TAB inside the names as a blank.
bool namesEqual(std::string_view names, std::string_view name) {
    if (names.size() != name.size()) return false;
    for (size_t i = 0; i < names.size(); ++i)
        if ((names[i] == '\t' ? ' ' : names[i]) != name[i]) return false;
    return true;
}

// A line the readers and the rewrite take back as exactly this name and address.
bool isWritable(std::string_view address, std::string_view name) {
    auto isBreak = [](char c) { return c == '\n' || c == '\r' || c == '\0'; };
    if (address.empty() || name.empty() || address.front() == '#' || isBlank(name.front()) ||
        address.size() > kAddressMax || name.size() > kNamesMax)
        return false;
    for (char c : address)
        if (isBlank(c) || isBreak(c)) return false;
    for (char c : name)
        if (isBreak(c)) return false;
    return true;
}

// Every line whose names are exactly the name gets the address (an empty one: goes); other
// lines, comments included, are copied byte for byte. Without such a line, the name's line goes
// at the end.
std::string rewrite(std::string_view old, std::string_view address, std::string_view name) {
    std::string out;
    out.reserve(old.size() + address.size() + name.size() + 3);
    std::string_view lineEnd = "\n"; // the file's own, once a line shows it
    bool replaced = false;
    Lines lines(old);
    std::string_view text, end;
    while (lines.next(text, end)) {
        if (!end.empty()) lineEnd = end;
        // A removal takes out entries only; a comment that names the name stays.
        std::optional<Entry> e = address.empty() ? readerEntry(text) : parseEntry(text);
        if (e && e->names == name) {
            if (!address.empty())
                out.append(address).append("\t").append(name).append(end.empty() ? lineEnd : end);
            replaced = true;
        } else {
            out.append(text).append(end);
        }
    }
    if (!replaced && !address.empty()) {
        if (!old.empty() && old.back() != '\n') out.append(lineEnd); // never glued to the last
        out.append(address).append("\t").append(name).append(lineEnd);
    }
    return out;
}

void logFailure(const Services& svc, uint32_t format, const std::string& path, uint32_t error) {
    svc.ui.logError(error, 0,
                    formatMessage(svc.ui.strings().load(format).c_str(), path.c_str(),
                                  systemErrorText(error).c_str()));
}

// The dialog's readers tell the user nothing: what keeps them from the file goes to the log,
// unless there simply is no hosts file.
bool readHosts(const Services& svc, std::string& data) {
    const std::string path = hostsPaths(svc).hosts;
    const uint32_t error = svc.platform.files->readFile(path, data, kHostsMaxSize, nullptr);
    if (error != err::Success && error != err::FileNotFound && error != err::PathNotFound)
        logFailure(svc, str::LogHostsUnreadable, path, error);
    return error == err::Success;
}

// The old file is read, and the new one renamed over it, under the machine's hosts lock: a
// rewrite by another process meanwhile would otherwise be lost, or lose this one. The lock is
// let go before anything is shown.
uint32_t rewriteHosts(const Services& svc, const HostsPaths& p, const std::string& address,
                      const std::string& name) {
    FileSystem& files = *svc.platform.files;
    std::unique_ptr<FileLocks::Held> held;
    if (FileLocks* locks = svc.platform.locks)
        if (uint32_t e = locks->acquire(kHostsLock, kHostsLockWait, held)) return e;
    std::string old;
    FileKeep keep;
    uint32_t error = files.readFile(p.hosts, old, kHostsMaxSize, &keep);
    const bool exists = error == err::Success;
    if (error == err::FileNotFound) error = err::Success;
    // A read-only hosts file is the administrator's word that it stays as it is.
    if (error == err::Success && keep.readOnly) error = err::AccessDenied;
    if (error != err::Success) return error;
    const std::string updated = rewrite(old, address, name);
    if (updated.size() > kHostsMaxSize) return err::FileTooLarge; // no reader would take it
    // The hosts file changes only in the last step, by one rename: until then a failure, or
    // the end of the process, leaves the old one in place. The working copy and the backup
    // are the program's own, made afresh whatever was left of them.
    error = files.writeScratchFile(p.working, updated, keep);
    if (error == err::Success && exists) error = files.writeScratchFile(p.backup, old, keep);
    if (error == err::Success) error = files.renameFile(p.working, p.hosts);
    if (error != err::Success) files.deleteFile(p.working);
    return error;
}

} // namespace

std::string HostsFilePath(const Environment& env) {
    return hostsFolder(env) + "hosts";
}

std::string HostsFilePath(const Services& svc) {
    return HostsFilePath(*svc.platform.env);
}

bool LookupHostsName(const Services& svc, const std::string& name, std::string& address) {
    address = kNoAddress;
    std::string data;
    if (!readHosts(svc, data)) return false;
    Lines lines(data);
    std::string_view text, end;
    while (lines.next(text, end)) {
        std::optional<Entry> e = readerEntry(text);
        if (e && namesEqual(e->names, name)) {
            address = e->address;
            return true;
        }
    }
    return false;
}

std::vector<std::string> FillHostsNames(const Services& svc) {
    std::vector<std::string> names;
    std::string data;
    if (!readHosts(svc, data)) return names;
    Lines lines(data);
    std::string_view text, end;
    while (lines.next(text, end)) {
        if (std::optional<Entry> e = readerEntry(text)) {
            std::string n(e->names);
            for (char& c : n)
                if (c == '\t') c = ' ';
            names.push_back(std::move(n));
        }
    }
    return names;
}

uint32_t UpdateHostsFile(const Services& svc, WindowRef owner, const std::string& address,
                         const std::string& name) {
    const HostsPaths p = hostsPaths(svc);
    const uint32_t error =
        isWritable(address, name) ? rewriteHosts(svc, p, address, name) : err::InvalidParameter;
    if (error != err::Success) {
        logFailure(svc, str::LogHostsNotUpdated, p.hosts, error);
        ShowLastSystemError(svc.ui, owner, error);
        ErrorId(svc.ui, owner, str::HostsFileError, p.hosts.c_str());
    }
    return error;
}

uint32_t RemoveHostsName(const Services& svc, const std::string& name) {
    const HostsPaths p = hostsPaths(svc);
    const uint32_t error =
        isWritable("0", name) ? rewriteHosts(svc, p, "", name) : err::InvalidParameter;
    if (error != err::Success) logFailure(svc, str::LogHostsNotUpdated, p.hosts, error);
    return error;
}

} // namespace lntc

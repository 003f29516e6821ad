#include "platform/posix/cups_spooler.h"

#include "platform/errors.h"

#include <cups/cups.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <iterator>
#include <sys/stat.h>

namespace lntc {

namespace {

// What one printer takes in the product's list layout: flags and three string pointers, then
// the description ("name,comment,"), the name and the comment, each terminated.
constexpr size_t kPrinterHeader = 4 + 3 * sizeof(void*);
constexpr size_t kPortHeader = sizeof(void*);

uint32_t fromCups() {
    switch (cupsLastError()) {
    case IPP_STATUS_OK:
        return err::Success;
    case IPP_STATUS_ERROR_NOT_FOUND:
        return err::FileNotFound;
    case IPP_STATUS_ERROR_FORBIDDEN:
    case IPP_STATUS_ERROR_NOT_AUTHORIZED:
        return err::AccessDenied;
    case IPP_STATUS_ERROR_SERVICE_UNAVAILABLE:
        return err::NotReady;
    default:
        return err::InvalidFunction;
    }
}

// A connection of its own to the server that the client configuration names, so that every
// wait on it is bounded; the library's shared default connection waits a minute.
class Connection {
  public:
    explicit Connection(std::chrono::milliseconds patience) {
        const int ms = static_cast<int>(patience.count());
        http_ = httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1, ms,
                             nullptr);
        if (http_ != nullptr) httpSetTimeout(http_, ms / 1000.0, giveUp, &timedOut_);
    }
    ~Connection() {
        if (http_ != nullptr) httpClose(http_);
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    http_t* get() const { return http_; }
    // Why a request on it failed.
    uint32_t failure() const {
        if (http_ == nullptr) return err::NotReady;
        if (timedOut_ || httpError(http_) == ETIMEDOUT) return err::Timeout;
        const uint32_t e = fromCups();
        return e != err::Success ? e : err::InvalidFunction;
    }

  private:
    // Asked when a wait has taken the whole time-out: never wait longer.
    static int giveUp(http_t*, void* timedOut) {
        *static_cast<bool*>(timedOut) = true;
        return 0;
    }

    http_t* http_ = nullptr;
    bool timedOut_ = false;
};

// Device nodes whose name is prefix + a number, by that number.
std::vector<int> numbered(const std::string& dir, const std::string& prefix) {
    std::vector<int> out;
    DIR* d = opendir(dir.c_str());
    if (d == nullptr) return out;
    while (dirent* e = readdir(d)) {
        std::string name = e->d_name;
        if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) continue;
        std::string digits = name.substr(prefix.size());
        if (digits.size() > 6 || !std::all_of(digits.begin(), digits.end(),
                                              [](unsigned char c) { return std::isdigit(c); }))
            continue;
        struct stat st {};
        if (stat((dir + "/" + name).c_str(), &st) == 0 && S_ISCHR(st.st_mode))
            out.push_back(std::atoi(digits.c_str()));
    }
    closedir(d);
    std::sort(out.begin(), out.end());
    return out;
}

} // namespace

uint32_t CupsSpooler::printers(std::vector<SpoolerPrinter>& out) {
    out.clear();
    // One CUPS-Get-Printers for the two attributes the list shows: cupsGetDests2 fetches
    // every attribute of every printer and takes ten times as long with a few hundred.
    static const char* const kAttributes[] = {"printer-name", "printer-info"};
    Connection server(patience_);
    if (server.get() == nullptr) return server.failure();
    ipp_t* request = ippNewRequest(IPP_OP_CUPS_GET_PRINTERS);
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                  static_cast<int>(std::size(kAttributes)), nullptr, kAttributes);
    ipp_t* response = cupsDoRequest(server.get(), request, "/");
    if (response == nullptr) return server.failure();
    if (ippGetStatusCode(response) > IPP_STATUS_OK_EVENTS_COMPLETE) {
        // No printer at all is a list, not a failure.
        uint32_t e = fromCups();
        ippDelete(response);
        return e == err::FileNotFound ? err::Success : e;
    }
    // Each printer is a group of attributes; groups are parted by a separator.
    const char* name = nullptr;
    const char* info = nullptr;
    auto take = [&] {
        if (name != nullptr) out.push_back({name, info != nullptr ? info : ""});
        name = info = nullptr;
    };
    for (ipp_attribute_t* a = ippFirstAttribute(response); a != nullptr;
         a = ippNextAttribute(response)) {
        const char* attribute = ippGetName(a);
        if (ippGetGroupTag(a) != IPP_TAG_PRINTER || attribute == nullptr) {
            take();
        } else if (std::strcmp(attribute, "printer-name") == 0) {
            name = ippGetString(a, 0, nullptr);
        } else if (std::strcmp(attribute, "printer-info") == 0) {
            info = ippGetString(a, 0, nullptr);
        }
    }
    take();
    ippDelete(response);
    // In name order ignoring case, as CUPS lists its destinations.
    std::sort(out.begin(), out.end(), [](const SpoolerPrinter& a, const SpoolerPrinter& b) {
        return std::lexicographical_compare(a.name.begin(), a.name.end(), b.name.begin(),
                                            b.name.end(), [](char x, char y) {
                                                return std::tolower(static_cast<unsigned char>(x)) <
                                                       std::tolower(static_cast<unsigned char>(y));
                                            });
    });
    return err::Success;
}

uint32_t CupsSpooler::printersSize(size_t& bytes) {
    bytes = 0;
    std::vector<SpoolerPrinter> list;
    if (uint32_t e = printers(list)) return e;
    for (const SpoolerPrinter& p : list)
        bytes += kPrinterHeader + (p.name.size() + p.comment.size() + 3) + p.name.size() + 1 +
                 p.comment.size() + 1;
    return err::Success;
}

uint32_t CupsSpooler::ports(std::vector<std::string>& out) {
    out.clear();
    int lpt = 0, com = 0;
    for (const auto& [dir, prefix] :
         {std::pair<std::string, std::string>{devices_, "lp"}, {devices_ + "/usb", "lp"}})
        for (size_t n = numbered(dir, prefix).size(); n > 0; --n)
            out.push_back("LPT" + std::to_string(++lpt) + ":");
    for (const char* prefix : {"ttyS", "ttyUSB", "ttyACM"})
        for (size_t n = numbered(devices_, prefix).size(); n > 0; --n)
            out.push_back("COM" + std::to_string(++com) + ":");
    out.push_back("FILE:");
    return err::Success;
}

uint32_t CupsSpooler::portsSize(size_t& bytes) {
    std::vector<std::string> list;
    ports(list);
    bytes = 0;
    for (const std::string& p : list)
        bytes += kPortHeader + p.size() + 1;
    return err::Success;
}

uint32_t CupsSpooler::openPrinter(const std::string& printer) {
    if (printer.empty()) return err::FileNotFound;
    Connection server(patience_);
    if (server.get() == nullptr) return server.failure();
    // Asks the server itself, so that a printer deleted meanwhile is not taken for there. One
    // request on this connection: cupsGetNamedDest would try again elsewhere for minutes.
    char uri[HTTP_MAX_URI];
    if (httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost",
                         ippPort(), "/printers/%s", printer.c_str()) != HTTP_URI_STATUS_OK)
        return err::FileNotFound;
    static const char* const kAttributes[] = {"printer-name"};
    ipp_t* request = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                  static_cast<int>(std::size(kAttributes)), nullptr, kAttributes);
    ipp_t* response = cupsDoRequest(server.get(), request, "/");
    if (response == nullptr) return server.failure();
    const bool known = ippGetStatusCode(response) <= IPP_STATUS_OK_EVENTS_COMPLETE;
    ippDelete(response);
    if (known) return err::Success;
    const uint32_t e = fromCups();
    return e == err::AccessDenied ? e : err::FileNotFound;
}

} // namespace lntc

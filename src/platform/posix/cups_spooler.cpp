#include "platform/posix/cups_spooler.h"

#include "platform/errors.h"

#include <cups/cups.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <dirent.h>
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
    cups_dest_t* dests = nullptr;
    int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
    if (count <= 0) {
        // No destination at all is a list, not a failure, when the server answered.
        uint32_t e = count == 0 ? fromCups() : err::InvalidFunction;
        cupsFreeDests(count, dests);
        return e == err::FileNotFound ? err::Success : e;
    }
    for (int i = 0; i < count; ++i) {
        if (dests[i].instance != nullptr) continue; // instances are option sets, not printers
        const char* info = cupsGetOption("printer-info", dests[i].num_options, dests[i].options);
        out.push_back({dests[i].name, info ? info : ""});
    }
    cupsFreeDests(count, dests);
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

bool CupsSpooler::canOpen(const std::string& printer) {
    if (printer.empty()) return false;
    // Asks the server itself, so that a printer deleted meanwhile is not taken for there.
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, printer.c_str(), nullptr);
    if (dest == nullptr) return false;
    cupsFreeDests(1, dest);
    return true;
}

} // namespace lntc

#include "platform/posix/posix_processes.h"

#include "platform/errors.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <string>
#include <unistd.h>

namespace lntc {

namespace {

// Name of the executable: the kernel's "comm" is cut at 15 characters, so the link to the
// executable is preferred when it can be read (not for other users' processes).
std::string executableName(const std::string& dir) {
    char buf[PATH_MAX];
    ssize_t n = readlink((dir + "/exe").c_str(), buf, sizeof buf - 1);
    std::string name;
    if (n > 0) {
        name.assign(buf, static_cast<size_t>(n));
        const std::string deleted = " (deleted)";
        if (name.size() > deleted.size() &&
            name.compare(name.size() - deleted.size(), deleted.size(), deleted) == 0)
            name.resize(name.size() - deleted.size());
        name = name.substr(name.rfind('/') + 1);
    } else {
        std::ifstream comm(dir + "/comm");
        if (!std::getline(comm, name)) return {};
    }
    size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name.resize(dot);
    return name;
}

} // namespace

uint32_t PosixProcesses::list(std::vector<ProcessEntry>& out) const {
    out.clear();
    DIR* d = opendir("/proc");
    if (!d) return errorFromErrno(errno);
    while (dirent* e = readdir(d)) {
        char* end = nullptr;
        unsigned long pid = std::strtoul(e->d_name, &end, 10);
        if (*e->d_name < '1' || *e->d_name > '9' || *end != '\0' || pid > UINT32_MAX) continue;
        std::string name = executableName(std::string("/proc/") + e->d_name);
        // A process that ended while we looked has no name any more.
        if (name.empty()) continue;
        out.push_back({static_cast<uint32_t>(pid), std::move(name)});
    }
    closedir(d);
    std::sort(out.begin(), out.end(),
              [](const ProcessEntry& a, const ProcessEntry& b) { return a.pid < b.pid; });
    return err::Success;
}

bool PosixProcesses::terminate(uint32_t pid) {
    if (pid == 0 || pid > static_cast<uint32_t>(INT_MAX)) return false;
    return kill(static_cast<pid_t>(pid), SIGKILL) == 0;
}

} // namespace lntc

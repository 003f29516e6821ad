#include "process/process.h"

#include "library/library.h"
#include "resources/ids.h"
#include "ui/message_box.h"

#include <strings.h>

namespace lntc {

uint32_t FindProcess(Library& lib, const char* name) {
    if (name == nullptr || *name == '\0') return 0;
    std::vector<ProcessEntry> processes;
    uint32_t rc = lib.platform().processes->list(processes);
    if (rc != 0) {
        ErrorIdNoOwner(lib, str::PerformanceData, static_cast<long>(rc));
        return 0;
    }
    for (const auto& p : processes) {
        if (strcasecmp(p.imageName.c_str(), name) == 0) return p.pid;
    }
    return 0;
}

uint32_t KillProcess(Library& lib, const char* name) {
    uint32_t pid = FindProcess(lib, name);
    if (pid == 0) return 0;
    return lib.platform().processes->terminate(pid) ? 1 : 0;
}

} // namespace lntc

#include "process/process.h"

#include "library/services.h"
#include "resources/ids.h"
#include "ui/message_box.h"

#include <strings.h>

namespace lntc {

uint32_t FindProcess(const Services& svc, const char* name) {
    if (name == nullptr || *name == '\0') return 0;
    std::vector<ProcessEntry> processes;
    uint32_t rc = svc.platform.processes->list(processes);
    if (rc != 0) {
        ErrorIdNoOwner(svc.ui, str::PerformanceData, static_cast<long>(rc));
        return 0;
    }
    for (const auto& p : processes) {
        if (strcasecmp(p.imageName.c_str(), name) == 0) return p.pid;
    }
    return 0;
}

uint32_t KillProcess(const Services& svc, const char* name) {
    uint32_t pid = FindProcess(svc, name);
    if (pid == 0) return 0;
    return svc.platform.processes->terminate(pid) ? 1 : 0;
}

} // namespace lntc

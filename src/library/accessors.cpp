#include "library/accessors.h"

#include "library/library.h"
#include "library/lifecycle.h"
#include "store/models.h"
#include "store/registry_access.h"

#include <cstring>

namespace lntc {

namespace {

// The library's own failures leave no records to read; a code passed on from the name
// service comes with records filled all the same (ODR defaults in the general record).
bool recordsFilledDespite(const SharedRecords& r) {
    return (r.initStatus() & 0xFFFF0000u) != (LNTC_E_SECTION & 0xFFFF0000u) && r.config() &&
           r.slots();
}

} // namespace

uint32_t GetConfig(Library& lib, const ServerConfig** config, uint32_t version) {
    SharedRecords& r = lib.records();
    if (r.initStatus() == 0) {
        if (version != LNTC_CONFIG_VERSION) return LNTC_E_VERSION;
        if (config == nullptr) return LNTC_E_ARGUMENT;
        if (!r.attached()) InitialiseSharedConfig(lib);
        if (r.initStatus() == 0) {
            if (!r.config()) return LNTC_E_SECTION;
            *config = r.config();
            return 0;
        }
    }
    // The status sticks; the address is there for a caller that can do without the ODR
    // (an administrator's tool most of all, when the name service is what fails).
    if (version == LNTC_CONFIG_VERSION && config != nullptr && recordsFilledDespite(r))
        *config = r.config();
    return r.initStatus();
}

uint32_t GetQueueName(Library& lib, int32_t index, const char** name) {
    if (name == nullptr) return LNTC_E_ARGUMENT;
    const QueueRecord* slots = lib.records().slots();
    if (slots == nullptr || index < 0 || index >= LNTC_MAX_QUEUES || slots[index].Name[0] == '\0')
        return LNTC_E_NO_QUEUE;
    *name = slots[index].Name;
    return 0;
}

uint32_t GetQueue(Library& lib, const char* name, const QueueRecord** queue, uint32_t version) {
    if (version != LNTC_QUEUE_VERSION) return LNTC_E_VERSION;
    if (queue == nullptr) return LNTC_E_ARGUMENT;
    if (name == nullptr || *name == '\0') return LNTC_E_NO_QUEUE;
    const QueueRecord* slots = lib.records().slots();
    if (slots == nullptr) return LNTC_E_NO_QUEUE;
    // A name that does not fit the field can match no slot; strncmp keeps the scan inside it.
    if (std::strlen(name) >= sizeof slots[0].Name) return LNTC_E_NO_QUEUE;
    for (int i = 0; i < LNTC_MAX_QUEUES; ++i) {
        if (std::strncmp(slots[i].Name, name, sizeof slots[i].Name) == 0) {
            *queue = &slots[i];
            return 0;
        }
    }
    return LNTC_E_NO_QUEUE;
}

uint32_t RetainFiles(Library& lib, const char* name, int32_t retain) {
    return lib.records().RetainFiles(name, retain != 0);
}

uint32_t IsPostScriptPrinter(Library& lib, const char* name) {
    const QueueRecord* queue = nullptr;
    if (GetQueue(lib, name, &queue, LNTC_QUEUE_VERSION) != 0) return 0;
    return ModelClassFlags(ModelIndexOfQueue(*queue)) & 9u;
}

uint32_t NeedKanjiDiskFonts(Library& lib, int32_t clear) {
    uint32_t value = ReadDwordValue(lib.registryRoot(), kFontsKey, "NeedKanjiDiskFonts", 0);
    if (clear != 0)
        DeleteRegistryEntry(lib.registryRoot(), nullptr, kFontsKey, "NeedKanjiDiskFonts");
    return value;
}

} // namespace lntc

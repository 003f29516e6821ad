#include "library/accessors.h"

#include "library/lifecycle.h"
#include "store/initialise.h"
#include "store/library.h"
#include "store/models.h"
#include "store/records.h"
#include "store/registry_access.h"
#include "store/shared_views.h"

#include <cstring>

namespace lntc {

namespace {

// The library's own failures leave no records to read; a code passed on from the name
// service comes with records filled all the same (ODR defaults in the general record).
bool recordsFilledDespite(const SharedStore& s) {
    return (s.initStatus & 0xFFFF0000u) != (LNTC_E_SECTION & 0xFFFF0000u) && s.config && s.queues;
}

} // namespace

uint32_t GetConfig(Library& lib, const ServerConfig** config, uint32_t version) {
    SharedStore& s = lib.store;
    if (s.initStatus == 0) {
        if (version != LNTC_CONFIG_VERSION) return LNTC_E_VERSION;
        if (config == nullptr) return LNTC_E_ARGUMENT;
        if (!s.sections) s.initStatus = InitialiseSharedConfig(lib);
        if (s.initStatus == 0) {
            if (!s.config) return LNTC_E_SECTION;
            *config = s.config.get();
            return 0;
        }
    }
    // The status sticks; the address is there for a caller that can do without the ODR
    // (an administrator's tool most of all, when the name service is what fails).
    if (version == LNTC_CONFIG_VERSION && config != nullptr && recordsFilledDespite(s))
        *config = s.config.get();
    return s.initStatus;
}

uint32_t GetQueueName(Library& lib, int32_t index, const char** name) {
    if (name == nullptr) return LNTC_E_ARGUMENT;
    const QueueRecord* slots = lib.store.queues.get();
    if (slots == nullptr || index < 0 || index >= LNTC_MAX_QUEUES || slots[index].Name[0] == '\0')
        return LNTC_E_NO_QUEUE;
    *name = slots[index].Name;
    return 0;
}

uint32_t GetQueue(Library& lib, const char* name, const QueueRecord** queue, uint32_t version) {
    if (version != LNTC_QUEUE_VERSION) return LNTC_E_VERSION;
    if (queue == nullptr) return LNTC_E_ARGUMENT;
    if (name == nullptr || *name == '\0') return LNTC_E_NO_QUEUE;
    const QueueRecord* slots = lib.store.queues.get();
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
    if (name == nullptr || *name == '\0' || !lib.store.sections) return LNTC_E_NO_QUEUE;
    uint32_t error = 0;
    SectionView<QueueRecord> view(*lib.store.sections, 1, true, error);
    QueueRecord* slots = view.get();
    if (slots == nullptr) return LNTC_E_SECTION;
    uint32_t rc = LNTC_E_NO_QUEUE;
    int slot = FindQueueSlot(slots, name);
    if (slot != kNoSlot) {
        if (retain != 0)
            slots[slot].PrintDest |= 2u;
        else
            slots[slot].PrintDest &= ~2u;
        slots[slot].UpdateTime = static_cast<int32_t>(lib.now());
        rc = 0;
    }
    return rc;
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

#include "store/save.h"

#include "platform/c_locale.h"
#include "platform/errors.h"
#include "resources/ids.h"
#include "store/fields.h"
#include "store/library.h"
#include "store/models.h"
#include "store/records.h"
#include "store/registry_access.h"
#include "store/shared_views.h"
#include "ui/message_box.h"

#include <cstdio>
#include <cstring>

namespace lntc {

namespace {

// Writes a field from the record to the key; a list up to its first empty entry. 0, or the
// first failure.
uint32_t saveField(Library& lib, const Field& f, const char* key, const void* record) {
    uint32_t failed = 0;
    auto keep = [&failed](uint32_t rc) {
        if (failed == 0) failed = rc;
    };
    for (int e = 0; e < f.place.count; ++e) {
        const std::string name = valueName(f, e);
        const char* n = name.c_str();
        switch (f.stored) {
        case Stored::None:
            break;
        case Stored::Number:
        case Stored::Word:
            keep(WriteDwordValue(lib.registryRoot(), key, n,
                                 static_cast<uint32_t>(numberOf(f, record))));
            break;
        case Stored::Text: {
            const std::string text(textOf(f, record, e));
            if (f.place.count > 1 && text.empty()) return failed;
            keep(WriteStringValue(lib.registryRoot(), key, n, text.c_str()));
            break;
        }
        case Stored::Keyword:
            // A number outside its table has no keyword: the value is removed so that it reads
            // back as the field's default rather than as something the record never held.
            if (auto word = numberToKeyword(*f.keywords, numberOf(f, record)))
                keep(WriteStringValue(lib.registryRoot(), key, n, std::string(*word).c_str()));
            else
                keep(DeleteRegistryValue(lib.registryRoot(), key, n));
            break;
        case Stored::Charset:
            keep(WriteCharsetById(lib.registryRoot(), f.id,
                                  static_cast<uint16_t>(numberOf(f, record))));
            break;
        case Stored::Decimal: {
            char text[64];
            {
                CLocaleScope c; // "7.5" in every locale: the value is read back that way
                std::snprintf(text, sizeof text, "%.1f", realOf(f, record));
            }
            keep(WriteStringValue(lib.registryRoot(), key, n, text));
            break;
        }
        }
    }
    return failed;
}

} // namespace

int SaveQueueRecord(Library& lib, QueueRecord& q, bool isNew, WindowRef owner) {
    WritableViews views(lib);
    QueueRecord* slots = views.queues();
    const QueueRecord* lookup = slots ? slots : lib.store.queues.get();
    std::string name(fieldText(q.Name));
    int slot = lookup ? FindQueueSlot(lookup, isNew ? nullptr : name.c_str()) : kNoSlot;
    if (slot == kNoSlot) {
        if (isNew)
            ErrorId(lib, owner, str::TooManyQueues, LNTC_MAX_QUEUES);
        else
            ErrorId(lib, owner, str::QueueNotFound, name.c_str());
        return -1;
    }
    // A second slot of one name would hide the first from every reader (a model change whose
    // deletion failed, or another administrator who saved the queue meanwhile).
    if (isNew && !name.empty() && FindQueueSlot(lookup, name.c_str()) != kNoSlot) {
        lib.logError(err::AlreadyExists, 0,
                     formatMessage(lib.strings().load(str::LogQueueInSlot).c_str(), name.c_str()));
        return -1;
    }

    // The caller's record changes only once the registry holds it.
    QueueRecord saved = q;
    const int model = ModelIndexOfQueue(saved);
    const uint32_t flags = ModelClassFlags(model);
    ModelModuleName(model, saved.ImageHardware, sizeof saved.ImageHardware);
    const std::string key = QueueKey(saved);
    WriteBatch batch(lib.registryRoot());
    for (const Field& f : kQueueFields) {
        if (batch.status() == 0 && savedFor(f, flags))
            batch.note(saveField(lib, f, key.c_str(), &saved));
    }
    if (uint32_t rc = batch.commit()) {
        ShowLastSystemError(lib, owner, rc);
        return static_cast<int>(rc);
    }

    saved.UpdateTime = static_cast<int32_t>(lib.now());
    q = saved;
    if (slots != nullptr) {
        std::memcpy(&slots[slot], &q, sizeof q);
        if (isNew && views.config() != nullptr) views.config()->QueueCount++;
    }
    return 0;
}

int DeleteQueueRecord(Library& lib, const char* name, WindowRef owner) {
    if (name == nullptr) name = "";
    // The slot goes only with the key: a slot freed over a key that stays would come back
    // at the next fill, and every process would meanwhile see the queue gone.
    if (*name != '\0') {
        if (uint32_t rc = DeleteRegistrySubkey(lib.registryRoot(), kQueuesKey, name)) {
            ShowLastSystemError(lib, owner, rc);
            ErrorId(lib, owner, str::QueueNotDeleted, name);
            return static_cast<int>(rc);
        }
    }
    WritableViews views(lib);
    QueueRecord* slots = views.queues();
    int slot = slots && *name ? FindQueueSlot(slots, name) : kNoSlot;
    if (slot == kNoSlot) {
        ErrorId(lib, owner, str::QueueNotFound, name);
        return -1;
    }
    std::memset(&slots[slot], 0, sizeof slots[slot]);
    if (views.config() != nullptr && views.config()->QueueCount > 0) views.config()->QueueCount--;
    return 0;
}

int SaveServerConfig(Library& lib, ServerConfig& c) {
    WriteBatch batch(lib.registryRoot());
    for (const Field& f : kConfigFields) {
        if (batch.status() == 0 && f.savedBy != saves::Never)
            batch.note(saveField(lib, f, subkeyName(f.subkey), &c));
    }
    if (uint32_t rc = batch.commit()) return static_cast<int>(rc);
    c.UpdateTime = static_cast<int32_t>(lib.now());
    WritableViews views(lib);
    if (ServerConfig* shared = views.config()) {
        // The slot count and the marker belong to the shared record: queues created or
        // deleted since the working copy was taken must not be counted back.
        uint16_t queueCount = shared->QueueCount;
        std::memcpy(shared, &c, sizeof c);
        shared->QueueCount = queueCount;
        shared->Magic = LNTC_MAGIC;
    }
    return 0;
}

} // namespace lntc

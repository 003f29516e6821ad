#include "store/shared_records.h"

#include "platform/c_locale.h"
#include "platform/environment.h"
#include "platform/errors.h"
#include "product/product.h"
#include "resources/formats.h"
#include "resources/ids.h"
#include "resources/lookup.h"
#include "store/fields.h"
#include "store/models.h"
#include "store/records.h"
#include "store/registry_access.h"

#include <cstdio>
#include <cstring>

namespace lntc {

namespace {

// Writes a field from the record to the key; a list up to its first empty entry. 0, or the
// first failure.
uint32_t saveField(RegistryRoot& root, const Field& f, const char* key, const void* record) {
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
            keep(WriteDwordValue(root, key, n, static_cast<uint32_t>(numberOf(f, record))));
            break;
        case Stored::Text: {
            const std::string text(textOf(f, record, e));
            if (f.place.count > 1 && text.empty()) return failed;
            keep(WriteStringValue(root, key, n, text.c_str()));
            break;
        }
        case Stored::Keyword:
            // A number outside its table has no keyword: the value is removed so that it reads
            // back as the field's default rather than as something the record never held.
            if (auto word = numberToKeyword(*f.keywords, numberOf(f, record)))
                keep(WriteStringValue(root, key, n, std::string(*word).c_str()));
            else
                keep(DeleteRegistryValue(root, key, n));
            break;
        case Stored::Charset:
            keep(WriteCharsetById(root, f.id, static_cast<uint16_t>(numberOf(f, record))));
            break;
        case Stored::Decimal: {
            char text[64];
            {
                CLocaleScope c; // "7.5" in every locale: the value is read back that way
                std::snprintf(text, sizeof text, "%.1f", realOf(f, record));
            }
            keep(WriteStringValue(root, key, n, text));
            break;
        }
        }
    }
    return failed;
}

} // namespace

SaveStatus SharedRecords::SaveQueueRecord(QueueRecord& q, bool isNew) {
    Writable views = writable();
    if (!views.ok()) return {SaveStatus::NotWritable, views.error};
    const std::string name(fieldText(q.Name));
    const int slot = FindQueueSlot(views.slots, isNew ? nullptr : name.c_str());
    if (slot == kNoSlot) return {isNew ? SaveStatus::NoFreeSlot : SaveStatus::QueueNotFound};
    // A second slot of one name would hide the first from every reader (a model change whose
    // deletion failed, or another administrator who saved the queue meanwhile).
    if (isNew && !name.empty() && FindQueueSlot(views.slots, name.c_str()) != kNoSlot) {
        services_.product.ztrLogError(
            err::AlreadyExists, 0, 0, 0,
            formatMessage(services_.strings.load(str::LogQueueInSlot).c_str(), name.c_str()));
        return {SaveStatus::AlreadyHasSlot};
    }

    // The caller's record changes only once the registry holds it.
    QueueRecord saved = q;
    const int model = ModelIndexOfQueue(saved);
    const uint32_t flags = ModelClassFlags(model);
    ModelModuleName(model, saved.ImageHardware, sizeof saved.ImageHardware);
    const std::string key = QueueKey(saved);
    RegistryRoot& root = services_.registry;
    WriteBatch batch(root);
    for (const Field& f : kQueueFields) {
        if (batch.status() == 0 && savedFor(f, flags))
            batch.note(saveField(root, f, key.c_str(), &saved));
    }
    if (uint32_t rc = batch.commit()) return {SaveStatus::RegistryRefused, rc};

    saved.UpdateTime = static_cast<int32_t>(services_.clock.now());
    q = saved;
    std::memcpy(&views.slots[slot], &q, sizeof q);
    if (isNew) views.config->QueueCount++;
    return {};
}

SaveStatus SharedRecords::DeleteQueueRecord(const char* name) {
    // An empty name names no queue, and never the key of them all.
    if (name == nullptr || *name == '\0') return {SaveStatus::QueueNotFound};
    Writable views = writable();
    if (!views.ok()) return {SaveStatus::NotWritable, views.error};
    const int slot = FindQueueSlot(views.slots, name);
    if (slot == kNoSlot) return {SaveStatus::QueueNotFound};
    // The slot goes only with the key: a slot freed over a key that stays would come back
    // at the next fill, and every process would meanwhile see the queue gone.
    if (uint32_t rc = DeleteRegistrySubkey(services_.registry, kQueuesKey, name))
        return {SaveStatus::RegistryRefused, rc};
    std::memset(&views.slots[slot], 0, sizeof views.slots[slot]);
    if (views.config->QueueCount > 0) views.config->QueueCount--;
    return {};
}

SaveStatus SharedRecords::SaveServerConfig(ServerConfig& c) {
    Writable views = writable();
    if (!views.ok()) return {SaveStatus::NotWritable, views.error};
    RegistryRoot& root = services_.registry;
    WriteBatch batch(root);
    for (const Field& f : kConfigFields) {
        if (batch.status() == 0 && f.savedBy != saves::Never)
            batch.note(saveField(root, f, subkeyName(f.subkey), &c));
    }
    if (uint32_t rc = batch.commit()) return {SaveStatus::RegistryRefused, rc};
    c.UpdateTime = static_cast<int32_t>(services_.clock.now());
    // The slot count and the marker belong to the shared record: queues created or deleted
    // since the working copy was taken must not be counted back.
    ServerConfig& shared = *views.config;
    const uint16_t queueCount = shared.QueueCount;
    std::memcpy(&shared, &c, sizeof c);
    shared.QueueCount = queueCount;
    shared.Magic = LNTC_MAGIC;
    return {};
}

} // namespace lntc

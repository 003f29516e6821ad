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

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

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
    RecordChanges changes;
    changes.saved.push_back({q, isNew});
    SaveStatus status = SaveChanges(changes, "dialogs");
    if (status.ok()) q = changes.saved.front().record;
    return status;
}

SaveStatus SharedRecords::DeleteQueueRecord(const char* name) {
    RecordChanges changes;
    changes.deleted.emplace_back(name != nullptr ? name : "");
    return SaveChanges(changes, "dialogs");
}

SaveStatus SharedRecords::SaveServerConfig(ServerConfig& c) {
    RecordChanges changes;
    changes.config = c;
    SaveStatus status = SaveChanges(changes, "dialogs");
    if (status.ok()) c.UpdateTime = changes.config->UpdateTime;
    return status;
}

SaveStatus SharedRecords::SaveChanges(RecordChanges& changes, std::string_view source) {
    Writable views = writable();
    if (!views.ok()) return {SaveStatus::NotWritable, views.error};

    // The records as they will be, worked out before anything is written.
    std::vector<QueueRecord> next(views.slots, views.slots + LNTC_MAX_QUEUES);
    std::vector<int> touched;
    int added = 0;
    for (const std::string& name : changes.deleted) {
        // An empty name names no queue, and never the key of them all.
        const int slot = name.empty() ? kNoSlot : FindQueueSlot(next.data(), name.c_str());
        if (slot == kNoSlot) return {SaveStatus::QueueNotFound};
        next[slot] = QueueRecord{};
        touched.push_back(slot);
        --added;
    }
    const int32_t now = static_cast<int32_t>(services_.clock.now());
    for (RecordChanges::Save& save : changes.saved) {
        QueueRecord& q = save.record;
        const std::string name(fieldText(q.Name));
        const int slot = FindQueueSlot(next.data(), save.isNew ? nullptr : name.c_str());
        if (slot == kNoSlot)
            return {save.isNew ? SaveStatus::NoFreeSlot : SaveStatus::QueueNotFound};
        // A second slot of one name would hide the first from every reader (a model change
        // whose deletion failed, or another administrator who saved the queue meanwhile).
        if (save.isNew && !name.empty() && FindQueueSlot(next.data(), name.c_str()) != kNoSlot) {
            services_.product.ztrLogError(
                err::AlreadyExists, 0, 0, 0,
                formatMessage(services_.strings.load(str::LogQueueInSlot).c_str(), name.c_str()));
            return {SaveStatus::AlreadyHasSlot};
        }
        ModelModuleName(ModelIndexOfQueue(q), q.ImageHardware, sizeof q.ImageHardware);
        q.UpdateTime = now;
        next[slot] = q;
        touched.push_back(slot);
        if (save.isNew) ++added;
    }
    ServerConfig nextConfig = *views.config;
    if (changes.config) {
        // The slot count and the marker belong to the shared record: queues created or deleted
        // since the working copy was taken must not be counted back.
        nextConfig = *changes.config;
        nextConfig.UpdateTime = now;
        nextConfig.Magic = LNTC_MAGIC;
    }
    nextConfig.QueueCount = static_cast<uint16_t>(std::max(0, views.config->QueueCount + added));

    RegistryRoot& root = services_.registry;
    WriteBatch batch(root);
    // The slot goes only with the key: a slot freed over a key that stays would come back at
    // the next fill, and every process would meanwhile see the queue gone.
    for (const std::string& name : changes.deleted) {
        if (batch.status() == 0) batch.note(DeleteRegistrySubkey(root, kQueuesKey, name.c_str()));
    }
    for (const RecordChanges::Save& save : changes.saved) {
        const uint32_t flags = ModelClassFlags(ModelIndexOfQueue(save.record));
        const std::string key = QueueKey(save.record);
        for (const Field& f : kQueueFields) {
            if (batch.status() == 0 && savedFor(f, flags))
                batch.note(saveField(root, f, key.c_str(), &save.record));
        }
    }
    if (changes.config) {
        for (const Field& f : kConfigFields) {
            if (batch.status() == 0 && f.savedBy != saves::Never)
                batch.note(saveField(root, f, subkeyName(f.subkey), &nextConfig));
        }
    }
    if (changes.alsoWrite && batch.status() == 0) batch.note(changes.alsoWrite(root));
    if (journal_ != nullptr && batch.status() == 0)
        batch.note(
            journal_->record(root, source, *views.config, views.slots, nextConfig, next.data()));
    if (uint32_t rc = batch.commit()) return {SaveStatus::RegistryRefused, rc};

    for (int slot : touched)
        std::memcpy(&views.slots[slot], &next[slot], sizeof next[slot]);
    ServerConfig& shared = *views.config;
    const uint16_t count = static_cast<uint16_t>(std::max(0, shared.QueueCount + added));
    if (changes.config) {
        std::memcpy(&shared, &nextConfig, sizeof nextConfig);
        changes.config->UpdateTime = now;
    }
    shared.QueueCount = count;
    return {};
}

} // namespace lntc

#include "configure/queue_rules.h"

#include "configure/configure.h"
#include "configure/directories.h"
#include "configure/font_rules.h"
#include "connectivity/connectivity_rules.h"
#include "media/media_dialogs.h"
#include "media/media_rules.h"
#include "resources/ids.h"
#include "store/fields.h"
#include "store/models.h"
#include "store/records.h"

#include <vector>

namespace lntc {

namespace {

// A model the main dialog lets a person choose, stored as it stores it: a catalogue key, or
// "OTHER" with the key of one of the models offered only as another model.
bool modelChosen(const QueueRecord& q, int model) {
    if (model < 1) return false;
    const bool other = fieldText(q.Printer) == "OTHER";
    return model < kFirstOtherModel ? !other : other;
}

std::string rangeMessage(const StringLookup& strings, const Field& f) {
    return f.place.cell == Cell::F64 ? NumberRangeMessage(strings, *f.range)
                                     : IntegerRangeMessage(strings, *f.range);
}

} // namespace

std::string CheckQueueRecord(const Services& svc, const QueueRecord& q) {
    const StringLookup& strings = svc.ui.strings();
    if (!QueueNameUsable(fieldText(q.Name))) return strings.load(str::QueueNameUnusable);
    const int model = ModelIndexOfQueue(q);
    if (!modelChosen(q, model)) return strings.load(str::SelectModel);
    const uint32_t flags = ModelClassFlags(model);
    if (const Field* f = FieldOutOfRange(kQueueFields, &q, flags)) return rangeMessage(strings, *f);
    if (takesPostScript(flags)) {
        if (std::string message = CheckConnectivity(svc, q); !message.empty()) return message;
    }
    if (q.DuplexPrint != 0 && !DuplexAllowed(flags, q.DuplexAvailable))
        return strings.load(str::DuplexNotAvailable);
    return CheckQueueMedia(svc, q);
}

std::string CheckServerConfig(const Services& svc, const ServerConfig& c) {
    // In the order the general options and then the fonts dialog check them.
    const std::pair<const char*, uint32_t> directories[] = {
        {c.PrimaryCacheDir, dirmode::OfferCreate | dirmode::MustExist},
        {c.TempFilesDir, dirmode::OfferCreate | dirmode::MustExist}};
    for (const auto& [text, mode] : directories) {
        const CompletedPath path = CompletePath(svc, fieldText(text, sizeof c.TempFilesDir));
        if (std::string message = DirectoryProblem(svc, path.full(), mode); !message.empty())
            return message;
    }
    if (const Field* f = FieldOutOfRange(kConfigFields, &c, 0))
        return rangeMessage(svc.ui.strings(), *f);
    const CompletedPath fonts = CompletePath(svc, fieldText(c.FontDir));
    if (std::string message = DirectoryProblem(svc, fonts.full(), dirmode::MustExist);
        !message.empty())
        return message;
    return CheckFontChoices(svc.ui.strings(), c);
}

void CreateQueueRecord(const Services& svc, int model, const std::string& name,
                       const std::string& description, QueueRecord& q) {
    q = QueueRecord{};
    InitNewQueueRecord(model, name, description, q);
    // What the model's configuration dialog does to the record before it shows.
    const uint32_t flags = ModelClassFlags(model);
    if (isLargeDocument(flags)) {
        std::vector<uint16_t> available;
        PrepareBestAvailMedia(svc, q, nullptr, available, false);
    } else if (takesPostScript(flags) || isRicoh(flags)) {
        DefaultMedia media{};
        MergeQueueMedia(svc, q, media, false);
    }
}

} // namespace lntc

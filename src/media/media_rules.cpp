#include "media/media_rules.h"

#include "library/services.h"
#include "media/media_dialogs.h"
#include "media/paper_sizes.h"
#include "resources/formats.h"
#include "resources/ids.h"
#include "store/models.h"
#include "store/records.h"

#include <algorithm>

namespace lntc {

namespace {

constexpr uint16_t kNone = LNTC_MEDIA_NONE;

const char* trayText(const QueueRecord& q, int tray) {
    return tray == 0 ? q.Tray1_Top : tray == 1 ? q.Tray2_Bottom : q.Tray3_Third;
}

// A stored tray number the model's list does not hold. None chosen (-1) is always allowed; a
// list without entries is disabled in the dialog, which then stores none.
bool trayOffered(int16_t stored, const MediaTrayList& list) {
    const uint16_t names = std::min<uint16_t>(list.usNumTrayNames, LNTC_MEDIA_TRAY_NAMES);
    return stored == -1 || list.usTrayNameIndex == kNone || static_cast<uint16_t>(stored) < names;
}

std::string checkInputTrays(const Services& svc, const QueueRecord& q, const QueueRecord& merged,
                            const DefaultMedia& media) {
    const StringLookup& strings = svc.ui.strings();
    const uint16_t papers = std::min<uint16_t>(media.NumPaperSizes, LNTC_MEDIA_PAPER_SIZES);
    bool present[LNTC_MEDIA_TRAYS] = {};
    int32_t ranks[LNTC_MEDIA_TRAYS] = {};
    int count = 0;
    for (int t = 0; t < LNTC_MEDIA_TRAYS; ++t) {
        const TrayValue v = ParseTrayValue(fieldText(trayText(merged, t), sizeof q.Tray1_Top));
        if (!v.present) continue;
        bool listed = false;
        for (uint16_t i = 0; i < papers && !listed; ++i)
            listed = equalsIgnoreCase(fieldText(media.PaperSizes[i].szName), v.paper);
        if (!listed)
            return formatMessage(strings.load(str::PaperNotOffered).c_str(),
                                 std::string(v.paper).c_str());
        present[t] = true;
        ranks[count++] = v.priority;
    }
    std::sort(ranks, ranks + count);
    for (int i = 0; i < count; ++i)
        if (ranks[i] != i + 1) return strings.load(str::TrayPriorities);
    if (!trayOffered(q.QDDefaultTray, media.QDTrays))
        return formatMessage(strings.load(str::TrayNotOffered).c_str(), q.QDDefaultTray);
    if (media.QDTrays.usTrayNameIndex != kNone &&
        !DefaultTrayAvailable(merged.QDDefaultTray, present))
        return strings.load(str::QdTrayNotAvailable);
    return {};
}

} // namespace

std::vector<std::string_view> SplitMediaText(std::string_view text, std::string_view separators) {
    std::vector<std::string_view> out;
    size_t i = 0;
    while (i < text.size()) {
        i = text.find_first_not_of(separators, i);
        if (i == std::string_view::npos) break;
        size_t end = text.find_first_of(separators, i);
        if (end == std::string_view::npos) end = text.size();
        out.push_back(text.substr(i, end - i));
        i = end;
    }
    return out;
}

TrayValue ParseTrayValue(std::string_view value) {
    const auto tokens = SplitMediaText(value, " \t\n,");
    TrayValue v;
    if (tokens.empty()) return v;
    v.given = true;
    if (equalsIgnoreCase(tokens[0], "NONE")) return v;
    v.present = true;
    v.paper = tokens[0];
    const int32_t priority = tokens.size() > 1 ? decimalValue(tokens[1]) : 0;
    v.priority = priority >= 0 && priority <= LNTC_MEDIA_TRAYS ? priority : 0;
    return v;
}

bool DefaultTrayAvailable(int tray, const bool (&present)[LNTC_MEDIA_TRAYS]) {
    return tray < 0 || (tray < LNTC_MEDIA_TRAYS && present[tray]);
}

std::string CheckQueueMedia(const Services& svc, const QueueRecord& q) {
    const uint32_t flags = ModelClassFlags(ModelIndexOfQueue(q));
    QueueRecord merged = q;
    if (isLargeDocument(flags)) {
        std::vector<uint16_t> available;
        PrepareBestAvailMedia(svc, merged, nullptr, available, false);
        if (merged.BestAvailPaperSizes[0] == '\0')
            return svc.ui.strings().load(str::NoBestAvailSize);
        return {};
    }
    DefaultMedia media{};
    MergeQueueMedia(svc, merged, media, false);
    if (takesPostScript(flags)) return checkInputTrays(svc, q, merged, media);
    if (isRicoh(flags)) {
        const std::pair<int16_t, const MediaTrayList*> trays[] = {
            {q.EjectTray, &media.EjectTrays},
            {q.QDDefaultTray, &media.QDTrays},
            {q.PSDefaultTray, &media.PSTrays}};
        for (const auto& [stored, list] : trays)
            if (!trayOffered(stored, *list))
                return formatMessage(svc.ui.strings().load(str::TrayNotOffered).c_str(), stored);
    }
    return {};
}

} // namespace lntc

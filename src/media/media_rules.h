// The paper media rules the media dialogs hold a queue to, shared with the check of a record
// that did not come through them.
#pragma once
#include "lntc/lntc.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lntc {

struct Services;

// The parts of a text between any of the separators.
std::vector<std::string_view> SplitMediaText(std::string_view text, std::string_view separators);

// A stored input tray ("LETTER, 1", "NONE"): whether a value is given, whether it names a
// tray that is present, its paper name and its priority (0 when it has none).
struct TrayValue {
    bool given = false;
    bool present = false;
    std::string_view paper;
    int32_t priority = 0;
};
TrayValue ParseTrayValue(std::string_view value);

// Whether a Quendal-job default tray (0 Top, 1 Bottom, 2 Third; -1 none chosen) is one of the
// present input trays.
bool DefaultTrayAvailable(int tray, const bool (&present)[LNTC_MEDIA_TRAYS]);

// Empty when the queue keeps the rules of its model's media dialog, else the message of the
// first it breaks. Input trays (HP LaserJet, generic PostScript): each "NONE" or a paper the
// model lists with a priority, the present trays ranked 1 to their number once each, and the
// Quendal-job default tray a present one. Eject trays (Ricoh): the three tray numbers each
// one its list offers. Best available (large-document printers): at least one paper size.
// An empty value counts as what the dialog fills it with from the model's media.
std::string CheckQueueMedia(const Services& svc, const QueueRecord& q);

} // namespace lntc

// The default media table: every catalogue model's paper sizes, input trays and tray-name
// lists, read from the store's "Default Media" tree into process-local memory.
#pragma once
#include "lntc/lntc.h"

#include <cstdint>

namespace lntc {

struct Services;

inline constexpr const char* kDefaultMediaKey = "Default Media";

// Builds the table (one entry per catalogue model, in catalogue order) and replaces the
// previous one. 1 when built; 0 after the failure has been shown (only logged when show is
// false) or logged, with any earlier table kept.
int32_t GetDefaultMedia(const Services& svc, bool show = true);

// Orientation the queue's model stores for a paper name (compared ignoring case); 0 when the
// model does not list it, the queue's model is not in the catalogue, or no table can be
// built. Builds the table first when this process has none.
int16_t GetPaperOrientation(const Services& svc, const QueueRecord* queue, const char* paperName);

class ValueReader;
// Reads one model's values (a missing subkey gives every value its default). odrGeneration 1
// drops "Executive" entries.
void ReadModelMedia(ValueReader& values, uint16_t odrGeneration, DefaultMedia& media);

} // namespace lntc

// The default media table: every catalogue model's paper sizes, input trays and tray-name
// lists, read from the store's "Default Media" tree into process-local memory.
#pragma once
#include "lntc/lntc.h"
#include "platform/registry.h"

#include <cstdint>

namespace lntc {

class Library;

inline constexpr const char* kDefaultMediaKey = "Default Media";

namespace mediamsg {
inline constexpr uint32_t MissingKey = 32866; // argument: the configuration directory
inline constexpr uint32_t NoMemory = 32867;
} // namespace mediamsg

// Builds the table (one entry per catalogue model, in catalogue order) and replaces the
// previous one. 1 when built; 0 after the failure has been shown or logged, with any earlier
// table kept.
int32_t GetDefaultMedia(Library& lib);

// Orientation the queue's model stores for a paper name (compared ignoring case); 0 when the
// model does not list it, the queue's model is not in the catalogue, or no table can be
// built. Builds the table first when this process has none.
int16_t GetPaperOrientation(Library& lib, const QueueRecord* queue, const char* paperName);

// Reads one model's subkey (kNoKey when it is missing: every value takes its default).
// odrGeneration 1 drops "Executive" entries.
void ReadModelMedia(Library& lib, RegKey modelKey, uint16_t odrGeneration, DefaultMedia& media);

} // namespace lntc

// Library load and unload, and the first-use fill of the shared records.
#pragma once
#include "lntc/lntc.h"

#include <cstdint>

namespace lntc {

class Library;

inline constexpr const char* kConfigSectionName = "lnt_config_data";
inline constexpr const char* kQueueSectionName = "lnt_queue_data";
inline constexpr const char* kBrokerProcess = "vxl_broker";

// Opens the registry root for writing (creating it only when missing; falling back to
// read-only on a store this process may not write), sets the help file path, runs the
// start-up logo step. Result 0, or the platform code when the product root cannot be opened
// at all or the logo's event cannot be made (the library then does not load).
uint32_t LoadLibrary(Library& lib);
// Closes the logo and its event and the root, checks the marker, releases the sections, stops
// "vxl_broker" when this process did not find it running.
void UnloadLibrary(Library& lib);

uint32_t InitialiseSharedConfig(Library& lib);
void LoadQueueRecord(Library& lib, QueueRecord& queue);
uint32_t ReadOdrSystemDefaults(Library& lib, ServerConfig& config);
void LoadFontDefaults(Library& lib, ServerConfig& config);
// Prefixes PATH with the library's "ps1" folder for ODR releases below 3.1.0.
void ApplySearchPathRule(Library& lib, const ServerConfig& config);

} // namespace lntc

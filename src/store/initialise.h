// Filling the shared records from the registry, with every default.
#pragma once
#include "lntc/lntc.h"

#include <cstdint>

namespace lntc {

struct StoreServices;

inline constexpr const char* kConfigSectionName = "lnt_config_data";
inline constexpr const char* kQueueSectionName = "lnt_queue_data";

// Fills both records (the general record, then every queue key into its slot) in one
// registry snapshot; the marker is set first. The name service's code, or 0.
uint32_t FillSharedRecords(const StoreServices& store, ServerConfig& config, QueueRecord* slots);
void LoadQueueRecord(const StoreServices& store, QueueRecord& queue);
uint32_t ReadOdrSystemDefaults(const StoreServices& store, ServerConfig& config);
// Prefixes PATH with the library's "ps1" folder for ODR releases below 3.1.0.
void ApplySearchPathRule(const StoreServices& store, const ServerConfig& config);

} // namespace lntc

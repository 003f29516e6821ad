// Field-by-field views of the two records for printing.
#pragma once
#include "lntc/lntc.h"

#include <nlohmann/json.hpp>

namespace lntc::tool {

using Json = nlohmann::ordered_json;

Json configToJson(const ServerConfig& config);
Json queueToJson(const QueueRecord& queue);

} // namespace lntc::tool

// Field-by-field views of the two records for printing.
#pragma once
#include "lntc_admin.h"

#include <nlohmann/json.hpp>

namespace tool {

using Json = nlohmann::ordered_json;

// Every value in record order, as the library names them.
Json configToJson(const ServerConfig& config);
Json queueToJson(const QueueRecord& queue);

} // namespace tool

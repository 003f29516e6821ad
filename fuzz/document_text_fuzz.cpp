// A document of any content is read or refused; one that is read comes back the same from its
// own YAML, its values are read or refused without harm, and it plans no change against itself.
#include "library/admin/document.h"
#include "library/admin/plan.h"
#include "library/admin/yaml_text.h"
#include "store/fields.h"

#include <cstdlib>
#include <string_view>

using namespace lntc;
using namespace lntc::admin;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    Document doc;
    std::string why;
    if (!ParseDocumentText(text, doc, why)) {
        if (why.empty()) std::abort();
        return 0;
    }
    ServerConfig config{};
    ReadConfigValues(doc, config, why);
    if (const auto queues = doc.find("Queues"); queues != doc.end() && queues->is_object()) {
        for (const auto& [name, entry] : queues->items()) {
            QueueRecord q{};
            ReadQueueValues(entry, name, q, why);
        }
    }
    if (!PlanLines(doc, doc).empty()) std::abort();
    // JSON may hold what YAML has no type for (true, false); YAML may grow past the size cap.
    const size_t first = text.find_first_not_of(" \t\r\n");
    const std::string yaml = YamlText(doc);
    if (text[first] == '{' || yaml.size() > (1u << 20)) return 0;
    Document back;
    if (!ParseDocumentText(yaml, back, why) || back != doc) std::abort();
    return 0;
}

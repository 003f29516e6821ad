// The library's help file: plain text beside the library, one topic per help context.
//
//   # a comment line
//   [203] Lintora Configuration
//   The text of the topic, up to the next topic line. Blank lines separate paragraphs;
//   a text line that has to begin with "[" or "#" is written with a "\" in front.
//
// A context is a dialog's template id (its Help button) or a control's id (F1 on it).
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lntc {

struct HelpTopic {
    uint32_t context = 0;
    std::string title;
    std::string text; // paragraphs separated by "\n\n", no trailing line end
};

// Every topic of a help file, in file order.
std::vector<HelpTopic> parseHelpFile(std::string_view contents);

// The topic of a context; the first one when a file repeats it.
std::optional<HelpTopic> findHelpTopic(std::string_view contents, uint32_t context);

} // namespace lntc

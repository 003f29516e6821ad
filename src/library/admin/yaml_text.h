// Documents as text: YAML out, YAML or JSON in.
#pragma once
#include "library/admin/document.h"

#include <string>
#include <string_view>

namespace lntc::admin {

// Block style, keys in document order; a mapping or list of plain values that fits the line
// is written in flow style. Strings are quoted whenever a YAML reader would take them for
// anything else, single-quoted (backslashes stay as they are) unless they hold characters
// that need escapes.
std::string YamlText(const Document& doc);

// A document from YAML, or from JSON when the first non-blank byte is '{' (the Windows build,
// without a YAML reader, refuses any other text). Plain YAML scalars
// that are integers or decimals become numbers, "~", "null" and empty ones null, everything
// else (quoted ones, "yes", "0123") a string. Refused, with the line and column in why: a
// text that is not a mapping at the top, anchors and aliases, tags other than !!str, duplicate
// keys, more than one document, nesting deeper than 32 levels and texts over 1 MiB.
bool ParseDocumentText(std::string_view text, Document& out, std::string& why);

} // namespace lntc::admin

// Text from outside (files, arguments, environment, the store) made safe to show on a
// terminal or to write into a one-line log entry.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace lntc {

enum class LineBreaks {
    Escape,  // CR and LF as \x0d and \x0a like every other control byte
    AsSpace, // each CR and LF a blank, for text that is meant to read as one line
};

// Control bytes, DEL, the C1 controls and bytes that are not UTF-8 become \xNN; everything
// else, valid UTF-8 included, is kept.
std::string printable(std::string_view text, LineBreaks breaks = LineBreaks::Escape);

// Length of the well-formed UTF-8 sequence of two or more bytes at text[i] (overlong forms,
// surrogates and values past U+10FFFF excluded), with its code point in c; else 0.
size_t utf8Length(std::string_view text, size_t i, char32_t& c);

// printable(text) in single quotes, for names and paths inside a message.
std::string quote(std::string_view text);

} // namespace lntc

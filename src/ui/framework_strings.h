// Texts of the dialog framework itself, numbered like the rest of the string table.
#pragma once
#include <cstdint>

namespace lntc {

namespace fwstr {
inline constexpr uint32_t ParseInt = 61712;           // "Please enter an integer."
inline constexpr uint32_t ParseReal = 61713;          // "Please enter a number."
inline constexpr uint32_t ParseIntRange = 61714;      // "... integer between %1 and %2."
inline constexpr uint32_t ParseRealRange = 61715;     // "... number between %1 and %2."
inline constexpr uint32_t ParseStringSize = 61716;    // "... no more than %1 characters."
inline constexpr uint32_t AppName = 61717;            // caption of the framework's boxes
inline constexpr uint32_t MissingMessage = 61718;     // "The message id %d is missing ..."
inline constexpr uint32_t MissingMessageText = 61719; // "ERROR: missing message"
} // namespace fwstr

// Built-in text of a framework string, or nullptr.
const char* frameworkString(uint32_t id);

} // namespace lntc

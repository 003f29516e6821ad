// Registry text files as the common registry editors read and write them.
#pragma once
#include "platform/registry.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace lntc {

enum class RegFileFormat {
    Regedit4, // "REGEDIT4", single-byte text
    V5,       // "Windows Registry Editor Version 5.00", UTF-16LE with a byte-order mark
};

struct RegFileError {
    uint32_t line = 0;   // 1-based; 0 when the fault is not on a line
    std::string message; // "line 7: expected '=' after value name"
};

// Writes keyPath ("HKEY_LOCAL_MACHINE\..." or "HKLM\...") and everything below it into out.
// Returns a Win32 error; 2 when the key does not exist, 1010 (with the reason in *why) when a
// key lies deeper than kMaxKeyDepth, which no import would take back.
uint32_t exportRegistry(Registry& reg, const std::string& keyPath, RegFileFormat fmt,
                        std::string& out, std::string* why = nullptr);

// Applies a registry file all or nothing: the whole file is checked before anything is
// written, and the writes form one batch. Returns a Win32 error (13 for a malformed file)
// and describes the fault in error. account, when given, is told each key the file writes or
// deletes ("+" or "-" and its path) inside the batch; an error from it rolls the import back.
uint32_t
importRegistry(Registry& reg, std::string_view fileBytes, RegFileError& error,
               const std::function<uint32_t(const std::vector<std::string>& keys)>& account = {});

} // namespace lntc

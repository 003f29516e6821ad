// Finding and stopping processes by image name.
#pragma once
#include <cstdint>

namespace lntc {

class Library;

// Id of the first process whose image name (without extension) equals name ignoring case;
// 0 when none runs or the lookup failed (after its message was shown).
uint32_t FindProcess(Library& lib, const char* name);
// Terminates the process FindProcess finds; 0 when none or the termination failed.
uint32_t KillProcess(Library& lib, const char* name);

} // namespace lntc

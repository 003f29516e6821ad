// Finding and stopping processes by image name.
#pragma once
#include <cstdint>

namespace lntc {

struct Services;

// Id of the first process whose image name (without extension) equals name ignoring case;
// 0 when none runs or the lookup failed (after its message was shown).
uint32_t FindProcess(const Services& svc, const char* name);
// Terminates the process FindProcess finds; 0 when none or the termination failed.
uint32_t KillProcess(const Services& svc, const char* name);

} // namespace lntc

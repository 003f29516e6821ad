#pragma once
#include "lntc_admin.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tool {

using Args = std::vector<std::string>;

int cmdShow(const Args& args);
int cmdRetain(const Args& args);
int cmdPostScript(const Args& args);
int cmdKanjiFonts(const Args& args);
int cmdFind(const Args& args);
int cmdKill(const Args& args);
int cmdHold(const Args& args);
int cmdReg(const Args& args);
int cmdDemoSetup(const Args& args);
int cmdQueue(const Args& args);
int cmdDump(const Args& args);
int cmdApply(const Args& args);
int cmdHistory(const Args& args);
int cmdRestore(const Args& args);
// Which machine root the records shown come from: a header line, on standard error when
// standard output carries JSON.
void sayRoot(bool json);

// Exit codes: 0 done, 1 failed, 2 bad usage.
int usageError(const char* message);
// Text of an export's status code.
std::string statusText(uint32_t status);
// After LNTC_GetConfig: whether the records can be shown. A name-service failure during the
// fill still leaves them (and the address); that is a warning on standard error, anything
// else an error.
bool configUsable(uint32_t status, const ServerConfig* config);

} // namespace tool

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
int cmdLog(const Args& args);
int cmdQueue(const Args& args);
int cmdDump(const Args& args);
int cmdApply(const Args& args);
int cmdHistory(const Args& args);
int cmdRestore(const Args& args);

// Exit codes: 0 done, 1 failed, 2 bad usage.
// Says what is wrong (when message is not empty) and the running command's usage; 2.
int usageError(const std::string& message = "");
// Starts the library on the machine root of the command line, once: a command calls it when
// its arguments were found good, so that a wrong call creates nothing.
void startLibrary();
// The machine root: --root's, else the library's choice.
std::string machineRoot();
// Names the machine root a command reads: a header line, or on standard error for --json.
void sayMachineRoot(bool json);
// Text of an export's status code.
std::string statusText(uint32_t status);
// After LNTC_GetConfig: whether the records can be shown. A name-service failure during the
// fill still leaves them (and the address); that is a warning on standard error, anything
// else an error.
bool configUsable(uint32_t status, const ServerConfig* config);

} // namespace tool

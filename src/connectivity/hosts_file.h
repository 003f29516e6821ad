// The machine's hosts file, as the TCP Direct dialog and the ODR discovery use it: looking a
// name up, listing the names, and adding or replacing a name's line. Independent of any
// dialog: failures are shown in boxes owned by the given window.
#pragma once
#include "ui/host.h"

#include <cstdint>
#include <string>
#include <vector>

namespace lntc {

class Environment;
struct Services;

// "%SystemRoot%\system32\drivers\etc\hosts" in the product's path form. SystemRoot counts only
// when it names a folder on drive C (the machine root); otherwise it is "C:\WINDOWS".
std::string HostsFilePath(const Environment& env);
std::string HostsFilePath(const Services& svc);

// Whether an entry (comment lines skipped) has exactly the name for its names; address is the
// first such entry's, else "0.0.0.0". A file that cannot be read has no entries (why is
// logged, unless there is no file). An entry is a line of an address of at most 20 characters,
// blanks, and names of at most 80.
bool LookupHostsName(const Services& svc, const std::string& name, std::string& address);

// Every entry's names part, in file order (comment lines skipped, tabs read as blanks).
std::vector<std::string> FillHostsNames(const Services& svc);

// Adds the name's line, or replaces every line whose names are exactly the name, keeping the
// previous file as the backup, its permissions and (where the process may) its owner. Rewrites
// by several processes take turns, each from the file the last one left. The hosts file is
// never left missing or partly written: a failure is shown (owned by owner) and logged, leaves
// the old file in place and is returned; 0 on success.
uint32_t UpdateHostsFile(const Services& svc, WindowRef owner, const std::string& address,
                         const std::string& name);

// Takes the name's entries out, as UpdateHostsFile rewrites the file, showing nothing: a line
// written for a change that did not happen. 0 also when there is no such entry.
uint32_t RemoveHostsName(const Services& svc, const std::string& name);

} // namespace lntc

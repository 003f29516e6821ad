// Library load and unload, and the first-use initialisation of the shared records.
#pragma once
#include "lntc/lntc.h"

#include <cstdint>
#include <string>

namespace lntc {

class Library;
class Modules;

inline constexpr const char* kBrokerProcess = "vxl_broker";

// Opens the registry root for writing (creating it only when missing; falling back to
// read-only on a store this process may not write), sets the help file path, runs the
// start-up logo step. Result 0, or the platform code when the product root cannot be opened
// at all or the logo's event cannot be made (the library then does not load).
uint32_t LoadLibrary(Library& lib);
// The help file of the library loaded from modulePath: named as the library, with ".HLP" for
// its extension and any version after ".so" dropped, in the modules' folder (without modules,
// the library's own folder): liblntc.HLP on Linux, lntc.HLP beside lntc.dll on Windows.
std::string HelpFileOf(const std::string& modulePath, const Modules* modules);
// Closes the logo and its event and the root, checks the marker, releases the sections, stops
// "vxl_broker" when this process did not find it running.
void UnloadLibrary(Library& lib);

// Creates or opens both shared sections as one unit; the process that created them fills
// them. 0, 0xCF190003, or the name service's code from the fill.
uint32_t InitialiseSharedConfig(Library& lib);

} // namespace lntc

// The production instance of the process, held by liblntc.so's exports.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

namespace lntc {

class Host;
class Library;
class ProductionLibrary;

// The library when it is loaded, else nullptr.
Library* LoadedLibrary();
// The instance even when its load failed (its registry can still be read), else nullptr.
ProductionLibrary* ProductionInstance();

// In a program that deferred the load: starts the instance with host (nullptr: the display
// host) on root (empty: the default machine root), saying why it could not. 0, or the load's
// status.
uint32_t StartDeferredLibrary(Host* host, const std::function<void(const std::string&)>& say,
                              const std::string& root = "");
// Unloads and ends what StartDeferredLibrary started; the program's run is over.
void StopDeferredLibrary();
bool LoadIsDeferred();

#ifdef _WIN32
// The DLL's attach and detach (dll_main.cpp); whether the program starts the library itself.
bool AttachLibrary();
void DetachLibrary();
bool ProgramDefersLoad();
#endif

} // namespace lntc

// lntc.dll's entry point. The loader calls it under its lock, where loading another library
// (the localised module, the display host) may deadlock: attaching only makes the instance, and
// the library starts as the Linux build starts it at load, at the first call of an export.
// Detaching unloads it as the Linux build does at unload; the library runs no threads of its
// own, so nothing there waits for one.
#ifdef _WIN32
#include "library/admin/lntc_admin.h"
#include "library/instance.h"

#include <windows.h>

namespace lntc {

bool ProgramDefersLoad() {
    // A program cannot define a weak symbol for a DLL: it exports it, and it is looked up here.
    const auto* value = reinterpret_cast<const uint32_t*>(
        GetProcAddress(GetModuleHandleW(nullptr), "LNTC_AdminDeferredLoad"));
    return value != nullptr && *value == LNTC_ADMIN_VERSION;
}

} // namespace lntc

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) return lntc::AttachLibrary() ? TRUE : FALSE;
    if (reason == DLL_PROCESS_DETACH) lntc::DetachLibrary();
    return TRUE;
}
#endif

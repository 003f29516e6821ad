// The exported C interface over the process's production library.
#include "configure/configure.h"
#include "library/accessors.h"
#include "library/admin/lntc_admin.h"
#include "library/instance.h"
#include "library/lifecycle.h"
#include "library/production.h"
#include "lntc/lntc.h"
#include "logo/logo.h"
#include "media/default_media.h"
#include "platform/printable.h"
#include "process/process.h"
#include "store/initialise.h"

#include <cstdio>
#include <functional>
#include <memory>
#include <mutex>
#include <new>
#include <string>

// Defined by a program that starts the library itself (see lntc_admin.h).
#ifndef _WIN32
#pragma weak LNTC_AdminDeferredLoad
#endif

namespace {

using lntc::Library;

struct Instance {
    std::unique_ptr<lntc::ProductionLibrary> production;
    uint32_t loadStatus = LNTC_E_NOT_LOADED;
    bool deferred = false;
};

Instance* g_instance = nullptr;

uint32_t start(lntc::Host* host, const std::function<void(const std::string&)>& say,
               const std::string& root = "") {
    try {
        g_instance->production = std::make_unique<lntc::ProductionLibrary>(
            root.empty() ? lntc::defaultMachineRoot() : root);
        // Before the load, so that nothing goes to another host.
        if (host != nullptr) {
            lntc::Library& lib = g_instance->production->library();
            lib.setHost(*host);
            host->recordWindowsIn(lib.platform().windows);
        }
        g_instance->loadStatus = lntc::LoadLibrary(g_instance->production->library());
    } catch (const std::exception& e) {
        say(lntc::printable(e.what()));
        g_instance->production.reset();
        g_instance->loadStatus = LNTC_E_NOT_LOADED;
    }
    if (g_instance->loadStatus != 0 && g_instance->production)
        say("the library could not start (error " + std::to_string(g_instance->loadStatus) + ")");
    return g_instance->loadStatus;
}

void stop() {
    try {
        if (g_instance->production && g_instance->loadStatus == 0)
            lntc::UnloadLibrary(g_instance->production->library());
        // The records go with the library; a host handed to it outlives it.
        if (g_instance->production)
            g_instance->production->library().host().recordWindowsIn(nullptr);
    } catch (...) {
    }
    g_instance->loadStatus = LNTC_E_NOT_LOADED;
    g_instance->production.reset();
}

void load() {
    // An administration program starts the library itself, with the host its run needs.
#ifdef _WIN32
    if (lntc::ProgramDefersLoad()) {
#else
    if (&LNTC_AdminDeferredLoad != nullptr && LNTC_AdminDeferredLoad == LNTC_ADMIN_VERSION) {
#endif
        g_instance->deferred = true;
        return;
    }
    start(nullptr,
          [](const std::string& line) { std::fprintf(stderr, "liblntc: %s\n", line.c_str()); });
}

void unload() {
    if (g_instance == nullptr) return;
    stop();
    delete g_instance;
    g_instance = nullptr;
}

#ifdef _WIN32
std::once_flag g_loaded;

// The load that the Linux build runs when the library is loaded, at the first call instead.
void loadOnFirstUse() {
    if (g_instance != nullptr) std::call_once(g_loaded, load);
}
#else
void loadOnFirstUse() {}

__attribute__((constructor)) void onLoad() {
    g_instance = new Instance;
    load();
}

__attribute__((destructor)) void onUnload() {
    unload();
}
#endif

Library* library() {
    return lntc::LoadedLibrary();
}

// No exception crosses the C boundary.
template <typename F> uint32_t guarded(uint32_t failure, F&& f) {
    try {
        Library* lib = library();
        if (lib == nullptr) return failure;
        return f(*lib);
    } catch (...) {
        return failure;
    }
}

} // namespace

namespace lntc {

#ifdef _WIN32
bool AttachLibrary() {
    g_instance = new (std::nothrow) Instance;
    return g_instance != nullptr;
}

void DetachLibrary() {
    unload();
}
#endif

Library* LoadedLibrary() {
    loadOnFirstUse();
    if (g_instance == nullptr || !g_instance->production || g_instance->loadStatus != 0)
        return nullptr;
    return &g_instance->production->library();
}

ProductionLibrary* ProductionInstance() {
    loadOnFirstUse();
    return g_instance != nullptr ? g_instance->production.get() : nullptr;
}

bool LoadIsDeferred() {
    loadOnFirstUse();
    return g_instance != nullptr && g_instance->deferred;
}

uint32_t StartDeferredLibrary(Host* host, const std::function<void(const std::string&)>& say,
                              const std::string& root) {
    if (!LoadIsDeferred() || g_instance->production) return LNTC_E_ARGUMENT;
    return start(host, say, root);
}

void StopDeferredLibrary() {
    if (LoadIsDeferred()) stop();
}

} // namespace lntc

extern "C" {

uint32_t LNTC_GetConfig(const ServerConfig** config, uint32_t version) {
    return guarded(LNTC_E_NOT_LOADED,
                   [&](Library& lib) { return lntc::GetConfig(lib, config, version); });
}

uint32_t LNTC_GetQueueName(int32_t index, const char** name) {
    return guarded(LNTC_E_NOT_LOADED,
                   [&](Library& lib) { return lntc::GetQueueName(lib, index, name); });
}

uint32_t LNTC_GetQueue(const char* name, const QueueRecord** queue, uint32_t version) {
    return guarded(LNTC_E_NOT_LOADED,
                   [&](Library& lib) { return lntc::GetQueue(lib, name, queue, version); });
}

uint32_t LNTC_RetainFiles(const char* name, int32_t retain) {
    return guarded(LNTC_E_NOT_LOADED,
                   [&](Library& lib) { return lntc::RetainFiles(lib, name, retain); });
}

uint32_t LNTC_IsPostScriptPrinter(const char* name) {
    return guarded(0, [&](Library& lib) { return lntc::IsPostScriptPrinter(lib, name); });
}

uint32_t LNTC_NeedKanjiDiskFonts(int32_t clear) {
    return guarded(0, [&](Library& lib) { return lntc::NeedKanjiDiskFonts(lib, clear); });
}

uint32_t LNTC_FindProcess(const char* name) {
    return guarded(0, [&](Library& lib) { return lntc::FindProcess(lib.services(), name); });
}

uint32_t LNTC_KillProcess(const char* name) {
    return guarded(0, [&](Library& lib) { return lntc::KillProcess(lib.services(), name); });
}

int32_t LNTC_GetDefaultMedia(void) {
    return static_cast<int32_t>(guarded(0, [&](Library& lib) {
        return static_cast<uint32_t>(lntc::GetDefaultMedia(lib.services()));
    }));
}

int16_t LNTC_GetPaperOrientation(const QueueRecord* queue, const char* paperName) {
    return static_cast<int16_t>(guarded(0, [&](Library& lib) {
        return static_cast<uint32_t>(lntc::GetPaperOrientation(lib.services(), queue, paperName));
    }));
}

uint32_t LNTC_ConfigDialog(void* parent) {
    return guarded(0, [&](Library& lib) {
        // The initialiser's result counts only when this call set the records up.
        uint32_t initResult = 0;
        if (!lib.records().attached()) initResult = lntc::InitialiseSharedConfig(lib);
        return lntc::RunConfiguration(lib.services(), parent, initResult);
    });
}

void LNTC_EndLogo(void) {
    try {
        if (Library* lib = library()) lntc::EndLogo(lib->services());
    } catch (...) {
    }
}

} // extern "C"

#include "library/lifecycle.h"

#include "library/library.h"
#include "library/localised.h"
#include "logo/logo.h"
#include "platform/modules.h"
#include "process/process.h"

namespace lntc {

std::string HelpFileOf(const std::string& modulePath, const Modules* modules) {
#ifdef _WIN32
    size_t slash = modulePath.find_last_of("\\/");
#else
    size_t slash = modulePath.rfind('/');
#endif
    std::string name = slash == std::string::npos ? modulePath : modulePath.substr(slash + 1);
    // The library's name without its extension; an installed library's file carries its
    // version after ".so" (liblntc.so.2.0.0.37), and the help file does not.
    size_t so = name.find(".so");
    while (so != std::string::npos && so + 3 < name.size() && name[so + 3] != '.')
        so = name.find(".so", so + 1);
    size_t cut = so != std::string::npos ? so : name.rfind('.');
    if (cut != std::string::npos && cut > 0) name.resize(cut);
    std::string folder = modules                      ? modules->systemFolder()
                         : slash == std::string::npos ? std::string(".")
                                                      : modulePath.substr(0, slash);
    return folder + kHostPathSeparator + name + ".HLP";
}

uint32_t LoadLibrary(Library& lib) {
    if (uint32_t rc = lib.registryRoot().open()) return rc;

    lib.setHelpFile(HelpFileOf(lib.platform().env->modulePath(), lib.platform().modules));

    LoadLocalisedResources(lib);
    uint32_t logoError = 0;
    if (StartLogo(lib.services(), &logoError) == 0) {
        // A failed load is never unloaded: let go of the root here.
        lib.registryRoot().close();
        return logoError;
    }
    return 0;
}

void UnloadLibrary(Library& lib) {
    ReleaseLogo(lib.services());
    lib.registryRoot().close();
    SharedRecords& records = lib.records();
    if (records.attached()) {
        records.release();
        lib.setDefaultMedia(nullptr);
        if (!lib.brokerWasRunning()) KillProcess(lib.services(), kBrokerProcess);
    }
    ReleaseLocalisedResources(lib);
}

uint32_t InitialiseSharedConfig(Library& lib) {
    lib.setBrokerWasRunning(FindProcess(lib.services(), kBrokerProcess) != 0);
    return lib.records().initialise();
}

} // namespace lntc

#include "library/production.h"

#ifdef _WIN32
#include "platform/win32/win32_platform.h"
#else
#include "platform/posix/posix_platform.h"
#endif
#include "product/posix_product.h"
#include "ui/display_host.h"

namespace lntc {

ProductionLibrary::ProductionLibrary(const std::string& root) : root_(root) {
    platform_ = std::make_unique<SystemPlatform>(root);
    Platform& p = platform_->platform();
    product_ = std::make_unique<PosixProductLibs>(*p.machineFiles, *p.sections,
                                                  printServerNameFromEnv(p.env->hostName()));
    if (const std::string damage = p.registry->damage(); !damage.empty()) {
        product_->ztrLogError(err::RegistryCorrupt, 0, 0, 0,
                              "LNTC: registry database " + root +
                                  "/registry.db failed its integrity check (" + damage +
                                  "); it is only read, nothing is written to it");
    }
    // Windows only when something is shown and the process has a display to show it on.
    auto host = std::make_unique<DisplayHost>(*p.env, *p.modules, *product_, p.windows);
    DisplayHost& display = *host;
    host_ = std::move(host);
    library_ = std::make_unique<Library>(p, *product_, *host_);
    display.setStrings([lib = library_.get()](uint32_t id) { return lib->strings().load(id); });
}

ProductionLibrary::~ProductionLibrary() {
    // The library refers to everything else; it goes first.
    library_.reset();
}

} // namespace lntc

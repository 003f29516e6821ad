#include "store/production.h"

#include "platform/platform.h"
#include "product/posix_product.h"
#include "ui/console_host.h"

namespace lntc {

ProductionLibrary::ProductionLibrary(const std::string& root) : root_(root) {
    platform_ = std::make_unique<PosixPlatform>(root);
    Platform& p = platform_->platform();
    product_ = std::make_unique<PosixProductLibs>(root, *p.sections,
                                                  printServerNameFromEnv(p.env->hostName()));
    host_ = std::make_unique<ConsoleHost>(*product_);
    library_ = std::make_unique<Library>(p, *product_, *host_);
}

ProductionLibrary::~ProductionLibrary() {
    // The library refers to everything else; it goes first.
    library_.reset();
}

} // namespace lntc

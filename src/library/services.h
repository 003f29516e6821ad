// What the subsystems (their dialogs and the functions those call) are given of the composition
// root: the services they use, not the root itself.
#pragma once
#include "lntc/lntc.h"
#include "platform/platform.h"
#include "product/product.h"
#include "store/registry_root.h"
#include "store/shared_records.h"
#include "ui/context.h"

#include <memory>

namespace lntc {

struct LdpxConfig;
struct LogoState;

// Built on first use and kept for the rest of the process.
struct MediaTables {
    std::unique_ptr<DefaultMedia[]> defaultMedia; // one entry per catalogue model
    std::shared_ptr<LdpxConfig> ldpx;             // what the ldpx.cfg reader keeps
};

struct Services {
    UiContext& ui; // host, texts, error log, the read-only flag, the help file
    SharedRecords& records;
    RegistryRoot& registry;
    Platform& platform;
    ProductLibs& product;
    MediaTables& media;
    std::shared_ptr<LogoState>& logo; // from the load's start-up step to the unload
};

} // namespace lntc

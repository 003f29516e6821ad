// The process-wide context: everything the library keeps between calls.
#pragma once
#include "library/services.h"
#include "lntc/lntc.h"
#include "platform/platform.h"
#include "product/product.h"
#include "resources/lookup.h"
#include "store/registry_root.h"
#include "store/shared_records.h"
#include "ui/context.h"
#include "ui/host.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace lntc {

class ResourceModule;
namespace admin {
class History;
}

class Library : public UiContext {
  public:
    Library(const Platform& platform, ProductLibs& product, Host& host);
    virtual ~Library();
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    Platform& platform() { return platform_; }
    Registry& registry() { return *platform_.registry; }
    ProductLibs& product() { return product_; }
    Host& host() override { return *host_; }
    void setHost(Host& host) { host_ = &host; }
    StringLookup& strings() override { return strings_; }
    TemplateLookup& templates() override { return templates_; }
    void logError(uint32_t code, uint32_t arg, const std::string& text) override {
        product_.ztrLogError(code, arg, 0, 0, text);
    }
    bool registryReadOnly() const override { return root_.readOnly(); }
    const std::string& helpFile() const override { return helpFile_; }
    void setHelpFile(std::string path) { helpFile_ = std::move(path); }
    int64_t now() const { return platform_.clock->now(); }

    // Opened at load; every registry operation of the store is relative to it.
    RegistryRoot& registryRoot() { return root_; }
    // The localised resource module while it takes part in the lookups.
    ResourceModule* resourceModule() const { return resourceModule_.get(); }
    void setResourceModule(std::shared_ptr<ResourceModule> module) {
        resourceModule_ = std::move(module);
    }

    // The shared records, their views, the fill and the saves.
    SharedRecords& records() { return records_; }
    // The account of every change the saves make.
    admin::History* history() { return history_.get(); }
    // What the subsystems work with.
    Services services() {
        return Services{*this, records_, root_, platform_, product_, media_, logo_};
    }
    // Whether "vxl_broker" ran when this process set the records up; unload stops it if not.
    bool brokerWasRunning() const { return brokerWasRunning_; }
    void setBrokerWasRunning(bool running) { brokerWasRunning_ = running; }
    // The subsystems' state. The default media table, one entry per catalogue model; null until
    // the first successful build.
    DefaultMedia* defaultMedia() const { return media_.defaultMedia.get(); }
    void setDefaultMedia(std::unique_ptr<DefaultMedia[]> table) {
        media_.defaultMedia = std::move(table);
    }
    // What the ldpx.cfg reader keeps; null until the first read.
    LdpxConfig* ldpx() const { return media_.ldpx.get(); }

  private:
    Platform platform_;
    ProductLibs& product_;
    Host* host_;
    StringLookup strings_;
    TemplateLookup templates_;
    RegistryRoot root_;
    SharedRecords records_;
    std::unique_ptr<admin::History> history_;
    bool brokerWasRunning_ = false;
    std::string helpFile_ = "LNTC";
    std::shared_ptr<ResourceModule> resourceModule_;
    std::shared_ptr<LogoState> logo_;
    MediaTables media_;
};

} // namespace lntc

#include "support/test_library.h"

#include "library/lifecycle.h"
#include "store/initialise.h"
#include "store/registry_access.h"

#include <algorithm>

namespace lntc::test {

const char* const kDefaultDirectory = R"({
  "default": "Alpha:Quendal",
  "odrs": [ { "domain": "Alpha", "organization": "Quendal",
              "systemDefaults": { "release": "3.1.0", "charset": 2, "systemWord": 0 },
              "queues": [] } ] })";

TestLibrary::TestLibrary(FakeMachine& m, bool load) : machine(m), product() {
    Platform p{&m.registry, &m.sections, &m.files,   &env,        &m.clock, &m.processes,
               &m.windows,  &m.modules,  &m.spooler, &m.services, &m.locks};
    product.setDirectoryJson(kDefaultDirectory);
    lib_ = std::make_unique<Library>(p, product, host);
    if (load) loadStatus = LoadLibrary(*lib_);
}

void TestLibrary::unload() {
    if (!unloaded) UnloadLibrary(*lib_);
    unloaded = true;
}

void TestLibrary::makeRegistryReadOnly() {
    machine.registry.setReadOnly(true);
    lib_->registryRoot().open();
    machine.registry.setReadOnly(false);
}

std::vector<std::string> TestLibrary::loggedTexts() const {
    std::vector<std::string> out;
    for (const auto& e : product.errors)
        out.push_back(e.text);
    return out;
}

bool TestLibrary::logged(const std::string& text) const {
    return std::ranges::count(loggedTexts(), text) > 0;
}

std::string productPath(const std::string& subkey) {
    return std::string(kProductRootPath) + (subkey.empty() ? "" : "\\" + subkey);
}

std::optional<std::string> getString(const MemoryRegistry& reg, const std::string& path,
                                     const std::string& name) {
    uint32_t type = 0;
    std::vector<uint8_t> bytes;
    if (!reg.getRaw(path, name, type, bytes) || type != regtype::Sz) return std::nullopt;
    return std::string(bytes.begin(), std::find(bytes.begin(), bytes.end(), 0));
}

std::optional<uint32_t> getDword(const MemoryRegistry& reg, const std::string& path,
                                 const std::string& name) {
    uint32_t type = 0;
    std::vector<uint8_t> bytes;
    if (!reg.getRaw(path, name, type, bytes) || type != regtype::Dword || bytes.size() != 4)
        return std::nullopt;
    return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | uint32_t(bytes[3]) << 24;
}

} // namespace lntc::test

#include "support/test_library.h"

#include "library/lifecycle.h"
#include "store/initialise.h"
#include "store/registry_access.h"

#include <algorithm>
#include <cstring>

namespace lntc::test {

const char* const kDefaultDirectory = R"({
  "default": "Alpha:Quendal",
  "odrs": [ { "domain": "Alpha", "organization": "Quendal",
              "systemDefaults": { "release": "3.1.0", "charset": 2, "systemWord": 0 },
              "queues": [] } ] })";

TestLibrary::TestLibrary(FakeMachine& m, bool load) : machine(m), product() {
    Platform p;
    p.registry = &m.registry;
    p.sections = &m.sections;
    p.files = &m.files;
    p.env = &env;
    p.clock = &m.clock;
    p.processes = &m.processes;
    p.windows = &m.windows;
    p.modules = &m.modules;
    p.spooler = &m.spooler;
    p.services = &m.services;
    product.setDirectoryJson(kDefaultDirectory);
    lib_ = std::make_unique<Library>(p, product, host);
    if (load) loadStatus = LoadLibrary(*lib_);
}

void TestLibrary::unload() {
    if (!unloaded) UnloadLibrary(*lib_);
    unloaded = true;
}

TestLibrary::~TestLibrary() {
    unload();
}

std::vector<std::string> TestLibrary::loggedTexts() const {
    std::vector<std::string> out;
    for (const auto& e : product.errors)
        out.push_back(e.text);
    return out;
}

bool TestLibrary::logged(const std::string& text) const {
    auto texts = loggedTexts();
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

std::string productPath(const std::string& subkey) {
    return std::string(kProductRootPath) + (subkey.empty() ? "" : "\\" + subkey);
}

std::optional<std::string> getString(const MemoryRegistry& reg, const std::string& path,
                                     const std::string& name) {
    uint32_t type = 0;
    std::vector<uint8_t> bytes;
    if (!reg.getRaw(path, name, type, bytes) || type != regtype::Sz) return std::nullopt;
    std::string text(bytes.begin(), bytes.end());
    return text.substr(0, text.find('\0'));
}

std::optional<uint32_t> getDword(const MemoryRegistry& reg, const std::string& path,
                                 const std::string& name) {
    uint32_t type = 0;
    std::vector<uint8_t> bytes;
    if (!reg.getRaw(path, name, type, bytes) || type != regtype::Dword || bytes.size() != 4)
        return std::nullopt;
    uint32_t v;
    std::memcpy(&v, bytes.data(), 4);
    return v;
}

} // namespace lntc::test

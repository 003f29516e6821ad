#include "support/test_library.h"

#include "library/lifecycle.h"
#include "store/initialise.h"
#include "store/registry_access.h"
#include "support/demo_files.h"

#include <algorithm>
#include <charconv>

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

std::string fieldColumns(std::span<const Field> fields, const std::vector<const void*>& records,
                         size_t recordSize) {
    std::string out;
    for (const Field& f : fields) {
        out += f.name;
        for (size_t r = 0; r < records.size(); ++r) {
            out += r == 0 ? ": " : " | ";
            for (int e = 0; e < f.place.count; ++e) {
                char real[32] = {};
                std::to_chars(real, real + sizeof real - 1, realOf(f, records[r]));
                out += e == 0 ? "" : ",";
                out += f.place.cell == Cell::Text
                           ? '"' + std::string(textOf(f, records[r], e)) + '"'
                       : f.place.cell == Cell::F64 ? real
                                                   : std::to_string(numberOf(f, records[r]));
            }
        }
        out += "\n";
    }
    for (size_t r = 0; r < records.size(); ++r) {
        std::vector<bool> shown(recordSize);
        for (const Field& f : fields)
            for (int e = 0; e < f.place.count; ++e) {
                const size_t at = f.place.offset + size_t{f.place.size} * e;
                const size_t text = textOf(f, records[r], e).size() + 1;
                const size_t n = f.place.cell == Cell::Text ? std::min<size_t>(text, f.place.size)
                                                            : f.place.size;
                for (size_t i = at; i < at + n && i < recordSize; ++i)
                    shown[i] = true;
            }
        const auto* bytes = static_cast<const unsigned char*>(records[r]);
        for (size_t i = 0; i < recordSize; ++i)
            if (bytes[i] != 0 && !shown[i])
                out += "byte " + std::to_string(i) + " of " + std::to_string(r + 1) + ": " +
                       std::to_string(bytes[i]) + "\n";
    }
    return out;
}

std::string goldenText(const std::string& name) {
    const std::string text = readTextFile(std::string(LNTC_SOURCE_DIR) + "/tests/golden/" + name);
    std::string out;
    for (size_t at = 0, end = 0; at < text.size(); at = end) {
        end = std::min(text.find('\n', at), text.size() - 1) + 1;
        if (text[at] != '#') out.append(text, at, end - at);
    }
    return out;
}

} // namespace lntc::test

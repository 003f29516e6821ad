#include "support/fake_product.h"

namespace lntc::test {

FakeProductLibs::FakeProductLibs(std::string printServerName)
    : printServerName_(std::move(printServerName)),
      areas_(new uint64_t[(globalAreaBytes(kGlobalAreaSlots) + 7) / 8]()) {
    initGlobalAreas(areas_.get(), kGlobalAreaSlots);
}

FakeProductLibs::~FakeProductLibs() = default;

void FakeProductLibs::ztrLogError(uint32_t code, uint32_t a, uint32_t b, uint32_t c,
                                  const std::string& text) {
    errors.push_back({code, a, b, c, text});
}

void FakeProductLibs::sysLog(uint32_t code, const std::string& text) {
    sysLogs.push_back({code, text});
}

uint32_t FakeProductLibs::abstLink(const char* name, const RlkTable** table, uint32_t version) {
    if (!table) return kRlkBadArgument;
    *table = nullptr;
    if (linkResult_) return linkResult_;
    if (!rlk::linkable(name, version)) return kRlkNoLibrary;
    auto directory = std::make_shared<OdrDirectory>();
    std::string error;
    if (directoryJson_ && !parseOdrDirectory(*directoryJson_, *directory, error)) {
        ztrLogError(kRlkBadArgument, 0, 0, 0, "LNTC: ODR directory (test) is malformed: " + error);
        return kRlkBadArgument;
    }
    rlk::link(std::move(directory), printServerName_, table);
    return 0;
}

void FakeProductLibs::abstUnlink(const RlkTable** table) {
    rlk::unlink(table);
}

uint32_t FakeProductLibs::vGetGloArea(uint32_t* field, uint32_t size, uint32_t) {
    return allocateGlobalArea(areas_.get(), field, size);
}

void* FakeProductLibs::globalAreaAddress(uint32_t handle) {
    return globalAreaSlot(areas_.get(), handle);
}

const char* FakeProductLibs::qdcPath(int mode, const char* productPath) {
    return mapProductPath(mode, productPath);
}

} // namespace lntc::test

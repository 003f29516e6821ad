#include "support/fake_product.h"

namespace lntc::test {

FakeProductLibs::FakeProductLibs(std::string printServerName)
    : printServerName_(std::move(printServerName)),
      areas_(new uint64_t[(globalAreaBytes(kGlobalAreaSlots) + 7) / 8]()) {
    initGlobalAreas(areas_.get(), kGlobalAreaSlots);
}

uint32_t FakeProductLibs::abstLink(const char* name, const RlkTable** table, uint32_t version) {
    if (!table) return kRlkBadArgument;
    *table = nullptr;
    if (linkResult_) return linkResult_;
    if (!rlk::linkable(name, version)) return kRlkNoLibrary;
    if (parseOnce && parsed_) {
        rlk::link(parsed_, printServerName_, table);
        return 0;
    }
    auto directory = std::make_shared<OdrDirectory>();
    std::string error;
    if (directoryJson_ && !parseOdrDirectory(*directoryJson_, *directory, error)) {
        ztrLogError(kRlkBadArgument, 0, 0, 0, "LNTC: ODR directory (test) is malformed: " + error);
        return kRlkBadArgument;
    }
    if (parseOnce) parsed_ = directory;
    rlk::link(std::move(directory), printServerName_, table);
    return 0;
}

} // namespace lntc::test

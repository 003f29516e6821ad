// In-memory product libraries for unit tests: records log calls, answers RLK queries from a
// directory set as JSON text, and hands out global areas from the heap.
#pragma once
#include "product/odr_directory.h"
#include "product/posix_product.h"
#include "product/product.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace lntc::test {

class FakeProductLibs : public ProductLibs {
  public:
    struct ErrorCall {
        uint32_t code;
        uint32_t a, b, c;
        std::string text;
    };

    explicit FakeProductLibs(std::string printServerName = "testhost");

    // The directory the next links read; malformed text makes them fail as the real one does.
    void setDirectoryJson(std::string text) {
        directoryJson_ = std::move(text);
        parsed_.reset();
    }
    // Links share one parse of the directory (benchmarks of the library's own work).
    bool parseOnce = false;
    // A non-zero result makes abstLink fail with it before anything else.
    void scriptLinkResult(uint32_t code) { linkResult_ = code; }

    std::vector<ErrorCall> errors;

    void ztrLogError(uint32_t code, uint32_t a, uint32_t b, uint32_t c,
                     const std::string& text) override {
        errors.push_back({code, a, b, c, text});
    }
    uint32_t abstLink(const char* name, const RlkTable** table, uint32_t version) override;
    void abstUnlink(const RlkTable** table) override { rlk::unlink(table); }
    void sysLog(uint32_t, const std::string&) override {}
    uint32_t vGetGloArea(uint32_t* field, uint32_t size, uint32_t) override {
        return allocateGlobalArea(areas_.get(), field, size);
    }
    void* globalAreaAddress(uint32_t h) override { return globalAreaSlot(areas_.get(), h); }
    const char* qdcPath(int mode, const char* path) override { return mapProductPath(mode, path); }

  private:
    std::string printServerName_;
    std::optional<std::string> directoryJson_;
    std::shared_ptr<const OdrDirectory> parsed_;
    uint32_t linkResult_ = 0;
    std::unique_ptr<uint64_t[]> areas_; // uint64_t keeps the slots aligned
};

} // namespace lntc::test

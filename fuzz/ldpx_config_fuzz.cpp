// Whatever ldpx.cfg holds, the reader stays inside its record and leaves it well formed.
#include "media/ldpx_config.h"
#include "media/paper_sizes.h"

#include <cstdlib>
#include <cstring>
#include <string_view>

namespace {

constexpr const char* kModels[] = {"XEROX_8840C", "VERSATEC_8636", "3M_689_INTL",   "3M_689",
                                   "3M_LBQ",      "RASTER_MASTER", "DRAWING_MASTER"};

template <size_t N> void terminated(const char (&field)[N]) {
    if (std::memchr(field, '\0', N) == nullptr) std::abort();
}

void check(const lntc::LdpxConfig& c) {
    terminated(c.cmd.Dpi.szFixedPart);
    terminated(c.cmd.Dpi.szVarPartFor200);
    terminated(c.cmd.Dpi.szVarPartFor400);
    terminated(c.cmd.Psize.szFixedPart);
    terminated(c.cmd.Psize.szVarPart);
    terminated(c.cmd.CopyCount.szFixedPart);
    terminated(c.cmd.CopyCount.szVarPartFor1);
    bool closed = false;
    for (const lntc::LdpxPaperEntry& e : c.cmd.Psize.PaperSizes) {
        terminated(e.szCmd);
        if (e.PaperSizeId == lntc::kLdpxTableEnd) {
            closed = true;
            break;
        }
        if (e.PaperSizeId == 0 || e.PaperSizeId >= lntc::kPaperSizeCount) std::abort();
    }
    bool ended = false;
    for (uint32_t id : c.BestAvailPaperSizes) {
        if (id == lntc::kLdpxListEnd) {
            ended = true;
            break;
        }
        if (id == 0 || id >= lntc::kPaperSizeCount) std::abort();
    }
    if (!closed || !ended) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    const char* model = kModels[size == 0 ? 0 : data[0] % std::size(kModels)];
    lntc::LdpxConfig config;
    uint32_t first = lntc::ParseLdpxConfig(text, model, config);
    check(config);
    // A second read over what the first left behind, as a process reading twice does.
    uint32_t second = lntc::ParseLdpxConfig(text, model, config);
    check(config);
    if (first != 0 && first != lntc::kLdpxFailed) std::abort();
    if (second != 0 && second != lntc::kLdpxFailed) std::abort();
    return 0;
}

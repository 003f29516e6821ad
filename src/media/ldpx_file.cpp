// Reading the large-document printer file; parsing it is apart, for the fuzzers.
#include "library/services.h"
#include "media/ldpx_config.h"
#include "platform/errors.h"
#include "resources/formats.h"
#include "resources/ids.h"

#include <memory>
#include <string>

namespace lntc {

namespace {

// Far beyond any real file; a larger one (or a device) is refused rather than read into memory.
constexpr uint64_t kLdpxMaxSize = 1u << 20;

} // namespace

uint32_t ReadLdpxCfgFile(const Services& svc, const char* configDir, const char* modelKey) {
    if (configDir == nullptr || *configDir == '\0') return kLdpxNoConfigDir;
    if (modelKey == nullptr) return kLdpxFailed;
    std::string path = std::string(configDir) + "\\" + kLdpxFileName;
    // A cut path would name another file.
    if (path.size() > kLdpxMaxPath) return kLdpxFailed;
    std::string contents;
    if (uint32_t error = svc.platform.files->readFile(path, contents, kLdpxMaxSize, nullptr)) {
        svc.ui.logError(error, 0,
                        formatMessage(svc.ui.strings().load(str::LogLdpxUnreadable).c_str(),
                                      path.c_str(), systemErrorText(error).c_str()));
        return kLdpxFailed;
    }
    if (!svc.media.ldpx) svc.media.ldpx = std::make_shared<LdpxConfig>();
    return ParseLdpxConfig(contents, modelKey, *svc.media.ldpx);
}

} // namespace lntc

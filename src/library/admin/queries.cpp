// What the tools show beyond the exports: status texts, the records' values by name, the
// default media, the paper-size catalogue and the large-document printer file.
#include "configure/configure.h"
#include "library/accessors.h"
#include "library/admin/admin.h"
#include "library/library.h"
#include "logo/logo.h"
#include "media/ldpx_config.h"
#include "media/paper_sizes.h"
#include "product/product.h"
#include "resources/ids.h"
#include "store/fields.h"
#include "store/models.h"
#include "store/records.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace lntc::admin {

namespace {

using Json = nlohmann::ordered_json;

Json paperJson(uint32_t id) {
    return Json{{"id", id}, {"name", PaperSizeName(static_cast<uint16_t>(id))}};
}

std::string dpiText(int16_t bits) {
    std::string text;
    for (auto [bit, name] :
         {std::pair{dpi::Dpi200, "200"}, {dpi::Dpi300, "300"}, std::pair{dpi::Dpi400, "400"}}) {
        if (bits & bit) text += (text.empty() ? "" : "/") + std::string(name);
    }
    return text;
}

std::string ldpxStatusText(uint32_t status) {
    switch (status) {
    case 0:
        return "success";
    case kLdpxFailed:
        return "0xFFFFFFFF (file or section missing, or a faulty value)";
    case kLdpxNoConfigDir:
        return "0xCF070002 (no configuration directory)";
    default:
        return std::to_string(status);
    }
}

Json ldpxJson(const LdpxConfig& c, uint16_t odrRelease) {
    const CmdInfo& cmd = c.cmd;
    Json table = Json::array();
    for (const LdpxPaperEntry& e : cmd.Psize.PaperSizes) {
        if (e.PaperSizeId == kLdpxTableEnd) break;
        Json row = paperJson(e.PaperSizeId);
        row["command"] = std::string(fieldText(e.szCmd));
        table.push_back(row);
    }
    uint16_t ids[kLdpxTableEntries];
    uint16_t count = 0;
    GetLdpxPaperSizes(&c, odrRelease, count, ids);
    Json offered = Json::array();
    for (uint16_t i = 0; i < count; ++i)
        offered.push_back(PaperSizeName(ids[i]));
    uint32_t best[kLdpxBestAvailEntries];
    GetLdpxBAPaperSizes(&c, count, best);
    Json bestAvail = Json::array();
    for (uint16_t i = 0; i < count; ++i)
        bestAvail.push_back(paperJson(best[i]));
    return Json{{"Dpi",
                 {{"sDpi", cmd.Dpi.sDpi},
                  {"resolutions", dpiText(cmd.Dpi.sDpi)},
                  {"szFixedPart", std::string(fieldText(cmd.Dpi.szFixedPart))},
                  {"szVarPartFor200", std::string(fieldText(cmd.Dpi.szVarPartFor200))},
                  {"szVarPartFor400", std::string(fieldText(cmd.Dpi.szVarPartFor400))}}},
                {"Psize",
                 {{"szFixedPart", std::string(fieldText(cmd.Psize.szFixedPart))},
                  {"szVarPart", std::string(fieldText(cmd.Psize.szVarPart))},
                  {"PaperSizes", table}}},
                {"CopyCount",
                 {{"nMaxCopy", cmd.CopyCount.nMaxCopy},
                  {"szFixedPart", std::string(fieldText(cmd.CopyCount.szFixedPart))},
                  {"szVarPartFor1", std::string(fieldText(cmd.CopyCount.szVarPartFor1))}}},
                {"max_trays", c.max_trays},
                {"plot_mode_only", c.plot_mode_only},
                {"QDDefaultPaperSize", paperJson(c.QDDefaultPaperSize)},
                {"PSDefaultPaperSize", paperJson(c.PSDefaultPaperSize)},
                {"BestAvailPaperSizes", bestAvail},
                {"offeredPaperSizes", {{"OdrRelease", odrRelease}, {"names", offered}}}};
}

} // namespace

std::string StatusText(uint32_t status) {
    switch (status) {
    case LNTC_OK:
        return "success";
    case LNTC_E_VERSION:
        return "0xCF190001 (version mismatch)";
    case LNTC_E_NO_QUEUE:
        return "0xCF190002 (no such queue)";
    case LNTC_E_SECTION:
        return "0xCF190003 (a shared section could not be created or mapped)";
    case LNTC_E_ARGUMENT:
        return "0xCF190004 (invalid argument)";
    case LNTC_E_NOT_LOADED:
        return "0xCF190005 (the library could not open its registry root)";
    default:
        break;
    }
    const char* meaning = "from the ODR name service";
    switch (status) {
    case kRlkNoLibrary:
        meaning = "the RLK name service cannot be linked";
        break;
    case kRlkBadArgument:
        meaning = "bad argument, or a malformed ODR directory: see the error log";
        break;
    case kRlkNoSuchObject:
        meaning = "the ODR name service knows no such ODR";
        break;
    case kRlkNoSuchProperty:
        meaning = "no such property";
        break;
    case kRlkNoAnswer:
        meaning = "the ODR does not answer";
        break;
    }
    char buf[96];
    std::snprintf(buf, sizeof buf, "0x%08X (%s)", status, meaning);
    return buf;
}

uint32_t ModelMedia(Library& lib, uint32_t index, const char*& key, const DefaultMedia*& media) {
    if (lib.defaultMedia() == nullptr) return LNTC_E_ARGUMENT;
    if (index >= kModelCount) return LNTC_ADMIN_NO_MORE_ITEMS;
    key = kPrinterModels[index].key;
    media = &lib.defaultMedia()[index];
    return 0;
}

uint32_t ModelKey(uint32_t index, const char*& key) {
    if (index >= kModelCount) return LNTC_ADMIN_NO_MORE_ITEMS;
    key = kPrinterModels[index].key;
    return 0;
}

uint32_t PaperSize(const char* name, uint32_t id, LNTC_AdminPaperSize& size) {
    if (name != nullptr) id = PaperSizeNameToId(name);
    const bool known = id < kPaperSizeCount && id != paper::Unknown;
    const PaperSizeInfo& row = kPaperSizes[known ? id : paper::Unknown];
    size = {known ? id : paper::Unknown, row.name, row.width, row.height};
    return known ? 0 : LNTC_E_ARGUMENT;
}

uint32_t ReadLdpx(Library& lib, const char* model, std::string& report, std::string& message) {
    const ServerConfig* config = nullptr;
    GetConfig(lib, &config, LNTC_CONFIG_VERSION);
    if (config == nullptr) return LNTC_E_SECTION;
    const std::string dir(fieldText(config->ConfigDir));
    const uint32_t status = ReadLdpxCfgFile(lib.services(), dir.c_str(), model);
    Json out{{"model", model},
             {"path", dir + "\\" + kLdpxFileName},
             {"status", status},
             {"statusText", ldpxStatusText(status)}};
    // A read that found the file reports what it read, faults included.
    if (lib.ldpx() != nullptr) out["values"] = ldpxJson(*lib.ldpx(), config->OdrRelease);
    report = out.dump(2);
    if (status != 0) message = lib.strings().load(str::LdpxReadError);
    return status;
}

int RunConfigurationOnce(Library& lib, const Say& say, const RunHooks& hooks) {
    const ServerConfig* config = nullptr;
    const uint32_t init = GetConfig(lib, &config, LNTC_CONFIG_VERSION);
    if (config == nullptr) {
        say("the shared configuration could not be opened (error " + std::to_string(init) + ")");
        return -1;
    }
    if (init != 0) {
        char code[16];
        std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(init));
        say(std::string("warning: the ODR name service failed (") + code +
            "); its system defaults are missing");
    }
    EndLogo(lib.services());
    if (hooks.setUp && !hooks.setUp(lib)) return -1;
    const int result = static_cast<int>(RunConfiguration(lib.services(), nullptr, init));
    if (hooks.ended) hooks.ended(lib);
    return result;
}

} // namespace lntc::admin

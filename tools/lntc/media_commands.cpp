#include "media_commands.h"

#include "commands.h"
#include "library/accessors.h"
#include "library/library.h"
#include "library/lifecycle.h"
#include "library/production.h"
#include "lntc/lntc.h"
#include "media/default_media.h"
#include "media/ldpx_config.h"
#include "media/paper_sizes.h"
#include "platform/printable.h"
#include "resources/ids.h"
#include "store/initialise.h"
#include "store/models.h"
#include "store/records.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <memory>
#include <string>

namespace lntc::tool {

namespace {

using Json = nlohmann::ordered_json;

// The library as a product process holds it, for what the exports do not hand out.
class Session {
  public:
    Session() : production_(defaultMachineRoot()) {
        loaded_ = LoadLibrary(lib()) == 0;
        if (!loaded_) std::fprintf(stderr, "lntc: %s\n", statusText(LNTC_E_NOT_LOADED).c_str());
    }
    ~Session() {
        if (loaded_) UnloadLibrary(lib());
    }
    Library& lib() { return production_.library(); }
    // The shared configuration, or nullptr after saying why not.
    const ServerConfig* config() {
        if (!loaded_) return nullptr;
        const ServerConfig* config = nullptr;
        uint32_t status = GetConfig(lib(), &config, LNTC_CONFIG_VERSION);
        return configUsable(status, config) ? config : nullptr;
    }

  private:
    ProductionLibrary production_;
    bool loaded_ = false;
};

bool jsonOption(const std::vector<std::string>& args, size_t positional,
                std::vector<std::string>& rest, bool& json) {
    json = false;
    for (const auto& a : args) {
        if (a == "--json")
            json = true;
        else
            rest.push_back(a);
    }
    return rest.size() == positional;
}

Json trayListJson(const MediaTrayList& list) {
    Json names = Json::array();
    for (uint16_t n = 0; n < list.usNumTrayNames && n < LNTC_MEDIA_TRAY_NAMES; ++n)
        names.push_back(std::string(fieldText(list.szTrayName[n])));
    return Json{{"usNumTrayNames", list.usNumTrayNames},
                {"szTrayName", names},
                {"usTrayNameIndex", list.usTrayNameIndex}};
}

Json mediaJson(const DefaultMedia& m) {
    Json papers = Json::array();
    for (uint16_t i = 0; i < m.NumPaperSizes && i < LNTC_MEDIA_PAPER_SIZES; ++i)
        papers.push_back({{"szName", std::string(fieldText(m.PaperSizes[i].szName))},
                          {"usOrientation", m.PaperSizes[i].usOrientation}});
    Json trays = Json::array();
    for (const MediaTray& t : m.Trays)
        trays.push_back({{"usPaperSizeIndex", t.usPaperSizeIndex}, {"usPriority", t.usPriority}});
    return Json{{"NumPaperSizes", m.NumPaperSizes},
                {"PaperSizes", papers},
                {"Trays", trays},
                {"EjectTrays", trayListJson(m.EjectTrays)},
                {"QDTrays", trayListJson(m.QDTrays)},
                {"PSTrays", trayListJson(m.PSTrays)}};
}

void printTrayList(const char* label, const MediaTrayList& list) {
    std::printf("  %-14s", label);
    if (list.usNumTrayNames == 0) std::printf(" (none)");
    for (uint16_t n = 0; n < list.usNumTrayNames && n < LNTC_MEDIA_TRAY_NAMES; ++n)
        std::printf(" %s\"%s\"", n == list.usTrayNameIndex ? "*" : "",
                    std::string(fieldText(list.szTrayName[n])).c_str());
    std::printf("\n");
}

void printMedia(const char* key, const DefaultMedia& m) {
    std::printf("%s\n  paper sizes   ", key);
    if (m.NumPaperSizes == 0) std::printf(" (none)");
    for (uint16_t i = 0; i < m.NumPaperSizes && i < LNTC_MEDIA_PAPER_SIZES; ++i)
        std::printf(" %s/%s", std::string(fieldText(m.PaperSizes[i].szName)).c_str(),
                    m.PaperSizes[i].usOrientation == 1 ? "landscape" : "portrait");
    std::printf("\n");
    for (unsigned t = 0; t < LNTC_MEDIA_TRAYS; ++t) {
        const MediaTray& tray = m.Trays[t];
        std::printf("  tray %u         ", t);
        if (tray.usPaperSizeIndex == LNTC_MEDIA_NONE || tray.usPaperSizeIndex >= m.NumPaperSizes)
            std::printf("(none)\n");
        else
            std::printf("%s, priority %u\n",
                        std::string(fieldText(m.PaperSizes[tray.usPaperSizeIndex].szName)).c_str(),
                        tray.usPriority);
    }
    printTrayList("eject trays", m.EjectTrays);
    printTrayList("Quendal trays", m.QDTrays);
    printTrayList("PS trays", m.PSTrays);
}

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

std::string statusName(uint32_t status) {
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

void printJsonAsText(const Json& j, const std::string& indent) {
    for (auto it = j.begin(); it != j.end(); ++it) {
        if (it.value().is_object()) {
            std::printf("%s%s\n", indent.c_str(), it.key().c_str());
            printJsonAsText(it.value(), indent + "  ");
        } else {
            std::printf("%s%-22s %s\n", indent.c_str(), it.key().c_str(),
                        it.value().is_string() ? it.value().get<std::string>().c_str()
                                               : it.value().dump().c_str());
        }
    }
}

} // namespace

int cmdMedia(const std::vector<std::string>& args) {
    std::vector<std::string> rest;
    bool json = false;
    if (!jsonOption(args, 0, rest, json)) return usageError("usage: lntc media [--json]");
    Session session;
    if (session.config() == nullptr) return 1;
    if (GetDefaultMedia(session.lib()) != 1) {
        std::fprintf(stderr, "lntc: the default media table could not be built\n");
        return 1;
    }
    const DefaultMedia* table = session.lib().defaultMedia();
    if (json) {
        Json out = Json::object();
        for (size_t m = 0; m < kModelCount; ++m)
            out[kPrinterModels[m].key] = mediaJson(table[m]);
        std::printf("%s\n", out.dump(2).c_str());
    } else {
        for (size_t m = 0; m < kModelCount; ++m)
            printMedia(kPrinterModels[m].key, table[m]);
    }
    return 0;
}

int cmdOrientation(const std::vector<std::string>& args) {
    if (args.size() != 2) return usageError("usage: lntc orientation QUEUE PAPER");
    const ServerConfig* config = nullptr;
    uint32_t status = LNTC_GetConfig(&config, LNTC_CONFIG_VERSION);
    if (!configUsable(status, config)) return 1;
    const QueueRecord* queue = nullptr;
    status = LNTC_GetQueue(args[0].c_str(), &queue, LNTC_QUEUE_VERSION);
    if (status != 0) {
        std::fprintf(stderr, "lntc: %s: %s\n", quote(args[0]).c_str(), statusText(status).c_str());
        return 1;
    }
    int16_t orientation = LNTC_GetPaperOrientation(queue, args[1].c_str());
    std::printf("%s on %s: %d (%s)\n", printable(args[1]).c_str(), printable(args[0]).c_str(),
                orientation, orientation == 1 ? "landscape" : "portrait");
    return 0;
}

int cmdLdpx(const std::vector<std::string>& args) {
    std::vector<std::string> rest;
    bool json = false;
    if (!jsonOption(args, 1, rest, json)) return usageError("usage: lntc ldpx MODEL [--json]");
    Session session;
    const ServerConfig* config = session.config();
    if (config == nullptr) return 1;
    const std::string dir(fieldText(config->ConfigDir));
    uint32_t status = ReadLdpxCfgFile(session.lib(), dir.c_str(), rest[0].c_str());

    Json out{{"model", rest[0]},
             {"path", dir + "\\" + kLdpxFileName},
             {"status", status},
             {"statusText", statusName(status)}};
    // A read that found the file reports what it read, faults included.
    if (session.lib().ldpx()) out["values"] = ldpxJson(*session.lib().ldpx(), config->OdrRelease);
    if (json) {
        std::printf("%s\n", out.dump(2).c_str());
    } else {
        printJsonAsText(out, "");
    }
    if (status != 0) {
        std::fprintf(stderr, "lntc: %s\n",
                     session.lib().strings().load(str::LdpxReadError).c_str());
        return 1;
    }
    return 0;
}

int cmdPaper(const std::vector<std::string>& args) {
    if (args.size() != 1 || args[0].empty()) return usageError("usage: lntc paper NAME|ID");
    const std::string& arg = args[0];
    uint16_t id = 0;
    if (arg.find_first_not_of("0123456789") == std::string::npos) {
        unsigned long number = arg.size() > 6 ? 0xFFFFFul : std::stoul(arg);
        if (number >= kPaperSizeCount || number == paper::Unknown) {
            std::fprintf(stderr, "lntc: paper-size id %s is %s\n", arg.c_str(),
                         PaperSizeName(number > 0xFFFF ? 0xFFFF : static_cast<uint16_t>(number)));
            return 1;
        }
        id = static_cast<uint16_t>(number);
    } else {
        id = PaperSizeNameToId(arg);
        if (id == paper::Unknown) {
            std::fprintf(stderr, "lntc: %s is not a paper-size name (id 0)\n", quote(arg).c_str());
            return 1;
        }
    }
    const PaperSizeInfo& row = kPaperSizes[id];
    std::printf("%u %s %g x %g in\n", id, row.name, row.width, row.height);
    return 0;
}

} // namespace lntc::tool

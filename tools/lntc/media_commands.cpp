#include "media_commands.h"

#include "commands.h"
#include "common/admin_text.h"
#include "lntc_admin.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <string>

namespace tool {

namespace {

using Json = nlohmann::ordered_json;

// The text of a fixed array, never reading past it.
template <size_t N> std::string fieldText(const char (&text)[N]) {
    size_t n = 0;
    while (n < N && text[n] != '\0')
        ++n;
    return std::string(text, n);
}

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
        names.push_back(fieldText(list.szTrayName[n]));
    return Json{{"usNumTrayNames", list.usNumTrayNames},
                {"szTrayName", names},
                {"usTrayNameIndex", list.usTrayNameIndex}};
}

Json mediaJson(const DefaultMedia& m) {
    Json papers = Json::array();
    for (uint16_t i = 0; i < m.NumPaperSizes && i < LNTC_MEDIA_PAPER_SIZES; ++i)
        papers.push_back({{"szName", fieldText(m.PaperSizes[i].szName)},
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
                    fieldText(list.szTrayName[n]).c_str());
    std::printf("\n");
}

void printMedia(const char* key, const DefaultMedia& m) {
    std::printf("%s\n  paper sizes   ", key);
    if (m.NumPaperSizes == 0) std::printf(" (none)");
    for (uint16_t i = 0; i < m.NumPaperSizes && i < LNTC_MEDIA_PAPER_SIZES; ++i)
        std::printf(" %s/%s", fieldText(m.PaperSizes[i].szName).c_str(),
                    m.PaperSizes[i].usOrientation == 1 ? "landscape" : "portrait");
    std::printf("\n");
    for (unsigned t = 0; t < LNTC_MEDIA_TRAYS; ++t) {
        const MediaTray& tray = m.Trays[t];
        std::printf("  tray %u         ", t);
        if (tray.usPaperSizeIndex == LNTC_MEDIA_NONE || tray.usPaperSizeIndex >= m.NumPaperSizes)
            std::printf("(none)\n");
        else
            std::printf("%s, priority %u\n",
                        fieldText(m.PaperSizes[tray.usPaperSizeIndex].szName).c_str(),
                        tray.usPriority);
    }
    printTrayList("eject trays", m.EjectTrays);
    printTrayList("Quendal trays", m.QDTrays);
    printTrayList("PS trays", m.PSTrays);
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
    if (!jsonOption(args, 0, rest, json)) return usageError();
    startLibrary();
    const ServerConfig* config = nullptr;
    const uint32_t attached = LNTC_GetConfig(&config, LNTC_CONFIG_VERSION);
    if (!configUsable(attached, config)) return 1;
    if (LNTC_GetDefaultMedia() != 1) {
        std::fprintf(stderr, "lntc: the default media table could not be built\n");
        return 1;
    }
    Json out = Json::object();
    const char* key = nullptr;
    const DefaultMedia* media = nullptr;
    uint32_t rc = 0;
    for (uint32_t m = 0; (rc = LNTC_AdminModelMedia(LNTC_ADMIN_VERSION, m, &key, &media)) == 0;
         ++m) {
        if (json)
            out[key] = mediaJson(*media);
        else
            printMedia(key, *media);
    }
    if (rc != LNTC_ADMIN_NO_MORE_ITEMS) {
        std::fprintf(stderr, "lntc: default media: %s\n", statusText(rc).c_str());
        return 1;
    }
    if (json) std::printf("%s\n", out.dump(2).c_str());
    return 0;
}

int cmdOrientation(const std::vector<std::string>& args) {
    if (args.size() != 2) return usageError();
    startLibrary();
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
    if (!jsonOption(args, 1, rest, json)) return usageError();
    startLibrary();
    const ServerConfig* config = nullptr;
    const uint32_t attached = LNTC_GetConfig(&config, LNTC_CONFIG_VERSION);
    if (!configUsable(attached, config)) return 1;
    LNTC_AdminText report{}, message{};
    const uint32_t status =
        LNTC_AdminReadLdpx(LNTC_ADMIN_VERSION, rest[0].c_str(), &report, &message);
    const std::string text = take(report), why = take(message);
    if (text.empty()) {
        std::fprintf(stderr, "lntc: ldpx.cfg: %s\n", statusText(status).c_str());
        return 1;
    }
    if (json)
        std::printf("%s\n", text.c_str());
    else
        printJsonAsText(Json::parse(text), "");
    if (status != 0) {
        std::fprintf(stderr, "lntc: %s\n", why.c_str());
        return 1;
    }
    return 0;
}

int cmdPaper(const std::vector<std::string>& args) {
    if (args.size() != 1 || args[0].empty()) return usageError();
    const std::string& arg = args[0];
    LNTC_AdminPaperSize size{};
    if (arg.find_first_not_of("0123456789") == std::string::npos) {
        const unsigned long number = arg.size() > 6 ? 0xFFFFFul : std::stoul(arg);
        if (LNTC_AdminFindPaperSize(LNTC_ADMIN_VERSION, nullptr, static_cast<uint32_t>(number),
                                    &size) != 0) {
            std::fprintf(stderr, "lntc: paper-size id %s is %s\n", arg.c_str(),
                         size.name != nullptr ? size.name : "unknown");
            return 1;
        }
    } else if (LNTC_AdminFindPaperSize(LNTC_ADMIN_VERSION, arg.c_str(), 0, &size) != 0) {
        std::fprintf(stderr, "lntc: %s is not a paper-size name (id 0)\n", quote(arg).c_str());
        return 1;
    }
    std::printf("%u %s %g x %g in\n", size.id, size.name, size.width, size.height);
    return 0;
}

} // namespace tool

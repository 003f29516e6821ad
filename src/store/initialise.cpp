#include "store/initialise.h"

#include "platform/c_locale.h"
#include "resources/ids.h"
#include "store/library.h"
#include "store/records.h"
#include "store/registry_access.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace lntc {

namespace msg {
inline constexpr uint32_t RlkLink = 32885;
inline constexpr uint32_t OdrDefaults = 32886;
} // namespace msg

void ApplySearchPathRule(Library& lib, const ServerConfig& config) {
    if (config.OdrRelease >= 310) return;
    Environment& env = *lib.platform().env;
    std::string module = env.modulePath();
    size_t slash = module.rfind('/');
    std::string folder = slash == std::string::npos ? std::string() : module.substr(0, slash);
    std::string path = folder + "/ps1";
    // An empty entry would put the current directory on the search path.
    const std::string previous = env.get("PATH").value_or("");
    if (!previous.empty()) path += env.pathListSeparator() + previous;
    env.set("PATH", path);
}

uint32_t ReadOdrSystemDefaults(Library& lib, ServerConfig& config) {
    config.OdrSystemWord = 0;
    config.OdrRelease = 268;
    config.OdrGeneration = 1;
    config.SystemCharset = 2;
    ReadStringValue(lib, kGeneralKey, "DefaultODR", "DefaultODR", config.DefaultODR,
                    sizeof config.DefaultODR);

    ProductLibs& product = lib.product();
    const RlkTable* table = nullptr;
    uint32_t rc = product.abstLink("RLK", &table, 2);
    if (rc != 0 || table == nullptr) {
        if (rc == 0) rc = kRlkNoLibrary;
        product.ztrLogError(rc, 0, 0, 0, lib.strings().load(msg::RlkLink));
        return rc;
    }

    // The three name parts lie next to each other in the record, as the RLK layout wants.
    RlkName name;
    static_assert(offsetof(ServerConfig, Domain) - offsetof(ServerConfig, Organization) == 20);
    static_assert(offsetof(ServerConfig, DefaultODR) - offsetof(ServerConfig, Organization) == 40);
    std::memcpy(&name, config.Organization, sizeof name);
    if (config.Domain[0] == '\0') {
        table->defaultName()(&name);
        // Only the organization and domain are the abstract's to fill.
        std::memcpy(config.Organization, name.organization, sizeof name.organization);
        std::memcpy(config.Domain, name.domain, sizeof name.domain);
        config.Organization[sizeof config.Organization - 1] = '\0';
        config.Domain[sizeof config.Domain - 1] = '\0';
    }
    RlkName query;
    std::memcpy(&query, config.Organization, sizeof query);
    copyField(query.object, sizeof query.object, "qd_system");

    uint8_t buffer[kRlkValueBufferSize] = {};
    RlkErrorRecord error{};
    rc = table->readProperty()(nullptr, &query, kRlkSystemDefaultsAttribute, 0, 1, 0, buffer, 0,
                               &error);
    if (rc == kRlkFoundAttribute) rc = 0;
    if (rc == 0) {
        auto u16 = [&](size_t at) {
            uint16_t v;
            std::memcpy(&v, buffer + at, 2);
            return v;
        };
        auto u32 = [&](size_t at) {
            uint32_t v;
            std::memcpy(&v, buffer + at, 4);
            return v;
        };
        if (u16(2) == 1) {
            config.OdrGeneration = 2;
            config.OdrRelease = static_cast<uint16_t>(100 * u32(18) + 10 * u32(22) + u32(26));
        } else {
            config.OdrRelease = 301;
        }
        config.OdrSystemWord = u32(34);
        config.SystemCharset = u16(10);
    } else {
        product.sysLog(rc, lib.strings().load(msg::OdrDefaults));
    }
    product.abstUnlink(&table);
    return rc;
}

void LoadFontDefaults(Library& lib, ServerConfig& config) {
    config.InstalledKanji = static_cast<uint16_t>(ReadDwordById(lib, vid::InstalledKanji, 0));
    config.InstalledGreek = static_cast<uint16_t>(ReadDwordById(lib, vid::InstalledGreek, 0));

    uint16_t charset = 2;
    const char* defaultFont = "default";
    int next = 0; // index into Fonts
    auto readFont = [&](const std::string& defaultName) {
        if (next >= LNTC_FONT_COUNT) return;
        char name[16];
        std::snprintf(name, sizeof name, "Font%d", next + 1);
        ReadStringValue(lib, kFontsKey, name, defaultName.c_str(), config.Fonts[next],
                        sizeof config.Fonts[next]);
        ++next;
    };
    for (const char* font : {"lg.2ps", "prestige.2ps", "cournarr.2ps", "iso.2ps"})
        readFont(font);
    if (config.InstalledKanji != 0) {
        charset = 30;
        defaultFont = "Mincho16";
        readFont("notdeffo.2ps");
        char font[32];
        for (int i = 0; i < 8; ++i) {
            std::snprintf(font, sizeof font, "mincho%02d.2ps", i);
            readFont(font);
        }
        for (int i = 0; i < 7; ++i) {
            std::snprintf(font, sizeof font, "gothic%02d.2ps", i);
            readFont(font);
        }
    }
    if (config.InstalledGreek != 0) {
        charset = 17;
        defaultFont = "GrkSwiss16";
        readFont("grkhelv.2ps");
        readFont("grktime.2ps");
    }
    while (next < LNTC_FONT_COUNT)
        readFont("");
    config.FormerCharset = ReadCharsetById(lib, vid::FormerCharset, charset);
    ReadStringById(lib, vid::DefaultFont, defaultFont, config.DefaultFont,
                   sizeof config.DefaultFont);
}

namespace {

std::string queueKey(const QueueRecord& queue) {
    return std::string(kQueuesKey) + "\\" + std::string(fieldText(queue.Name));
}

template <size_t N>
void readString(Library& lib, const std::string& key, const char* name, const char* def,
                char (&dest)[N]) {
    ReadStringValue(lib, key.c_str(), name, def, dest, N);
}

int32_t readKeyword(Library& lib, const std::string& key, const char* name,
                    const KeywordTable& table) {
    char word[64];
    ReadStringValue(lib, key.c_str(), name, "", word, sizeof word);
    return keywordToNumber(table, word);
}

} // namespace

void LoadQueueRecord(Library& lib, QueueRecord& q) {
    ProductLibs& product = lib.product();
    // The area is the print server's; a missing one is its business, not a load failure.
    product.vGetGloArea(&q.GlobalArea, 56, 86);
    if (void* area = product.globalAreaAddress(q.GlobalArea)) std::memset(area, 0, 56);
    q.UpdateTime = static_cast<int32_t>(lib.now());

    const std::string key = queueKey(q);
    const char* k = key.c_str();
    auto dword = [&](const char* name, uint32_t def) { return ReadDwordValue(lib, k, name, def); };

    readString(lib, key, "Printer", "", q.Printer);
    readString(lib, key, "Description", "", q.Description);
    readString(lib, key, "DeviceName", "", q.DeviceName);
    readString(lib, key, "ImageHardware", "", q.ImageHardware);
    {
        char word[64];
        ReadStringValue(lib, k, "PrintDest", "", word, sizeof word);
        q.PrintDest = printDestFromKeyword(word);
    }
    q.QDDefaultTray = static_cast<int16_t>(readKeyword(lib, key, "QDDefaultTray", kTrayWords));
    q.EjectTray = static_cast<int16_t>(readKeyword(lib, key, "EjectTray", kEjectTrayWords));
    q.EjectTraySwitch = dword("EjectTraySwitch", 1);
    q.EjectTrayPages = static_cast<uint16_t>(dword("EjectTrayPages", 1000));
    q.PrinterStatusTimeout = static_cast<uint16_t>(dword("PrinterStatusTimeout", 0));
    q.UseAlternateOrientation = static_cast<uint16_t>(dword("UseAlternateOrientation", 0));
    {
        char text[64];
        ReadStringValue(lib, k, "OverscanAmt", "5.0", text, sizeof text);
        CLocaleScope c; // written as "7.5" whatever the locale of the writer
        q.OverscanAmt = std::strtod(text, nullptr);
    }
    q.DuplexAvailable = dword("DuplexAvailable", 0);
    q.DuplexPrint = dword("DuplexPrint", 0);
    readString(lib, key, "Tray1/Top", "LETTER, 1", q.Tray1_Top);
    readString(lib, key, "Tray2/Bottom", "NONE", q.Tray2_Bottom);
    readString(lib, key, "Tray3/Third", "NONE", q.Tray3_Third);
    q.CenterImage = static_cast<uint16_t>(dword("CenterImage", 0));
    q.DataEncode = static_cast<uint32_t>(readKeyword(lib, key, "DataEncode", kDataEncodeWords));
    q.WaitTimeout = static_cast<uint16_t>(dword("WaitTimeout", 300));
    q.TCP_SocketNumber = static_cast<uint16_t>(dword("TCP_SocketNumber", 0));
    q.Connectivity =
        static_cast<uint32_t>(readKeyword(lib, key, "Connectivity", kConnectivityWords));
    q.DuplexBinding =
        static_cast<uint32_t>(readKeyword(lib, key, "DuplexBinding", kDuplexBindingWords));
    q.PrinterInitTimeout = static_cast<uint16_t>(dword("PrinterInitTimeout", 0));
    q.PaperTrays = static_cast<uint16_t>(dword("PaperTrays", 3));
    q.UseDisplayXform = dword("UseDisplayXform", 0);
    q.Rotate180 = dword("Rotate180", 0);
    q.PSDefaultTray = static_cast<int16_t>(readKeyword(lib, key, "PSDefaultTray", kTrayWords));
    readString(lib, key, "QDDefaultPaperSize", "", q.QDDefaultPaperSize);
    readString(lib, key, "PSDefaultPaperSize", "", q.PSDefaultPaperSize);
    readString(lib, key, "BestAvailPaperSizes", "", q.BestAvailPaperSizes);
    q.BestAvailPaperSizesCnt = static_cast<uint16_t>(dword("BestAvailPaperSizesCnt", 0));
    readString(lib, key, "PrinterAlias", "", q.PrinterAlias);
}

namespace {

void fillGeneral(Library& lib, ServerConfig& c, uint32_t& status) {
    auto u16 = [&](uint16_t id, uint32_t def) {
        return static_cast<uint16_t>(ReadDwordById(lib, id, def));
    };
    c.VerboseOnStartup = u16(vid::VerboseOnStartup, 0);
    std::memset(c.Organization, 0, sizeof c.Organization + sizeof c.Domain + sizeof c.DefaultODR);
    status = ReadOdrSystemDefaults(lib, c);
    ApplySearchPathRule(lib, c);
    ReadStringById(lib, vid::ConfigDir, "c:\\qdsw_local\\sd", c.ConfigDir, sizeof c.ConfigDir);
    ReadStringById(lib, vid::TempFilesDir, "c:\\qdsw_local\\tmp", c.TempFilesDir,
                   sizeof c.TempFilesDir);
    ReadStringById(lib, vid::PrimaryCacheDir, "c:\\qdsw_local\\tmp", c.PrimaryCacheDir,
                   sizeof c.PrimaryCacheDir);
    ReadStringById(lib, vid::FontDir, "c:\\qdsw_local\\fonts", c.FontDir, sizeof c.FontDir);
    LoadFontDefaults(lib, c);
    c.UseDocCharSet = u16(vid::UseDocCharSet, 1);
    c.AutoDownload = u16(vid::AutoDownload, 1);
    c.LogonRetries = u16(vid::LogonRetries, 10);
    c.QueueDepth = u16(vid::QueueDepth, 5);
    c.VerifyChecksum = u16(vid::VerifyChecksum, 0);
    c.SuppressAnnotations = u16(vid::SuppressAnnotations, 0);
    c.EnableNotes = u16(vid::EnableNotes, 1);
    c.TimeFormat = u16(vid::TimeFormat, 1);
    ReadStringById(lib, vid::TimeString, "%m/%d/%y,  %I:%M:%S %p", c.TimeString,
                   sizeof c.TimeString);
    c.FormScaling = u16(vid::FormScaling, 0);
    c.COLDScaleFactor = u16(vid::COLDScaleFactor, 100);
}

void enumerateQueues(Library& lib, ServerConfig& c, QueueRecord* slots) {
    Registry& reg = lib.registry();
    c.QueueCount = 0;
    RegKey key = kNoKey;
    uint32_t rc = reg.openKey(lib.registryRoot, kQueuesKey, RegAccess::Read, key);
    if (rc != 0) {
        if (rc != err::FileNotFound && rc != err::PathNotFound)
            LogFailure(lib, rc, regmsg::OpenKey);
        return;
    }
    KeyGuard guard(reg, key);
    uint16_t index = 0;
    for (; index < LNTC_MAX_QUEUES; ++index) {
        std::string name;
        rc = reg.enumKey(key, index, name);
        if (rc == err::NoMoreItems) break;
        // A name longer than the field is cut; the slot still counts, so that the key is
        // visible (and can be deleted) rather than silently dropped.
        if (rc == 0) setField(slots[index].Name, name);
    }
    c.QueueCount = index;
}

} // namespace

uint32_t FillSharedRecords(Library& lib, ServerConfig& c, QueueRecord* slots) {
    std::memset(&c, 0, sizeof c);
    std::memset(slots, 0, sizeof(QueueRecord) * LNTC_MAX_QUEUES);
    c.UpdateTime = static_cast<int32_t>(lib.now());
    c.Magic = LNTC_MAGIC;
    // One consistent picture of the store, even while a configuration run saves.
    bool snapshot = lib.registry().beginSnapshot() == 0;
    uint32_t status = 0;
    fillGeneral(lib, c, status);
    enumerateQueues(lib, c, slots);
    for (int i = 0; i < c.QueueCount; ++i)
        LoadQueueRecord(lib, slots[i]);
    if (snapshot) lib.registry().endSnapshot();
    return status;
}

} // namespace lntc

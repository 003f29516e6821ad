#include "store/initialise.h"

#include "configure/message_box.h"
#include "resources/ids.h"
#include "logo/logo.h"
#include "platform/c_locale.h"
#include "process/process.h"
#include "store/library.h"
#include "store/localised.h"
#include "store/records.h"
#include "store/registry_access.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace lntc {

namespace msg {
inline constexpr uint32_t ConfigMapping = 32859;
inline constexpr uint32_t MapView = 32860;
inline constexpr uint32_t QueueMapping = 32861;
inline constexpr uint32_t Corrupted = 32868;
inline constexpr uint32_t RlkLink = 32885;
inline constexpr uint32_t OdrDefaults = 32886;
} // namespace msg

namespace {

// Opening an existing key for writing takes no lock of the store, so a process that starts
// while another one writes (an import, a configuration run) is not held up by it. Only a
// missing root is created, which does need the write lock.
uint32_t openOrCreateRoot(Registry& reg, RegKey& root) {
    uint32_t rc = reg.openKey(kLocalMachine, kProductRootPath, RegAccess::Write, root);
    if (rc != err::FileNotFound && rc != err::PathNotFound) return rc;
    rc = reg.createKey(kLocalMachine, kProductRootPath, RegAccess::Write, root);
    // The writer that kept the store busy may well have made the root meanwhile.
    if (rc == err::Busy &&
        reg.openKey(kLocalMachine, kProductRootPath, RegAccess::Write, root) == 0)
        rc = 0;
    return rc;
}

} // namespace

uint32_t LoadLibrary(Library& lib) {
    Registry& reg = lib.registry();
    RegKey root = kNoKey;
    uint32_t rc = openOrCreateRoot(reg, root);
    // A damaged store is read as far as it can be, like one that may not be written.
    if (rc == err::AccessDenied || rc == err::RegistryCorrupt) {
        LogFailure(lib, rc, regmsg::CreateKey);
        rc = reg.openKey(kLocalMachine, kProductRootPath, RegAccess::Read, root);
        if (rc == 0) lib.readOnlyRegistry = true;
    } else if (rc != 0) {
        LogFailure(lib, rc, regmsg::CreateKey);
    }
    if (rc != 0) return rc;
    lib.registryRoot = root;

    std::string path = lib.platform().env->modulePath();
    size_t dot = path.rfind('.');
    size_t slash = path.rfind('/');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) path.resize(dot);
    lib.helpFilePath = path + ".HLP";

    LoadLocalisedResources(lib);
    uint32_t logoError = 0;
    if (StartLogo(lib, &logoError) == 0) {
        // A failed load is never unloaded: let go of the root here.
        lib.registry().closeKey(lib.registryRoot);
        lib.registryRoot = kNoKey;
        return logoError;
    }
    return 0;
}

void UnloadLibrary(Library& lib) {
    ReleaseLogo(lib);
    if (lib.registryRoot != kNoKey) {
        lib.registry().closeKey(lib.registryRoot);
        lib.registryRoot = kNoKey;
    }
    SharedStore& s = lib.store;
    if (!s.sections) {
        ReleaseLocalisedResources(lib);
        return;
    }
    if (s.config && s.config.get()->Magic != LNTC_MAGIC) {
        lib.product().ztrLogError(0, 0, 0, 0, lib.strings().load(msg::Corrupted));
    }
    s.queuesWritable.reset();
    s.configWritable.reset();
    s.queues.reset();
    s.config.reset();
    s.sections.reset();
    lib.defaultMedia.reset();
    if (!s.vxlBrokerWasRunning) KillProcess(lib, kBrokerProcess);
    ReleaseLocalisedResources(lib);
}

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

// Maps a part of the unit, logging a failure.
template <typename T>
bool mapOrLog(Library& lib, size_t part, bool writable, SectionView<T>& out) {
    uint32_t error = 0;
    out = SectionView<T>(*lib.store.sections, part, writable, error);
    if (!out) {
        lib.product().ztrLogError(error, 0, 0, 0, lib.strings().load(msg::MapView));
        return false;
    }
    return true;
}

void logOpenFailure(Library& lib, uint32_t rc, size_t failedPart) {
    const char* part = failedPart == 0 ? kConfigSectionName : kQueueSectionName;
    std::string format =
        lib.strings().load(failedPart == 0 ? msg::ConfigMapping : msg::QueueMapping);
    ProductLibs& product = lib.product();
    product.ztrLogError(LNTC_E_SECTION, 0, 0, 0,
                        formatMessage(format.c_str(), static_cast<long>(rc)));
    if (rc == err::InvalidOwner) {
        std::string detail = lib.strings().load(str::LogSectionNotOurs);
        product.ztrLogError(rc, 0, 0, 0, formatMessage(detail.c_str(), part));
    }
}

// Waits for another process's first fill. Half-filled records are never used: past the
// give-up time the caller fails instead.
Section::FillState awaitFill(Library& lib, Section& unit) {
    SharedStore& s = lib.store;
    Section::FillState state = unit.waitFilled(s.fillWait);
    if (state != Section::FillState::StillFilling) return state;
    lib.product().ztrLogError(0, 0, 0, 0, lib.strings().load(str::LogStillFilling));
    state = unit.waitFilled(std::max(s.fillGiveUp - s.fillWait, std::chrono::milliseconds(0)));
    if (state == Section::FillState::StillFilling)
        lib.product().ztrLogError(LNTC_E_SECTION, 0, 0, 0,
                                  lib.strings().load(str::LogFillAbandoned));
    return state;
}

} // namespace

uint32_t InitialiseSharedConfig(Library& lib) {
    SharedStore& s = lib.store;
    s.vxlBrokerWasRunning = FindProcess(lib, kBrokerProcess) != 0;

    // The two sections are one configuration: created, filled and released together.
    bool created = false;
    size_t failedPart = 0;
    std::unique_ptr<Section> unit;
    uint32_t rc = lib.platform().sections->openUnit(
        {{kConfigSectionName, sizeof(ServerConfig)},
         {kQueueSectionName, sizeof(QueueRecord) * LNTC_MAX_QUEUES}},
        unit, created, &failedPart);
    if (rc != 0) {
        logOpenFailure(lib, rc, failedPart);
        return LNTC_E_SECTION;
    }

    // The creator fills; a process that finds a fill abandoned by a dead filler takes it over.
    bool filler = created;
    if (!created) {
        switch (awaitFill(lib, *unit)) {
        case Section::FillState::Filled:
            break;
        case Section::FillState::MustFill:
            filler = true;
            break;
        case Section::FillState::StillFilling:
            return LNTC_E_SECTION;
        }
    }
    s.sections = std::move(unit);
    // A failure from here on lets go of the unit, and with it of the fill, so that another
    // process can fill in this one's place.
    auto release = [&] {
        s.queues.reset();
        s.config.reset();
        s.sections.reset();
        return LNTC_E_SECTION;
    };
    if (!mapOrLog(lib, 0, filler, s.config) || !mapOrLog(lib, 1, filler, s.queues))
        return release();
    if (!filler) {
        ApplySearchPathRule(lib, *s.config.get());
        return 0;
    }

    ServerConfig& c = *s.config.get();
    QueueRecord* slots = s.queues.get();
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

    // From here on this process only reads, like every other.
    s.config.reset();
    s.queues.reset();
    if (!mapOrLog(lib, 0, false, s.config) || !mapOrLog(lib, 1, false, s.queues))
        return release();
    s.sections->markFilled();
    return status;
}

} // namespace lntc

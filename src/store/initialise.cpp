#include "store/initialise.h"

#include "platform/c_locale.h"
#include "platform/environment.h"
#include "platform/errors.h"
#include "product/product.h"
#include "resources/ids.h"
#include "resources/lookup.h"
#include "store/fields.h"
#include "store/records.h"
#include "store/registry_access.h"
#include "store/shared_records.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace lntc {

namespace {

// What the installed fonts make of the font defaults.
struct FontDefaults {
    uint16_t charset = 2;
    const char* font = "default";
    std::vector<std::string> files{"lg.2ps", "prestige.2ps", "cournarr.2ps", "iso.2ps"};
};

FontDefaults fontDefaults(const ServerConfig& c) {
    FontDefaults d;
    char file[32];
    if (c.InstalledKanji != 0) {
        d.charset = 30;
        d.font = "Mincho16";
        d.files.push_back("notdeffo.2ps");
        for (int i = 0; i < 8; ++i) {
            std::snprintf(file, sizeof file, "mincho%02d.2ps", i);
            d.files.push_back(file);
        }
        for (int i = 0; i < 7; ++i) {
            std::snprintf(file, sizeof file, "gothic%02d.2ps", i);
            d.files.push_back(file);
        }
    }
    if (c.InstalledGreek != 0) {
        d.charset = 17;
        d.font = "GrkSwiss16";
        d.files.push_back("grkhelv.2ps");
        d.files.push_back("grktime.2ps");
    }
    return d;
}

std::string defaultText(const Field& f, int element, const FontDefaults* fonts) {
    if (fonts == nullptr || (f.flags & flag::FontDefault) == 0) return f.text ? f.text : "";
    if (f.place.count == 1) return fonts->font;
    const size_t i = static_cast<size_t>(element);
    return i < fonts->files.size() ? fonts->files[i] : std::string();
}

// Reads a field (every element of a list) from the key into the record; fonts supplies the
// defaults that follow the installed fonts.
void loadField(const StoreServices& store, const Field& f, const char* key, void* record,
               const FontDefaults* fonts = nullptr) {
    for (int e = 0; e < f.place.count; ++e) {
        const std::string name = valueName(f, e);
        const char* n = name.c_str();
        switch (f.stored) {
        case Stored::None:
            break;
        case Stored::Number:
            setNumber(f, record, ReadDwordValue(store.registry, key, n, f.number));
            break;
        case Stored::Word:
            setNumber(f, record,
                      static_cast<uint16_t>(ReadDwordValue(store.registry, key, n, f.number)));
            break;
        case Stored::Text:
            ReadStringValue(store.registry, key, n, defaultText(f, e, fonts).c_str(),
                            textCell(f, record, e), f.place.size);
            break;
        case Stored::Keyword: {
            char word[64];
            ReadStringValue(store.registry, key, n, "", word, sizeof word);
            setNumber(f, record, keywordToNumber(*f.keywords, word));
            break;
        }
        case Stored::Charset: {
            const bool byFonts = fonts != nullptr && (f.flags & flag::FontDefault) != 0;
            setNumber(f, record,
                      ReadCharsetById(store.registry, f.id,
                                      byFonts ? fonts->charset : static_cast<uint16_t>(f.number)));
            break;
        }
        case Stored::Decimal: {
            char text[64];
            ReadStringValue(store.registry, key, n, f.text, text, sizeof text);
            CLocaleScope c; // written as "7.5" whatever the locale of the writer
            setReal(f, record, std::strtod(text, nullptr));
            break;
        }
        }
    }
}

// The ODR name the configuration saved for the ODR software ("domain:organization", the
// organization "Quendal" when the name has none) into the name's first two parts. False when
// there is none, or its parts do not fit: the name service's default applies then.
bool savedOdrName(const StoreServices& store, RlkName& name) {
    ValueReader reader(store.registry, kLocalMachine, kOdrRootPath);
    std::optional<std::string_view> text = reader.text("RLKDomain");
    if (!text) return false;
    const size_t colon = text->find(':');
    std::string_view domain = text->substr(0, colon);
    std::string_view organization = "Quendal";
    if (colon != std::string_view::npos) {
        organization = text->substr(colon + 1);
        organization = organization.substr(0, organization.find(':'));
    }
    if (domain.empty() || organization.empty() || domain.size() >= sizeof name.domain ||
        organization.size() >= sizeof name.organization)
        return false;
    copyField(name.domain, sizeof name.domain, domain);
    copyField(name.organization, sizeof name.organization, organization);
    return true;
}

} // namespace

void ApplySearchPathRule(const StoreServices& store, const ServerConfig& config) {
    if (config.OdrRelease >= 310) return;
    Environment& env = store.env;
    std::string module = env.modulePath();
    size_t slash = module.rfind('/');
    std::string folder = slash == std::string::npos ? std::string() : module.substr(0, slash);
    std::string path = folder + "/ps1";
    // An empty entry would put the current directory on the search path.
    const std::string previous = env.get("PATH").value_or("");
    if (!previous.empty()) path += env.pathListSeparator() + previous;
    env.set("PATH", path);
}

uint32_t ReadOdrSystemDefaults(const StoreServices& store, ServerConfig& config) {
    config.OdrSystemWord = 0;
    config.OdrRelease = 268;
    config.OdrGeneration = 1;
    config.SystemCharset = 2;
    static const Field* const odrName = findField(kConfigFields, "DefaultODR");
    loadField(store, *odrName, subkeyName(odrName->subkey), &config);

    ProductLibs& product = store.product;
    const RlkTable* table = nullptr;
    uint32_t rc = product.abstLink("RLK", &table, 2);
    if (rc != 0 || table == nullptr) {
        if (rc == 0) rc = kRlkNoLibrary;
        product.ztrLogError(rc, 0, 0, 0, store.strings.load(str::LogRlkLink));
        return rc;
    }

    // The three name parts lie next to each other in the record, as the RLK layout wants.
    RlkName name;
    static_assert(offsetof(ServerConfig, Domain) - offsetof(ServerConfig, Organization) == 20);
    static_assert(offsetof(ServerConfig, DefaultODR) - offsetof(ServerConfig, Organization) == 40);
    std::memcpy(&name, config.Organization, sizeof name);
    if (config.Domain[0] == '\0') {
        // The name the administrator saved wins over the name service's default.
        if (!savedOdrName(store, name)) table->defaultName()(&name);
        // Only the organization and domain are filled.
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
        product.sysLog(rc, store.strings.load(str::LogOdrDefaults));
    }
    product.abstUnlink(&table);
    return rc;
}

void LoadQueueRecord(const StoreServices& store, QueueRecord& q) {
    ProductLibs& product = store.product;
    // The area is the print server's; a missing one is its business, not a load failure.
    product.vGetGloArea(&q.GlobalArea, 56, 86);
    if (void* area = product.globalAreaAddress(q.GlobalArea)) std::memset(area, 0, 56);
    q.UpdateTime = static_cast<int32_t>(store.clock.now());

    const std::string key = QueueKey(q);
    for (const Field& f : kQueueFields)
        loadField(store, f, key.c_str(), &q);
}

namespace {

void fillGeneral(const StoreServices& store, ServerConfig& c, uint32_t& status) {
    std::optional<FontDefaults> fonts;
    for (const Field& f : kConfigFields) {
        if ((f.flags & flag::OdrStep) != 0) {
            std::memset(c.Organization, 0,
                        sizeof c.Organization + sizeof c.Domain + sizeof c.DefaultODR);
            status = ReadOdrSystemDefaults(store, c);
            ApplySearchPathRule(store, c);
            continue;
        }
        if ((f.flags & flag::FontDefault) != 0 && !fonts) fonts = fontDefaults(c);
        loadField(store, f, subkeyName(f.subkey), &c, fonts ? &*fonts : nullptr);
    }
}

void enumerateQueues(const StoreServices& store, ServerConfig& c, QueueRecord* slots) {
    Registry& reg = store.registry.registry();
    c.QueueCount = 0;
    RegKey key = kNoKey;
    uint32_t rc = reg.openKey(store.registry.key(), kQueuesKey, RegAccess::Read, key);
    if (rc != 0) {
        if (rc != err::FileNotFound && rc != err::PathNotFound)
            store.registry.logFailure(rc, str::LogOpenKey);
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

uint32_t FillSharedRecords(const StoreServices& store, ServerConfig& c, QueueRecord* slots) {
    std::memset(&c, 0, sizeof c);
    std::memset(slots, 0, sizeof(QueueRecord) * LNTC_MAX_QUEUES);
    c.UpdateTime = static_cast<int32_t>(store.clock.now());
    c.Magic = LNTC_MAGIC;
    // One consistent picture of the store, even while a configuration run saves.
    bool snapshot = store.registry.registry().beginSnapshot() == 0;
    uint32_t status = 0;
    fillGeneral(store, c, status);
    enumerateQueues(store, c, slots);
    for (int i = 0; i < c.QueueCount; ++i)
        LoadQueueRecord(store, slots[i]);
    if (snapshot) store.registry.registry().endSnapshot();
    return status;
}

} // namespace lntc

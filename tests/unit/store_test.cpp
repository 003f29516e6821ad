// The store: the first fill of the shared records, the defaults that follow the installed fonts
// and the ODR, what later processes see; the records' fields as the registry holds them, the
// accessors, saving and deleting.
#include "library/accessors.h"
#include "library/lifecycle.h"
#include "store/fields.h"
#include "store/initialise.h"
#include "store/registry_access.h"
#include "store/save.h"
#include "support/locales.h"
#include "support/test_library.h"

#include <charconv>
#include <cstring>
#include <gtest/gtest.h>
#include <map>
#include <optional>

using namespace lntc;
using namespace lntc::test;

namespace {

std::string directoryWithRelease(const std::string& release) {
    return R"({ "default": "Alpha:Quendal", "odrs": [ { "domain": "Alpha",
        "organization": "Quendal", "queues": [], "systemDefaults":
        { "release": )" +
           release + R"(, "charset": 42, "systemWord": 77 } } ] })";
}

class StoreInit : public ::testing::Test {
  protected:
    FakeMachine machine;

    const ServerConfig* config(TestLibrary& t, uint32_t* status = nullptr) {
        const ServerConfig* c = nullptr;
        uint32_t rc = GetConfig(t.lib(), &c, LNTC_CONFIG_VERSION);
        if (status) *status = rc;
        return c;
    }
    void addQueue(const std::string& name, const std::string& printer = "HP_LASERJET_4M") {
        machine.registry.setString(productPath("Queues\\" + name), "Printer", printer);
    }
};

TEST_F(StoreInit, FontDefaultsFollowTheInstalledFonts) {
    const struct {
        uint32_t kanji, greek;
        std::vector<std::pair<int, const char*>> fonts; // Font<n> and what it loads as
        uint16_t charset;
        const char* font;
    } cases[] = {
        // clang-format off
        {0, 0, {{1, "lg.2ps"}, {2, "prestige.2ps"}, {3, "cournarr.2ps"}, {4, "iso.2ps"}, {5, ""}},
         2, "default"},
        {1, 0, {{5, "notdeffo.2ps"}, {6, "mincho00.2ps"}, {13, "mincho07.2ps"},
                {14, "gothic00.2ps"}, {20, "gothic06.2ps"}, {21, ""}}, 30, "Mincho16"},
        {0, 1, {{4, "iso.2ps"}, {5, "grkhelv.2ps"}, {6, "grktime.2ps"}, {7, ""}}, 17, "GrkSwiss16"},
        {1, 1, {{20, "gothic06.2ps"}, {21, "grkhelv.2ps"}, {22, "grktime.2ps"}, {25, "last.2ps"}},
         17, "GrkSwiss16"},
        // clang-format on
    };
    for (const auto& k : cases) {
        FakeMachine m;
        m.registry.setDword(productPath("Fonts"), "InstalledKanji", k.kanji);
        m.registry.setDword(productPath("Fonts"), "InstalledGreek", k.greek);
        m.registry.setString(productPath("Fonts"), "Font25", "last.2ps"); // beats any default
        TestLibrary t(m);
        const ServerConfig* c = config(t);
        ASSERT_NE(c, nullptr);
        for (const auto& [n, font] : k.fonts)
            EXPECT_STREQ(c->Fonts[n - 1], font) << k.kanji << k.greek << " Font" << n;
        EXPECT_EQ(c->FormerCharset, k.charset) << k.kanji << k.greek;
        EXPECT_STREQ(c->DefaultFont, k.font) << k.kanji << k.greek;
    }
}

TEST_F(StoreInit, AtMostSixteenQueuesAndLongNamesKeepTheirSlot) {
    for (int i = 0; i < 20; ++i)
        addQueue("Q" + std::to_string(100 + i));
    TestLibrary t(machine);
    ASSERT_NE(config(t), nullptr);
    EXPECT_EQ(config(t)->QueueCount, 16);
    const char* name = nullptr;
    ASSERT_EQ(GetQueueName(t.lib(), 15, &name), 0u);
    EXPECT_STREQ(name, "Q115"); // enumeration order
    const QueueRecord *a = nullptr, *b = nullptr;
    ASSERT_EQ(GetQueue(t.lib(), "Q100", &a, LNTC_QUEUE_VERSION), 0u);
    ASSERT_EQ(GetQueue(t.lib(), "Q101", &b, LNTC_QUEUE_VERSION), 0u);
    EXPECT_EQ(a->UpdateTime, machine.clock.now());
    EXPECT_NE(a->GlobalArea, 0u); // each queue has an area of its own
    EXPECT_NE(a->GlobalArea, b->GlobalArea);

    FakeMachine m2;
    const std::string longName(45, 'L');
    m2.registry.setString(productPath("Queues\\" + longName), "Printer", "HP_LASERJET_4M");
    m2.registry.setString(productPath("Queues\\SHORT"), "Printer", "GENERIC_POSTSCRIPT");
    TestLibrary u(m2);
    ASSERT_NE(config(u), nullptr);
    EXPECT_EQ(config(u)->QueueCount, 2);
    ASSERT_EQ(GetQueueName(u.lib(), 0, &name), 0u);
    EXPECT_EQ(std::string(name), longName.substr(0, 39));
    EXPECT_EQ(GetQueue(u.lib(), longName.c_str(), &a, LNTC_QUEUE_VERSION), LNTC_E_NO_QUEUE);
}

TEST_F(StoreInit, OdrDefaultsAndTheReleaseThatDecidesTheSearchPath) {
    // clang-format off
    const struct {
        std::string release;
        std::optional<std::string> path; // before; nullopt: unset
        uint16_t expected;
        const char* after;
    } cases[] = {
        {"\"3.1.0\"", "/usr/bin", 310, "/usr/bin"},
        {"\"3.0.9\"", "/usr/bin", 309, "/opt/lnt.d/lib/ps1:/usr/bin"},
        {"null", "/usr/bin", 301, "/opt/lnt.d/lib/ps1:/usr/bin"},
        // No empty entry (the current directory) when there was no PATH to follow.
        {"\"3.0.9\"", "", 309, "/opt/lnt.d/lib/ps1"},
        {"\"3.0.9\"", std::nullopt, 309, "/opt/lnt.d/lib/ps1"},
    };
    // clang-format on
    for (const auto& k : cases) {
        FakeMachine m;
        TestLibrary t(m, false);
        t.env.module = "/opt/lnt.d/lib/liblntc.so";
        m.modules.folder = "/opt/lnt.d/lib";
        if (k.path) t.env.set("PATH", *k.path);
        ASSERT_EQ(LoadLibrary(t.lib()), 0u);
        EXPECT_EQ(t->helpFilePath, "/opt/lnt.d/lib/liblntc.HLP");
        t.product.setDirectoryJson(directoryWithRelease(k.release));
        uint32_t status = 1;
        const ServerConfig* c = config(t, &status);
        ASSERT_NE(c, nullptr) << k.release;
        EXPECT_EQ(std::to_string(status) + " " + c->Domain + ":" + c->Organization + " " +
                      std::to_string(c->OdrRelease) + " " + std::to_string(c->OdrGeneration) + " " +
                      std::to_string(c->SystemCharset) + " " + std::to_string(c->OdrSystemWord) +
                      " " + t.env.get("PATH").value_or("-"),
                  "0 Alpha:Quendal " + std::to_string(k.expected) +
                      (k.release == "null" ? " 1" : " 2") + " 42 77 " + k.after);
        EXPECT_TRUE(c->Magic == LNTC_MAGIC && c->UpdateTime == m.clock.now());
        EXPECT_TRUE(t.product.errors.empty()); // a missing Queues key is no failure
    }
}

TEST_F(StoreInit, NameServiceFailuresAreReportedToTheFillerAndStick) {
    addQueue("LASER");
    TestLibrary first(machine);
    first.product.scriptLinkResult(0x9C000001);
    uint32_t status = 0;
    // The filled records come with the status, so that an administrator can look at them.
    const ServerConfig* filled = config(first, &status);
    ASSERT_NE(filled, nullptr);
    EXPECT_EQ(filled->QueueCount, 1);
    uint32_t again = 0;
    EXPECT_EQ(config(first, &again), filled);
    const ServerConfig* c = nullptr;
    // A wrong version: no address.
    EXPECT_EQ(std::vector<uint32_t>({status, again, GetConfig(first.lib(), &c, 2002)}),
              std::vector<uint32_t>(3, 0x9C000001u));
    EXPECT_EQ(c, nullptr);

    FakeMachine m;
    TestLibrary t(m);
    t.product.setDirectoryJson(R"({"odrs": []})"); // no ODR: the lookup finds nothing
    config(t, &status);
    EXPECT_NE(status, 0u);
    ASSERT_EQ(t.product.sysLogs.size(), 1u);
    EXPECT_EQ(t.product.sysLogs[0].text, "LNTC: Unable to retrieve ODR system default values.");
    EXPECT_EQ(t.product.sysLogs[0].code, status);
}

TEST_F(StoreInit, SectionFailuresAreLoggedAndStick) {
    TestLibrary t(machine);
    machine.sections.openError = 8;
    uint32_t status = 0, again = 0;
    EXPECT_TRUE(config(t, &status) == nullptr && config(t, &again) == nullptr);
    EXPECT_EQ(std::make_pair(status, again), std::make_pair(LNTC_E_SECTION, LNTC_E_SECTION));
    ASSERT_FALSE(t.product.errors.empty());
    EXPECT_EQ(std::to_string(t.product.errors.back().code) + " " + t.product.errors.back().text,
              std::to_string(LNTC_E_SECTION) +
                  " LNTC: Error 8 creating file mapping for configuration data");
}

TEST_F(StoreInit, AnAbandonedFillIsRedoneAndAStalledOneWaitedForButNeverTakenAsDone) {
    using FS = Section::FillState;
    addQueue("LASER");
    TestLibrary filler(machine);
    ASSERT_NE(config(filler), nullptr);
    machine.registry.setString(productPath("Queues\\LASER"), "Description", "refilled");
    // clang-format off
    const struct {
        std::vector<FS> answers;
        uint32_t status;
        std::vector<std::string> logged;
        const char* description;
    } cases[] = {
        {{FS::MustFill}, 0, {}, "refilled"}, // the filler died before it marked the fill done
        {{FS::StillFilling, FS::Filled}, 0, {"LNTC: Still waiting"}, nullptr},
        {{FS::StillFilling, FS::StillFilling},
         LNTC_E_SECTION,
         {"LNTC: Still waiting", "LNTC: Gave up waiting"},
         nullptr},
    };
    // clang-format on
    for (const auto& c : cases) {
        machine.sections.fillScript.assign(c.answers.begin(), c.answers.end());
        TestLibrary next(machine);
        uint32_t status = 1;
        const ServerConfig* got = config(next, &status);
        EXPECT_EQ(status, c.status);
        EXPECT_EQ(got == nullptr, c.status != 0);
        std::vector<std::string> texts = next.loggedTexts();
        ASSERT_EQ(texts.size(), c.logged.size());
        for (size_t i = 0; i < texts.size(); ++i)
            EXPECT_EQ(texts[i].rfind(c.logged[i], 0), 0u) << texts[i];
        const QueueRecord* q = nullptr;
        if (c.description) {
            ASSERT_EQ(GetQueue(next.lib(), "LASER", &q, LNTC_QUEUE_VERSION), 0u);
            EXPECT_STREQ(q->Description, c.description);
        }
    }
}

TEST_F(StoreInit, UnloadChecksTheMarkerAndStopsTheBrokerItDidNotFind) {
    {
        TestLibrary t(machine);
        ASSERT_NE(config(t), nullptr);
        machine.processes.running.push_back({4242, "vxl_broker"}); // started after initialisation
        std::memset(machine.sections.memory("lnt_config_data")->data(), 0, 4);
        t.unload();
        EXPECT_TRUE(t.logged("A DLL has corrupted the configuration information."));
        EXPECT_EQ(machine.processes.terminated, std::vector<uint32_t>{4242});
    }
    FakeMachine m;
    m.processes.running.push_back({77, "VXL_BROKER"});
    TestLibrary t(m);
    ASSERT_NE(config(t), nullptr);
    t.unload();
    EXPECT_TRUE(m.processes.terminated.empty());
    EXPECT_TRUE(t.product.errors.empty());
}

TEST_F(StoreInit, TheRootOpensForWritingWithoutTheWriteLockOrElseReadOnly) {
    // clang-format off
    const struct {
        bool rootExists, readOnly;
        uint32_t createAnswers; // 0: creating works
        uint32_t load;
    } cases[] = {
        {true, false, err::Busy, 0}, // a writer holds the store: the existing root opens
        {false, false, 0, 0},        {false, false, err::Busy, err::Busy},
        {true, true, 0, 0},          {false, true, 0, err::AccessDenied},
    };
    // clang-format on
    for (const auto& k : cases) {
        FakeMachine m;
        if (k.rootExists) m.registry.setString(productPath("General"), "ConfigDir", "d:\\sd");
        if (k.createAnswers) m.registry.failNext(MemoryRegistry::Op::CreateKey, k.createAnswers);
        m.registry.setReadOnly(k.readOnly);
        TestLibrary t(m);
        EXPECT_EQ(t.loadStatus != 0, k.load != 0) << k.rootExists << k.readOnly;
        EXPECT_EQ(t->readOnlyRegistry, k.readOnly && k.load == 0);
        EXPECT_EQ(t.logged("LNTC: Error creating registration key"), k.readOnly || k.load != 0);
        EXPECT_EQ(m.registry.hasKey(kProductRootPath), k.load == 0);
        if (k.load == 0) {
            EXPECT_STREQ(config(t)->ConfigDir, k.rootExists ? "d:\\sd" : "c:\\qdsw_local\\sd");
        }
    }
}

// Every stored field in the loader's order: its default, a value for the record, what the
// registry then holds ("#" a number) and which models save it: H(P LaserJet), R(icoh),
// L(arge document), P(ostScript), O(ther); "*" for the general record. Printer and
// ImageHardware follow the model.
struct Row {
    std::string name, byDefault, value, stored, savedBy;
};
// clang-format off
const std::vector<Row> kQueueRows = {
    {"Printer", "", "", "", "HRLPO"},                  {"Description", "", "mail", "mail", "HRLPO"},
    {"DeviceName", "", "LPT1:", "LPT1:", "HRLPO"},     {"ImageHardware", "", "", "", "HRLPO"},
    {"PrintDest", "1", "3", "PRINTER_AND_DISK", "HRLPO"}, {"QDDefaultTray", "0", "2", "THIRD", "HRP"},
    {"EjectTray", "2", "6", "LOWER_ALTERNATING", "R"}, {"EjectTraySwitch", "1", "7", "#7", "R"},
    {"EjectTrayPages", "1000", "9", "#9", "R"},        {"PrinterStatusTimeout", "0", "11", "#11", "HRLPO"},
    {"UseAlternateOrientation", "0", "1", "#1", "HRLPO"}, {"OverscanAmt", "5", "7.5", "7.5", "HRLPO"},
    {"DuplexAvailable", "0", "1", "#1", "HRLPO"},      {"DuplexPrint", "0", "1", "#1", "HRLPO"},
    {"Tray1/Top", "LETTER, 1", "A4, 2", "A4, 2", "HP"}, {"Tray2/Bottom", "NONE", "A3, 1", "A3, 1", "HP"},
    {"Tray3/Third", "NONE", "B, 3", "B, 3", "HP"},     {"CenterImage", "0", "1", "#1", "HP"},
    {"DataEncode", "0", "1", "ASCII_HEX", "HP"},       {"WaitTimeout", "300", "60", "#60", "HP"},
    {"TCP_SocketNumber", "0", "9100", "#9100", "HP"},  {"Connectivity", "2", "1", "TCP_DIRECT", "HP"},
    {"DuplexBinding", "0", "2", "TOP_EDGE", "HP"},     {"PrinterInitTimeout", "0", "5", "#5", "RL"},
    {"PaperTrays", "3", "2", "#2", "RL"},              {"UseDisplayXform", "0", "1", "#1", "RL"},
    {"Rotate180", "0", "1", "#1", "RL"},               {"PSDefaultTray", "0", "1", "BOTTOM", "R"},
    {"QDDefaultPaperSize", "", "C", "C", "L"},         {"PSDefaultPaperSize", "", "D", "D", "L"},
    {"BestAvailPaperSizes", "", "C,B", "C,B", "L"},    {"BestAvailPaperSizesCnt", "0", "2", "#2", "L"},
    {"PrinterAlias", "", "NO_MODEL", "NO_MODEL", "P"}, // leaves "OTHER" without a class
};
const std::vector<Row> kConfigRows = {
    {"VerboseOnStartup", "0", "1", "#1", "*"},         {"DefaultODR", "DefaultODR", "ODR2", "ODR2", ""},
    {"ConfigDir", "c:\\qdsw_local\\sd", "d:\\sd", "d:\\sd", "*"},
    {"TempFilesDir", "c:\\qdsw_local\\tmp", "d:\\tmp", "d:\\tmp", "*"},
    {"PrimaryCacheDir", "c:\\qdsw_local\\tmp", "d:\\cache", "d:\\cache", "*"},
    {"FontDir", "c:\\qdsw_local\\fonts", "d:\\fonts", "d:\\fonts", "*"},
    {"InstalledKanji", "0", "1", "#1", ""},            {"InstalledGreek", "0", "1", "#1", ""},
    {"Font1", "lg.2ps", "a.2ps", "a.2ps", "*"},        {"FormerCharset", "2", "30", "Shift_JIS", "*"},
    {"DefaultFont", "default", "Courier", "Courier", "*"}, {"UseDocCharSet", "1", "0", "#0", "*"},
    {"AutoDownload", "1", "0", "#0", "*"},             {"LogonRetries", "10", "3", "#3", "*"},
    {"QueueDepth", "5", "12", "#12", "*"},             {"VerifyChecksum", "0", "1", "#1", "*"},
    {"SuppressAnnotations", "0", "1", "#1", "*"},      {"EnableNotes", "1", "0", "#0", "*"},
    {"TimeFormat", "1", "2", "#2", "*"},   {"TimeString", "%m/%d/%y,  %I:%M:%S %p", "%H:%M", "%H:%M", "*"},
    {"FormScaling", "0", "1", "#1", ""},               {"COLDScaleFactor", "100", "50", "#50", ""},
};
// clang-format on

// A field of a record as text, and set from text; its registry key ("Font1" is the font
// list's first entry).
const Field& fieldOf(const std::string& name) {
    const Field* f = findField(kQueueFields, name);
    return f ? *f : *findField(kConfigFields, name == "Font1" ? "Font" : name);
}
// Numbers as the C locale writes them, whatever the test's own locale.
std::string shown(const std::string& name, const void* record) {
    const Field& f = fieldOf(name);
    char real[32] = {};
    std::to_chars(real, real + sizeof real - 1, realOf(f, record));
    return f.place.cell == Cell::Text  ? std::string(textOf(f, record))
           : f.place.cell == Cell::F64 ? real
                                       : std::to_string(numberOf(f, record));
}
void put(const std::string& name, void* record, const std::string& v) {
    const Field& f = fieldOf(name);
    double real = 0;
    std::from_chars(v.data(), v.data() + v.size(), real);
    if (f.place.cell == Cell::Text)
        copyField(textCell(f, record), f.place.size, v);
    else if (f.place.cell == Cell::F64)
        setReal(f, record, real);
    else
        setNumber(f, record, std::stoll(v));
}
std::string keyOf(const std::string& name, const std::string& queue) {
    const Field& f = fieldOf(name);
    return f.subkey == Subkey::Queue ? "Queues\\" + queue : subkeyName(f.subkey);
}
template <size_t N> bool rowsCover(const Field (&fields)[N], const std::vector<Row>& rows) {
    std::vector<std::string> names;
    for (const Field& f : fields)
        if (f.stored != Stored::None) names.push_back(valueName(f));
    return names.size() == rows.size() &&
           std::equal(names.begin(), names.end(), rows.begin(),
                      [](const std::string& n, const Row& r) { return n == r.name; });
}

class StoreAccess : public ::testing::Test {
  protected:
    FakeMachine machine;
    std::unique_ptr<TestLibrary> t;

    void start() {
        t = std::make_unique<TestLibrary>(machine);
        ASSERT_NE(config(), nullptr);
    }
    const QueueRecord* queue(const std::string& name) {
        const QueueRecord* q = nullptr;
        return GetQueue(t->lib(), name.c_str(), &q, LNTC_QUEUE_VERSION) == 0 ? q : nullptr;
    }
    const ServerConfig* config() {
        const ServerConfig* c = nullptr;
        return GetConfig(t->lib(), &c, LNTC_CONFIG_VERSION) == 0 ? c : nullptr;
    }
    // A value as the rows give it, below the product root.
    void store(const std::string& key, const std::string& name, const std::string& v) {
        if (!v.empty() && v[0] == '#')
            machine.registry.setDword(productPath(key), name, std::stoul(v.substr(1)));
        else
            machine.registry.setString(productPath(key), name, v);
    }
    std::string held(const std::string& key, const std::string& name) {
        if (auto n = getDword(machine.registry, productPath(key), name))
            return "#" + std::to_string(*n);
        return getString(machine.registry, productPath(key), name).value_or("(none)");
    }
};

TEST_F(StoreAccess, EveryFieldReadsItsDefaultWhenMissingOrOfTheWrongTypeInTheLoadersOrder) {
    ASSERT_TRUE(rowsCover(kQueueFields, kQueueRows));
    ASSERT_TRUE(rowsCover(kConfigFields, kConfigRows));
    std::vector<std::string> logged;
    for (const auto* rows : {&kConfigRows, &kQueueRows}) {
        for (const Row& r : *rows) {
            const bool number = r.stored[0] == '#';
            store(keyOf(r.name, "WRONG"), r.name, number ? "1" : "#1");
            logged.push_back(number ? "LNTC: Queried value is not an integer"
                                    : "LNTC: Queried key value is not a string");
        }
    }
    logged.insert(logged.begin() + 2, "LNTC: Error linking to RLK abstract");
    store("Queues\\EMPTY", "Unrelated", "");
    t = std::make_unique<TestLibrary>(machine);
    t->product.scriptLinkResult(0x9C000001); // the ODR step runs in DefaultODR's place
    const ServerConfig* c = nullptr;
    ASSERT_EQ(GetConfig(t->lib(), &c, LNTC_CONFIG_VERSION), 0x9C000001u);
    for (const Row& r : kConfigRows)
        EXPECT_EQ(shown(r.name, c), r.byDefault) << r.name;
    for (const Row& r : kQueueRows) {
        EXPECT_EQ(shown(r.name, queue("WRONG")), r.byDefault) << r.name;
        EXPECT_EQ(shown(r.name, queue("EMPTY")), r.byDefault) << r.name;
    }
    EXPECT_EQ(t->loggedTexts(), logged);
}

// In a program with a decimal comma too: the registry holds "7.5" whatever the locale.
TEST_F(StoreAccess, EachModelClassSavesItsFieldsAndWhatWasSavedLoadsBack) {
    GermanProcessLocale german; // where the machine can make it
    const std::map<std::string, const char*> models = {{"H", "HP_LASERJET_4M"},
                                                       {"R", "RICOH_LP-M20"},
                                                       {"L", "XEROX_8840C"},
                                                       {"P", "GENERIC_POSTSCRIPT"},
                                                       {"O", "OTHER"}};
    start();
    for (const auto& [m, printer] : models) {
        QueueRecord q{};
        setField(q.Name, m);
        for (const Row& r : kQueueRows)
            put(r.name, &q, r.value);
        setField(q.Printer, printer);
        ASSERT_EQ(SaveQueueRecord(t->lib(), q, true), 0);
    }
    ServerConfig c = *config();
    for (const Row& r : kConfigRows)
        put(r.name, &c, r.value);
    setField(c.Fonts[1], "b.2ps");
    setField(c.Fonts[2], "");
    setField(c.Fonts[3], "d.2ps"); // after the first empty entry: not saved, nor deleted
    store("Fonts", "Font4", "old.2ps");
    c.QueueCount = 9; // a stale working copy's count is not taken over
    ASSERT_EQ(SaveServerConfig(t->lib(), c), 0);
    EXPECT_EQ(held("Fonts", "Font2") + held("Fonts", "Font4"), "b.2psold.2ps");
    EXPECT_EQ(std::vector<uint32_t>({uint32_t(config()->QueueDepth), uint32_t(config()->QueueCount),
                                     config()->Magic}),
              std::vector<uint32_t>({12, 5, LNTC_MAGIC}));
    EXPECT_EQ(held("Queues\\L", "ImageHardware") + held("Queues\\O", "ImageHardware"), "LDPXNONE");

    for (bool fresh : {false, true}) { // what the registry holds, then what a fresh fill reads
        if (fresh) t.reset(), start();
        auto expect = [&](const Row& r, const std::string& queue, bool saved) {
            if (r.value.empty()) return; // Printer and ImageHardware follow the model
            EXPECT_EQ(fresh ? shown(r.name, queue.empty() ? static_cast<const void*>(config())
                                                          : this->queue(queue))
                            : held(keyOf(r.name, queue), r.name),
                      saved ? (fresh ? r.value : r.stored) : (fresh ? r.byDefault : "(none)"))
                << queue << " " << r.name;
        };
        for (const auto& [m, printer] : models)
            for (const Row& r : kQueueRows)
                expect(r, m, r.savedBy.find(m) != std::string::npos);
        for (const Row& r : kConfigRows)
            expect(r, "", r.savedBy == "*");
    }

    // A model change keeps what the new model does not write; a tray not chosen yet (-1) has
    // no keyword, so its value goes; a code without a character set is written empty.
    QueueRecord h = *queue("H");
    setField(h.Printer, "RICOH_LP-M32");
    h.QDDefaultTray = -1;
    ASSERT_EQ(SaveQueueRecord(t->lib(), h, false), 0);
    c.FormerCharset = 99;
    ASSERT_EQ(SaveServerConfig(t->lib(), c), 0);
    EXPECT_EQ(held("Queues\\H", "Tray1/Top") + "|" + held("Queues\\H", "EjectTray") + "|" +
                  held("Queues\\H", "QDDefaultTray") + "|" + held("Fonts", "FormerCharset"),
              "A4, 2|UPPER_OFFSET|(none)|");
}

TEST_F(StoreAccess, StoredWordsAndNumbersConvertAsTheFieldSays) {
    const struct {
        const char* field;
        std::string stored, loads;
    } cases[] = {
        // clang-format off
        {"PrintDest", "PRINTER_ONLY", "1"}, {"PrintDest", "", "1"}, {"PrintDest", "DISK_ONLY", "2"},
        {"EjectTray", "NOWHERE", "2"},      {"DataEncode", "ASCII_85", "2"},
        {"Connectivity", "tcp_direct", "2"}, // keywords are case-sensitive
        {"OverscanAmt", "abc", "0"},        {"Tray2/Bottom", "", "NONE"},
        {"CenterImage", "#327681", "1"},    {"WaitTimeout", "#305419896", "22136"}, // low 16 bits
        {"Printer", std::string(70, 'P'), std::string(63, 'P')},
        {"TempFilesDir", std::string(255, 't'), std::string(255, 't')},
        {"ConfigDir", std::string(300, 'x'), "c:\\qdsw_local\\sd"}, // too long, and logged
        {"FormerCharset", "KOI8", "2"},
        // clang-format on
    };
    auto queueOf = [&](size_t i) { return "Q" + std::to_string(i); }; // one per queue field
    for (size_t i = 0; i < std::size(cases); ++i)
        store(keyOf(cases[i].field, queueOf(i)), cases[i].field, cases[i].stored);
    start();
    for (size_t i = 0; i < std::size(cases); ++i) {
        const bool general = fieldOf(cases[i].field).subkey != Subkey::Queue;
        EXPECT_EQ(
            shown(cases[i].field, general ? static_cast<const void*>(config()) : queue(queueOf(i))),
            cases[i].loads)
            << cases[i].field << " " << cases[i].stored;
    }
    EXPECT_TRUE(t->logged("LNTC: Error querying registration key"));
}

TEST_F(StoreAccess, VersionChecksNullArgumentsSlotsWithHolesAndRetainFlags) {
    using Codes = std::vector<uint32_t>;
    for (const char* n : {"A", "B", "C", "D", "E"})
        store(std::string("Queues\\") + n, "Printer", "HP_LASERJET_4M");
    TestLibrary fresh(machine); // before initialisation nothing is found
    const char* name = nullptr;
    const QueueRecord* q = nullptr;
    EXPECT_EQ(Codes({GetQueueName(fresh.lib(), 0, &name),
                     GetQueue(fresh.lib(), "A", &q, LNTC_QUEUE_VERSION),
                     RetainFiles(fresh.lib(), "A", 1)}),
              Codes(3, LNTC_E_NO_QUEUE));
    start();
    const ServerConfig* c = reinterpret_cast<const ServerConfig*>(0x1);
    EXPECT_EQ(
        Codes({GetConfig(t->lib(), &c, 2002), GetConfig(t->lib(), nullptr, LNTC_CONFIG_VERSION),
               GetQueue(t->lib(), "A", &q, 3003),
               GetQueue(t->lib(), nullptr, &q, LNTC_QUEUE_VERSION),
               GetQueue(t->lib(), "A", nullptr, LNTC_QUEUE_VERSION),
               GetQueueName(t->lib(), 0, nullptr), RetainFiles(t->lib(), nullptr, 1),
               IsPostScriptPrinter(t->lib(), nullptr)}),
        Codes({LNTC_E_VERSION, LNTC_E_ARGUMENT, LNTC_E_VERSION, LNTC_E_NO_QUEUE, LNTC_E_ARGUMENT,
               LNTC_E_ARGUMENT, LNTC_E_NO_QUEUE, 0}));
    EXPECT_EQ(c, reinterpret_cast<const ServerConfig*>(0x1)); // nothing stored

    ASSERT_EQ(DeleteQueueRecord(t->lib(), "B"), 0);
    auto nameAt = [&](int i) { return GetQueueName(t->lib(), i, &name) ? "-" : std::string(name); };
    EXPECT_EQ(nameAt(-1) + nameAt(1) + nameAt(2) + nameAt(16), "--C-");
    EXPECT_EQ(queue("c"), nullptr); // names compare exactly
    EXPECT_EQ(config()->QueueCount, 4);
    EXPECT_FALSE(machine.registry.hasKey(productPath("Queues\\B")));
    QueueRecord f = *queue("A");
    setField(f.Name, "F");
    ASSERT_EQ(SaveQueueRecord(t->lib(), f, true), 0);
    EXPECT_EQ(nameAt(1), "F"); // the hole is filled first
    EXPECT_EQ(config()->QueueCount, 5);

    machine.clock.time += 60; // the retain flag lives in the shared record only
    ASSERT_EQ(RetainFiles(t->lib(), "C", 1), 0u);
    EXPECT_EQ(queue("C")->PrintDest, 3u);
    EXPECT_EQ(queue("C")->UpdateTime, machine.clock.now());
    ASSERT_EQ(RetainFiles(t->lib(), "C", 0), 0u);
    EXPECT_EQ(queue("C")->PrintDest, 1u);
    EXPECT_EQ(RetainFiles(t->lib(), "NOPE", 1), LNTC_E_NO_QUEUE);
    EXPECT_EQ(held("Queues\\C", "PrintDest"), "(none)");
}

TEST_F(StoreAccess, PostScriptAndModelLookups) {
    const struct {
        const char *queue, *printer, *alias;
        uint32_t postScript;
        int model;
    } cases[] = {{"PLUS", "HP_LASERJET_4MPLUS", "", 1, 2},
                 {"ALIAS", "OTHER", "GENERIC_POSTSCRIPT", 8, 14},
                 {"BARE", "OTHER", "", 0, -1},
                 {"LOWER", "hp_laserjet_4m", "", 0, -1},
                 {"RICOH", "RICOH_LP-M20", "", 0, 5}};
    for (const auto& c : cases) {
        store(std::string("Queues\\") + c.queue, "Printer", c.printer);
        store(std::string("Queues\\") + c.queue, "PrinterAlias", c.alias);
    }
    start();
    for (const auto& c : cases) {
        EXPECT_EQ(IsPostScriptPrinter(t->lib(), c.queue), c.postScript) << c.queue;
        EXPECT_EQ(ModelIndexOfQueue(*queue(c.queue)), c.model) << c.queue;
    }
    EXPECT_EQ(IsPostScriptPrinter(t->lib(), "MISSING"), 0u);
    EXPECT_EQ(ModelIndexOfDisplayName(t->lib().strings(), "Xerox 8840C  (C-size)"), 7);
    EXPECT_EQ(ModelIndexOfDisplayName(t->lib().strings(), "Xerox 8840C (C-size)"), -1);
}

TEST_F(StoreAccess, SaveAndDeleteRefuseWhatHasNoSlotAndWriteFailuresAreLogged) {
    for (int i = 0; i < 16; ++i)
        store("Queues\\Q" + std::to_string(i), "Printer", "HP_LASERJET_4M");
    start();
    QueueRecord q = *queue("Q0");
    setField(q.Name, "EXTRA");
    EXPECT_EQ(SaveQueueRecord(t->lib(), q, true), -1);
    setField(q.Name, "GHOST");
    EXPECT_EQ(SaveQueueRecord(t->lib(), q, false), -1);
    EXPECT_EQ(DeleteQueueRecord(t->lib(), "GHOST"), -1);
    std::vector<std::string> shown;
    for (const ShownBox& b : t->host.shown)
        shown.push_back(b.caption + ": " + b.text);
    const std::string ghost = "Configuration Error: Error locating the GHOST queue information.";
    EXPECT_EQ(shown,
              (std::vector<std::string>{
                  "Configuration Error: Maximum number of queues (16) exceeded.", ghost, ghost}));
    EXPECT_FALSE(machine.registry.hasKey(productPath("Queues\\EXTRA")));
    EXPECT_EQ(config()->QueueCount, 16);

    setField(q.Name, "Q0");
    setField(q.Description, "new text");
    machine.registry.failNext(MemoryRegistry::Op::SetValue, err::AccessDenied);
    ASSERT_EQ(SaveQueueRecord(t->lib(), q, false), 0);
    EXPECT_TRUE(t->logged("LNTC: Error setting registration key"));
    EXPECT_EQ(held("Queues\\Q0", "Description"), "new text");
    EXPECT_STREQ(queue("Q0")->Description, "new text");
}

TEST_F(StoreAccess, DeleteFormsValuesByIdentifierAndKanjiFonts) {
    for (const char* key : {"General", "Queues\\A", "Queues\\B", "Other"})
        store(key, "V", "x");
    store("Queues\\A", "W", "y");
    start();
    Library& lib = t->lib();
    EXPECT_EQ(std::vector<int>({DeleteRegistryEntry(lib, nullptr, "General", nullptr),
                                DeleteRegistryEntry(lib, nullptr, nullptr, "V")}),
              std::vector<int>(2, -1));
    EXPECT_EQ(held("General", "V"), "x");
    EXPECT_EQ(std::vector<int>({DeleteRegistryEntry(lib, nullptr, "General", "V"),
                                DeleteRegistryEntry(lib, "Queues", "A", "V"),
                                DeleteRegistryEntry(lib, "Queues", "B", nullptr),
                                DeleteRegistryEntry(lib, "Other", nullptr, nullptr),
                                DeleteRegistryEntry(lib, "Queues", "Missing", nullptr)}),
              std::vector<int>(5, 0));
    EXPECT_EQ(held("General", "V") + held("Queues\\A", "V") + held("Queues\\A", "W"),
              "(none)(none)y");
    EXPECT_FALSE(machine.registry.hasKey(productPath("Queues\\B")));
    EXPECT_FALSE(machine.registry.hasKey(productPath("Other")));

    char text[8];
    EXPECT_EQ(ReadStringById(lib, 1234, "defaulted-long", text, sizeof text), err::FileNotFound);
    EXPECT_STREQ(text, "default"); // cut to size - 1
    EXPECT_EQ(ReadDwordById(lib, 1234, 99), 99u);
    EXPECT_NE(WriteDwordById(lib, 1234, 5), 0u);
    EXPECT_EQ(WriteCharsetById(lib, 4100, 42), 0u);
    EXPECT_EQ(held("Fonts", "FormerCharset"), "HP_Roman8");
    store("Fonts", "FormerCharset", "iso_8859_7");
    EXPECT_EQ(ReadCharsetById(lib, 4100, 2), 17); // case is ignored
    EXPECT_EQ(WriteDwordById(lib, 4303, 3), 0u);
    EXPECT_EQ(WriteStringById(lib, fontctl::FontName, "Arial"), 0u);
    EXPECT_EQ(held("General", "LogonRetries") + held("Fonts", "DefaultFont"), "#3Arial");

    store("Fonts", "NeedKanjiDiskFonts", "#1");
    EXPECT_EQ(std::vector<uint32_t>({NeedKanjiDiskFonts(lib, 0), NeedKanjiDiskFonts(lib, 1),
                                     NeedKanjiDiskFonts(lib, 1)}),
              std::vector<uint32_t>({1, 1, 0}));
    EXPECT_TRUE(t->product.errors.empty()); // deleting a missing value is no failure
}

} // namespace

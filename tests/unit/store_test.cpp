// The store: the first fill of the shared records, the defaults that follow the installed fonts
// and the ODR, what later processes see; the records' fields as the registry holds them, the
// accessors, saving and deleting.
#include "library/accessors.h"
#include "library/lifecycle.h"
#include "store/fields.h"
#include "store/initialise.h"
#include "store/registry_access.h"
#include "store/shared_records.h"
#include "support/locales.h"
#include "support/test_library.h"

#include <algorithm>
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

const ServerConfig* configIn(TestLibrary& t, uint32_t* status = nullptr) {
    const ServerConfig* c = nullptr;
    uint32_t rc = GetConfig(t.lib(), &c, LNTC_CONFIG_VERSION);
    if (status) *status = rc;
    return c;
}
const QueueRecord* queueIn(TestLibrary& t, const std::string& name) {
    const QueueRecord* q = nullptr;
    return GetQueue(t.lib(), name.c_str(), &q, LNTC_QUEUE_VERSION) == 0 ? q : nullptr;
}

class Store : public ::testing::Test {
  protected:
    FakeMachine machine;
    std::unique_ptr<TestLibrary> t;

    void start() {
        t = std::make_unique<TestLibrary>(machine);
        ASSERT_NE(config(), nullptr);
    }
    const QueueRecord* queue(const std::string& name) { return queueIn(*t, name); }
    SharedRecords& records() { return t->lib().records(); }
    const ServerConfig* config() { return configIn(*t); }
    // A value below the product root; "#" a number.
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

TEST_F(Store, FontDefaultsFollowTheInstalledFonts) {
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
        store("Fonts", "InstalledKanji", "#" + std::to_string(k.kanji));
        store("Fonts", "InstalledGreek", "#" + std::to_string(k.greek));
        store("Fonts", "Font25", "last.2ps"); // beats any default
        start();
        std::string got, want;
        for (const auto& [n, font] : k.fonts)
            got += std::string(config()->Fonts[n - 1]) + ",", want += std::string(font) + ",";
        EXPECT_EQ(got + std::to_string(config()->FormerCharset) + config()->DefaultFont,
                  want + std::to_string(k.charset) + k.font);
        t.reset(); // the next start fills afresh
    }
}

// (The ODR's defaults as the dialogs show them, the main dialog's tests show.)
TEST_F(Store, OdrDefaultsAndTheReleaseThatDecidesTheSearchPath) {
    // clang-format off
    const struct {
        std::string release;
        std::optional<std::string> path; // before; nullopt: unset
        const char* expected; // release, generation, system word, path after
    } cases[] = {
        {"\"3.1.0\"", "/usr/bin", "310 2 77 /usr/bin"},
        {"\"3.0.9\"", "/usr/bin", "309 2 77 /opt/lnt.d/lib/ps1:/usr/bin"},
        {"null", "/usr/bin", "301 1 77 /opt/lnt.d/lib/ps1:/usr/bin"},
        // No empty entry (the current directory) when there was no PATH to follow.
        {"\"3.0.9\"", "", "309 2 77 /opt/lnt.d/lib/ps1"},
        {"\"3.0.9\"", std::nullopt, "309 2 77 /opt/lnt.d/lib/ps1"},
    };
    // clang-format on
    for (const auto& k : cases) {
        FakeMachine m;
        TestLibrary t(m, false);
        t.env.module = "/opt/lnt.d/lib/liblntc.so";
        m.modules.folder = "/opt/lnt.d/lib";
        if (k.path) t.env.set("PATH", *k.path);
        ASSERT_EQ(LoadLibrary(t.lib()), 0u);
        t.product.setDirectoryJson(directoryWithRelease(k.release));
        uint32_t status = 1;
        const ServerConfig* c = configIn(t, &status);
        ASSERT_NE(c, nullptr) << k.release;
        EXPECT_EQ(std::to_string(status) + " " + std::to_string(c->OdrRelease) + " " +
                      std::to_string(c->OdrGeneration) + " " + std::to_string(c->OdrSystemWord) +
                      " " + t.env.get("PATH").value_or("-"),
                  std::string("0 ") + k.expected);
        EXPECT_TRUE(c->Magic == LNTC_MAGIC && c->UpdateTime == m.clock.now());
        EXPECT_TRUE(t.product.errors.empty()); // a missing Queues key is no failure
    }
}

TEST_F(Store, AnAbandonedFillIsRedoneAndAStalledOneWaitedForButNeverTakenAsDone) {
    using FS = Section::FillState;
    store("Queues\\LASER", "Printer", "HP_LASERJET_4M");
    TestLibrary filler(machine);
    ASSERT_NE(configIn(filler), nullptr);
    machine.registry.setString(productPath("Queues\\LASER"), "Description", "refilled");
    const std::string waiting =
        "LNTC: Still waiting for another process to finish filling the configuration";
    // clang-format off
    const struct {
        std::vector<FS> answers;
        uint32_t status;
        std::vector<std::string> logged;
        const char* description;
    } cases[] = {
        {{FS::MustFill}, 0, {}, "refilled"}, // the filler died before it marked the fill done
        {{FS::StillFilling, FS::Filled}, 0, {waiting}, nullptr},
        {{FS::StillFilling, FS::StillFilling}, LNTC_E_SECTION,
         {waiting, "LNTC: Gave up waiting for another process to fill the configuration"}, nullptr},
    };
    // clang-format on
    for (const auto& c : cases) {
        machine.sections.fillScript.assign(c.answers.begin(), c.answers.end());
        TestLibrary next(machine);
        uint32_t status = 1;
        EXPECT_EQ(configIn(next, &status) == nullptr, c.status != 0);
        EXPECT_EQ(status, c.status);
        EXPECT_EQ(next.loggedTexts(), c.logged);
        const QueueRecord* q = queueIn(next, "LASER");
        EXPECT_STREQ(q && c.description ? q->Description : "-",
                     c.description ? c.description : "-");
    }
}

TEST_F(Store, UnloadChecksTheMarkerAndStopsTheBrokerItDidNotFind) {
    start();
    machine.processes.running.push_back({4242, "vxl_broker"}); // started after initialisation
    std::memset(machine.sections.memory("lnt_config_data")->data(), 0, 4);
    t->unload();
    EXPECT_TRUE(t->logged("A DLL has corrupted the configuration information."));
    EXPECT_EQ(machine.processes.terminated, std::vector<uint32_t>{4242});
    FakeMachine m;
    m.processes.running.push_back({77, "VXL_BROKER"});
    TestLibrary t(m);
    ASSERT_NE(configIn(t), nullptr);
    t.unload();
    EXPECT_TRUE(m.processes.terminated.empty());
    EXPECT_TRUE(t.product.errors.empty());
}

TEST_F(Store, TheRootOpensForWritingWithoutTheWriteLockOrElseReadOnly) {
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
        EXPECT_EQ(t->registryReadOnly(), k.readOnly && k.load == 0);
        EXPECT_EQ(t.logged("LNTC: Error creating registration key"), k.readOnly || k.load != 0);
        EXPECT_EQ(m.registry.hasKey(kProductRootPath), k.load == 0);
        EXPECT_STREQ(k.load ? "-" : configIn(t)->ConfigDir,
                     k.load ? "-" : (k.rootExists ? "d:\\sd" : "c:\\qdsw_local\\sd"));
    }
}

// The stored fields of both records, in the loader's order (the font list by its first entry).
std::vector<const Field*> storedFields(bool queue) {
    std::vector<const Field*> out;
    for (const Field& f : queue ? std::span<const Field>(kQueueFields) : kConfigFields)
        if (f.stored != Stored::None) out.push_back(&f);
    return out;
}
// A field of a record as text; numbers as the C locale writes them, whatever the test's own.
std::string shown(const Field& f, const void* record) {
    char real[32] = {};
    std::to_chars(real, real + sizeof real - 1, realOf(f, record));
    return f.place.cell == Cell::Text  ? std::string(textOf(f, record))
           : f.place.cell == Cell::F64 ? real
                                       : std::to_string(numberOf(f, record));
}
void put(const Field& f, void* record, const std::string& v) {
    double real = 0;
    std::from_chars(v.data(), v.data() + v.size(), real);
    if (f.place.cell == Cell::Text)
        copyField(textCell(f, record), f.place.size, v);
    else if (f.place.cell == Cell::F64)
        setReal(f, record, real);
    else
        setNumber(f, record, std::stoll(v));
}
// A value other than the default: as shown() gives it, and as the registry holds it ("#": a
// number).
std::pair<std::string, std::string> sampleOf(const Field& f, size_t i) {
    if (f.stored == Stored::Keyword) {
        const size_t n =
            std::max<size_t>((f.number + 1) % f.keywords->words.size(), f.keywords->firstRead);
        return {std::to_string(n), f.keywords->words[n]};
    }
    if (f.stored == Stored::Charset) return {"30", "Shift_JIS"};
    if (f.stored == Stored::Decimal) return {"7.5", "7.5"};
    if (f.stored == Stored::Text) return {"v" + std::to_string(i), "v" + std::to_string(i)};
    return {std::to_string(f.number + 1), "#" + std::to_string(f.number + 1)};
}
const Field& fieldOf(const std::string& name) {
    const Field* f = findField(kQueueFields, name);
    return f ? *f : *findField(kConfigFields, name);
}
std::string keyOf(const Field& f, const std::string& queue) {
    return f.subkey == Subkey::Queue ? "Queues\\" + queue : subkeyName(f.subkey);
}

TEST_F(Store, EveryFieldReadsItsDefaultWhenMissingOrOfTheWrongTypeInTheLoadersOrder) {
    std::vector<std::string> logged;
    for (bool q : {false, true})
        for (const Field* f : storedFields(q)) {
            const bool number = f->stored == Stored::Number || f->stored == Stored::Word;
            store(keyOf(*f, "WRONG"), valueName(*f), number ? "1" : "#1");
            logged.push_back(number ? "LNTC: Queried value is not an integer"
                                    : "LNTC: Queried key value is not a string");
        }
    logged.insert(logged.begin() + 2, "LNTC: Error linking to RLK abstract");
    store("Queues\\EMPTY", "Unrelated", "");
    const char* const onlyPrinter[] = {"HP_LASERJET_4M", "RICOH_LP-M20", "XEROX_8840C",
                                       "GENERIC_POSTSCRIPT", "OTHER"};
    for (const char* printer : onlyPrinter)
        store(std::string("Queues\\") + printer, "Printer", printer);
    t = std::make_unique<TestLibrary>(machine);
    t->product.scriptLinkResult(0x9C000001); // the ODR step runs in DefaultODR's place
    // The filler gets the name service's code with the records, so that an administrator can
    // look at them; the code sticks, and a wrong version gets it too but no address.
    const ServerConfig *c = nullptr, *none = nullptr;
    ASSERT_EQ(GetConfig(t->lib(), &c, LNTC_CONFIG_VERSION), 0x9C000001u);
    EXPECT_EQ(std::vector<uint32_t>(
                  {GetConfig(t->lib(), &c, LNTC_CONFIG_VERSION), GetConfig(t->lib(), &none, 2002)}),
              std::vector<uint32_t>(2, 0x9C000001u));
    EXPECT_TRUE(c && !none);
    std::vector<const void*> queues = {queue("WRONG"), queue("EMPTY")};
    for (const char* printer : onlyPrinter)
        queues.push_back(queue(printer));
    ASSERT_EQ(std::count(queues.begin(), queues.end(), nullptr), 0);
    EXPECT_EQ(fieldColumns(kConfigFields, {c}, sizeof(ServerConfig)) +
                  fieldColumns(kQueueFields, queues, sizeof(QueueRecord)),
              goldenText("loaded-records.txt"));
    EXPECT_EQ(t->loggedTexts(), logged);
}

// Every stored field set to a sample value, saved through each model class's queue (named by
// its class bit) and the general record; in a program with a decimal comma too: the registry
// holds "7.5" whatever the locale.
TEST_F(Store, EachModelClassSavesItsFieldsAndWhatWasSavedLoadsBack) {
    GermanProcessLocale german; // where the machine can make it
    const std::vector<std::pair<std::string, uint8_t>> classes = {
        {"", saves::Always},
        {"HP_LASERJET_4M", saves::HpLaserJet},
        {"RICOH_LP-M20", saves::Ricoh},
        {"XEROX_8840C", saves::LargeDocument},
        {"GENERIC_POSTSCRIPT", saves::GenericPostScript},
        {"OTHER", saves::Unclassed}};
    auto fill = [](bool queue, void* record) {
        const auto fields = storedFields(queue);
        for (size_t i = 0; i < fields.size(); ++i)
            put(*fields[i], record, sampleOf(*fields[i], i).first);
    };
    start();
    for (const auto& [printer, bit] : classes) {
        QueueRecord q{};
        fill(true, &q);
        setField(q.Name, std::to_string(bit));
        setField(q.Printer, printer);
        ASSERT_EQ(printer.empty() ? SaveStatus::Done : records().SaveQueueRecord(q, true).kind,
                  SaveStatus::Done);
    }
    ServerConfig c = *config();
    fill(false, &c);
    setField(c.Fonts[1], "b.2ps");
    setField(c.Fonts[2], "");
    setField(c.Fonts[3], "d.2ps"); // after the first empty entry: not saved, nor deleted
    store("Fonts", "Font4", "old.2ps");
    c.QueueCount = 9; // a stale working copy's count is not taken over
    ASSERT_EQ(records().SaveServerConfig(c).kind, SaveStatus::Done);
    EXPECT_EQ(held("Fonts", "Font2") + held("Fonts", "Font4") + held("Queues\\4", "ImageHardware") +
                  held("Queues\\16", "ImageHardware") + std::to_string(config()->QueueCount),
              "b.2psold.2psLDPXNONE5");
    EXPECT_EQ(config()->Magic, LNTC_MAGIC);

    // What the registry holds, a column per record ("(none)": not written), then what a fresh
    // fill reads.
    std::string holds;
    for (bool ofQueue : {false, true})
        for (const Field* f : storedFields(ofQueue)) {
            holds += f->name;
            const char* between = ": ";
            for (const auto& [printer, bits] : classes)
                if (printer.empty() != ofQueue) {
                    holds += between +
                             held(keyOf(*f, ofQueue ? std::to_string(bits) : ""), valueName(*f));
                    between = " | ";
                }
            holds += "\n";
        }
    t.reset(), start();
    std::vector<const void*> saved;
    for (const auto& [printer, bits] : classes)
        if (!printer.empty()) saved.push_back(queue(std::to_string(bits)));
    EXPECT_EQ(holds + fieldColumns(kConfigFields, {config()}, sizeof(ServerConfig)) +
                  fieldColumns(kQueueFields, saved, sizeof(QueueRecord)),
              goldenText("saved-records.txt"));

    // A model change keeps what the new model does not write; a tray not chosen yet (-1) has
    // no keyword, so its value goes; a code without a character set is written empty.
    QueueRecord h = *queue("1");
    setField(h.Printer, "RICOH_LP-M32");
    h.QDDefaultTray = -1;
    ASSERT_EQ(records().SaveQueueRecord(h, false).kind, SaveStatus::Done);
    c.FormerCharset = 99;
    ASSERT_EQ(records().SaveServerConfig(c).kind, SaveStatus::Done);
    EXPECT_EQ(held("Queues\\1", "Tray1/Top") + "|" + held("Queues\\1", "EjectTray") + "|" +
                  held("Queues\\1", "QDDefaultTray") + "|" + held("Fonts", "FormerCharset"),
              std::string(h.Tray1_Top) + "|UPPER_OFFSET|(none)|");
}

TEST_F(Store, StoredWordsAndNumbersConvertAsTheFieldSays) {
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
        {"Printer", std::string(64, 'P'), std::string(63, 'P')},
        {"Printer", std::string(63, 'R'), std::string(63, 'R')},
        {"Description", std::string(127, 'd'), std::string(127, 'd')},
        {"Description", std::string(128, 'e'), std::string(127, 'e')},
        {"TempFilesDir", std::string(255, 't'), std::string(255, 't')},
        {"ConfigDir", std::string(256, 'x'), "c:\\qdsw_local\\sd"}, // too long, and logged
        {"FormerCharset", "KOI8", "2"},
        // clang-format on
    };
    auto queueOf = [&](size_t i) { return "Q" + std::to_string(i); }; // one per queue field
    for (size_t i = 0; i < std::size(cases); ++i)
        store(keyOf(fieldOf(cases[i].field), queueOf(i)), cases[i].field, cases[i].stored);
    start();
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Field& f = fieldOf(cases[i].field);
        EXPECT_EQ(shown(f, f.subkey != Subkey::Queue ? static_cast<const void*>(config())
                                                     : queue(queueOf(i))),
                  cases[i].loads)
            << cases[i].field << " " << cases[i].stored;
    }
    EXPECT_TRUE(t->logged("LNTC: Error querying registration key"));
}

TEST_F(Store, VersionChecksNullArgumentsSlotsWithHolesAndRetainFlags) {
    using Codes = std::vector<uint32_t>;
    for (const char* n : {"A", "B", "C", "D", "E"})
        store(std::string("Queues\\") + n, "Printer", "HP_LASERJET_4M");
    // Its slot keeps 39 characters.
    store("Queues\\" + std::string(45, 'L'), "Printer", "HP_LASERJET_4M");
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
        Codes({GetConfig(t->lib(), &c, 2002), GetConfig(t->lib(), &c, 2004),
               GetConfig(t->lib(), nullptr, LNTC_CONFIG_VERSION), GetQueue(t->lib(), "A", &q, 3003),
               GetQueue(t->lib(), "A", &q, 3005),
               GetQueue(t->lib(), nullptr, &q, LNTC_QUEUE_VERSION),
               GetQueue(t->lib(), "A", nullptr, LNTC_QUEUE_VERSION),
               GetQueueName(t->lib(), 0, nullptr), RetainFiles(t->lib(), nullptr, 1),
               IsPostScriptPrinter(t->lib(), nullptr)}),
        Codes({LNTC_E_VERSION, LNTC_E_VERSION, LNTC_E_ARGUMENT, LNTC_E_VERSION, LNTC_E_VERSION,
               LNTC_E_NO_QUEUE, LNTC_E_ARGUMENT, LNTC_E_ARGUMENT, LNTC_E_NO_QUEUE, 0}));
    EXPECT_EQ(c, reinterpret_cast<const ServerConfig*>(0x1)); // nothing stored

    // The dialogs' saves tell the journal what made them; a script's run names itself.
    struct Sources : ChangeJournal {
        std::vector<std::string> seen;
        uint32_t record(RegistryRoot&, std::string_view source, const ServerConfig&,
                        const QueueRecord*, const ServerConfig&, const QueueRecord*) override {
            seen.emplace_back(source);
            return 0;
        }
    } sources;
    records().setJournal(&sources);
    ASSERT_EQ(records().DeleteQueueRecord("B").kind, SaveStatus::Done);
    auto nameAt = [&](int i) { return GetQueueName(t->lib(), i, &name) ? "-" : std::string(name); };
    EXPECT_EQ(nameAt(-1) + nameAt(1) + nameAt(2) + nameAt(16) + nameAt(5) +
                  std::to_string(config()->QueueCount),
              "--C-" + std::string(39, 'L') + "5");
    EXPECT_TRUE(!queue("c") && !queue(std::string(45, 'L'))); // names compare exactly
    EXPECT_TRUE(queue("A")->GlobalArea && queue("A")->GlobalArea != queue("C")->GlobalArea);
    EXPECT_FALSE(machine.registry.hasKey(productPath("Queues\\B")));
    QueueRecord f = *queue("A");
    setField(f.Name, "F");
    ASSERT_EQ(records().SaveQueueRecord(f, true).kind, SaveStatus::Done);
    EXPECT_EQ(nameAt(1) + std::to_string(config()->QueueCount), "F6"); // the hole is filled first
    ServerConfig general = *config();
    ASSERT_EQ(records().SaveServerConfig(general).kind, SaveStatus::Done);
    records().setRunSource("script x");
    ASSERT_EQ(records().SaveQueueRecord(f, false).kind, SaveStatus::Done);
    records().setJournal(nullptr);
    EXPECT_EQ(sources.seen, (std::vector<std::string>{"queue B (dialogs)", "queue F (dialogs)",
                                                      "configuration run", "script x"}));

    machine.clock.time += 60; // the retain flag lives in the shared record only
    ASSERT_EQ(RetainFiles(t->lib(), "C", 1), 0u);
    EXPECT_EQ(std::to_string(queue("C")->PrintDest) + " " + std::to_string(queue("C")->UpdateTime) +
                  " " + held("Queues\\C", "PrintDest"),
              "3 " + std::to_string(machine.clock.now()) + " (none)");
    ASSERT_EQ(RetainFiles(t->lib(), "C", 0), 0u);
    EXPECT_EQ(queue("C")->PrintDest, 1u);
}

// (An "OTHER" queue by its alias, the tool's and the new queue's tests show.)
TEST_F(Store, PostScriptAndModelLookups) {
    // A queue named as its printer; whether PostScript, the model.
    const std::tuple<const char*, uint32_t, int> cases[] = {
        {"HP_LASERJET_4MPLUS", 1, 2}, {"OTHER", 0, -1}, {"hp_laserjet_4m", 0, -1}};
    for (const auto& c : cases)
        store(std::string("Queues\\") + std::get<0>(c), "Printer", std::get<0>(c));
    start();
    for (const auto& [printer, postScript, model] : cases)
        EXPECT_EQ(
            std::pair(IsPostScriptPrinter(t->lib(), printer), ModelIndexOfQueue(*queue(printer))),
            std::pair(postScript, model))
            << printer;
    EXPECT_EQ(IsPostScriptPrinter(t->lib(), "MISSING"), 0u);
    EXPECT_EQ(ModelIndexOfDisplayName(t->lib().strings(), "Xerox 8840C  (C-size)"), 7);
    EXPECT_EQ(ModelIndexOfDisplayName(t->lib().strings(), "Xerox 8840C (C-size)"), -1);
}

TEST_F(Store, SaveAndDeleteRefuseWhatHasNoSlotAndWriteFailuresAreLogged) {
    for (int i = 0; i < 20; ++i)
        store("Queues\\Q" + std::to_string(i), "Printer", "HP_LASERJET_4M");
    start();
    EXPECT_TRUE(queue("Q5") && !queue("Q6")); // the first 16 in the order of enumeration
    const char* last = nullptr;               // the last slot's queue is found to be changed too
    ASSERT_EQ(GetQueueName(t->lib(), LNTC_MAX_QUEUES - 1, &last), 0u);
    EXPECT_EQ(RetainFiles(t->lib(), last, 1), 0u);
    QueueRecord q = *queue("Q0");
    setField(q.Name, "EXTRA");
    const SaveStatus::Kind extra = records().SaveQueueRecord(q, true).kind;
    setField(q.Name, "GHOST");
    EXPECT_EQ(std::vector<int>({extra, records().SaveQueueRecord(q, false).kind,
                                records().DeleteQueueRecord("GHOST").kind}),
              std::vector<int>(
                  {SaveStatus::NoFreeSlot, SaveStatus::QueueNotFound, SaveStatus::QueueNotFound}));
    EXPECT_TRUE(t->host.shown.empty()); // the store tells, the dialogs show
    EXPECT_FALSE(machine.registry.hasKey(productPath("Queues\\EXTRA")));
    EXPECT_EQ(config()->QueueCount, 16);

    // A new queue of a name that a slot holds would hide the other slot.
    ASSERT_EQ(records().DeleteQueueRecord("Q15").kind, SaveStatus::Done);
    q = *queue("Q0");
    EXPECT_EQ(records().SaveQueueRecord(q, true).kind, SaveStatus::AlreadyHasSlot);
    EXPECT_EQ(config()->QueueCount, 15);
    EXPECT_TRUE(
        t->logged("LNTC: The Q0 queue already has a slot and was not saved as a new queue"));
    // An empty name names no queue, and never the key of them all.
    EXPECT_EQ(records().DeleteQueueRecord("").kind, SaveStatus::QueueNotFound);
    EXPECT_TRUE(machine.registry.hasKey(productPath("Queues\\Q0")));
}

// A save that the registry does not take whole (a write refused inside the batch, a refused
// commit, a store that takes no writes), or whose slot cannot be written, lands nowhere, not even
// in the caller's time stamp, and says why; a deletion whose slot cannot be written keeps the key.
TEST_F(Store, ASaveTheRegistryRefusesChangesNothingAndSaysSo) {
    store("Queues\\A", "Description", "old");
    store("General", "TimeString", "old");
    start();
    using Op = MemoryRegistry::Op;
    const std::tuple<std::optional<Op>, uint32_t, bool, std::string> cases[] = {
        {Op::SetValue, err::DiskFull, false, "4:112 4:112 4:112 "},
        {Op::CommitBatch, err::RegistryIoFailed, false, "4:1016 4:1016 4:1016 "},
        {std::nullopt, err::AccessDenied, false, "4:5 4:5 4:5 "},
        {std::nullopt, err::NotEnoughMemory, true, "5:8 5:8 5:8 5:8 "}};
    for (const auto& [op, code, views, expected] : cases) {
        machine.clock.time += 60;
        QueueRecord a = *queue("A"), b = a;
        ServerConfig c = *config();
        const int32_t times[] = {a.UpdateTime, c.UpdateTime};
        setField(a.Description, "new"), setField(b.Name, "B"), setField(c.TimeString, "new");
        std::string seen;
        for (int save = 0; save < (views ? 4 : 3); ++save) {
            if (views)
                machine.sections.writableError = code;
            else
                op ? machine.registry.failNext(*op, code) : machine.registry.setReadOnly(true);
            const SaveStatus st = save == 3   ? records().DeleteQueueRecord("A")
                                  : save == 2 ? records().SaveServerConfig(c)
                                  : save == 1 ? records().SaveQueueRecord(b, true)
                                              : records().SaveQueueRecord(a, false);
            seen += std::to_string(st.kind) + ":" + std::to_string(st.code) + " ";
            machine.registry.setReadOnly(false);
            machine.sections.writableError = 0;
        }
        EXPECT_EQ(seen + held("Queues\\A", "Description") + held("Queues\\B", "Description") +
                      held("General", "TimeString") + queue("A")->Description +
                      config()->TimeString + (queue("B") ? "B" : "") +
                      std::to_string(t->host.shown.size() * 10 + config()->QueueCount),
                  expected + "old(none)oldoldold1");
        EXPECT_EQ(std::vector({a.UpdateTime, b.UpdateTime, queue("A")->UpdateTime, c.UpdateTime,
                               config()->UpdateTime}),
                  std::vector({times[0], times[0], times[0], times[1], times[1]}));
    }
}

// What a change set's journal is told; it writes its own value and answers `answer`.
struct FakeJournal : ChangeJournal {
    uint32_t answer = 0;
    std::string told;
    uint32_t record(RegistryRoot& root, std::string_view source, const ServerConfig& before,
                    const QueueRecord*, const ServerConfig& after,
                    const QueueRecord* afterSlots) override {
        told = std::string(source) + " " + std::to_string(before.QueueCount) + "->" +
               std::to_string(after.QueueCount);
        for (int i = 0; i < 4; ++i)
            told += std::string(" ") + afterSlots[i].Name;
        const uint32_t rc = WriteStringValue(root, kGeneralKey, "Journal", "x");
        return rc ? rc : answer;
    }
};

// A change set lands whole or not at all: a refusal of any of its writes, the last one
// included, or of its journal leaves the registry and every slot as they were. A deletion frees
// its slot for a new queue of the same set, and the count follows.
TEST_F(Store, AChangeSetLandsWholeOrNotAtAll) {
    for (const char* name : {"Queues\\A", "Queues\\B", "Queues\\C"})
        store(name, "Printer", "HP_LASERJET_4M");
    start();
    FakeJournal journal;
    records().setJournal(&journal);
    auto snapshot = [&] {
        std::string s(reinterpret_cast<const char*>(records().slots()),
                      sizeof(QueueRecord) * LNTC_MAX_QUEUES);
        s.append(reinterpret_cast<const char*>(config()), sizeof(ServerConfig));
        for (const char* key : {"Queues\\A", "Queues\\B", "Queues\\D", "General"})
            for (const char* value : {"Printer", "Description", "TimeString", "Journal"})
                s += held(key, value) + "|";
        return s;
    };
    machine.clock.time += 60;
    QueueRecord a = *queue("A"), d = a;
    setField(a.Description, "new"), setField(d.Name, "D");
    ServerConfig c = *config();
    setField(c.TimeString, "new");
    auto changes = [&] {
        RecordChanges set;
        set.deleted = {"B"};
        set.saved = {{a, false}, {d, true}};
        set.config = c;
        return set;
    };
    const std::string before = snapshot();
    using Op = MemoryRegistry::Op;
    unsigned writes = 0; // the set's writes, each refused in turn
    for (;; ++writes) {
        machine.registry.failNext(Op::SetValue, err::DiskFull, writes);
        RecordChanges set = changes();
        if (records().SaveChanges(set, "test").ok()) break;
        ASSERT_EQ(snapshot(), before) << writes;
        ASSERT_LT(writes, 500u);
    }
    machine.registry.failNext(Op::SetValue, 0);
    EXPECT_GT(writes, 60u); // every field of two queues and the general record
    EXPECT_EQ(journal.told, "test 3->3 A D C ");
    EXPECT_EQ(held("Queues\\A", "Description") + held("Queues\\D", "Printer") +
                  held("General", "TimeString") + held("Queues\\B", "Printer") +
                  std::to_string(config()->QueueCount),
              "newHP_LASERJET_4Mnew(none)3");

    // The journal's refusal takes back its own write with the rest.
    journal.answer = err::RegistryIoFailed;
    const std::string held3 = snapshot();
    RecordChanges gone;
    gone.deleted = {"A", "C"};
    EXPECT_EQ(records().SaveChanges(gone, "test").code, err::RegistryIoFailed);
    EXPECT_EQ(snapshot(), held3);
    journal.answer = 0;
    EXPECT_TRUE(records().SaveChanges(gone, "test").ok());
    EXPECT_EQ(journal.told + std::to_string(config()->QueueCount), "test 3->1  D  1");
}

TEST_F(Store, DeleteFormsAndValuesByIdentifier) {
    for (const char* key : {"General", "Queues\\A", "Queues\\B", "Other"})
        store(key, "V", "x");
    store("Queues\\A", "W", "y");
    start();
    RegistryRoot& lib = t->lib().registryRoot();
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
    EXPECT_FALSE(machine.registry.hasKey(productPath("Queues\\B")) ||
                 machine.registry.hasKey(productPath("Other")));

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

    EXPECT_TRUE(t->product.errors.empty()); // deleting a missing value is no failure
}

} // namespace

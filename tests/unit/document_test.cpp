// The configuration as a document: the records as YAML and back, what a document may not say,
// and the plan of changes between two documents.
#include "library/admin/document.h"
#include "library/admin/plan.h"
#include "library/admin/yaml_text.h"
#include "store/fields.h"
#include "support/test_library.h"

#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>

using namespace lntc;
using namespace lntc::admin;
using namespace lntc::test;

namespace {

QueueRecord laserA() {
    QueueRecord q{};
    for (const Field& f : kQueueFields)
        setDefault(f, &q);
    setField(q.Name, "LASER_A");
    setField(q.Printer, "HP_LASERJET_4M");
    setField(q.Description, "Floor 2: north # wing");
    setField(q.DeviceName, "LASER_A_PORT");
    setField(q.ImageHardware, "HPLJ4");
    setField(q.Tray3_Third, "legal, 2");
    setField(q.PrinterAlias, "yes");
    q.QDDefaultTray = -1;
    q.Connectivity = 1;
    q.TCP_SocketNumber = 9100;
    q.UpdateTime = 1796623800; // 2026-12-07 06:10:00 UTC
    return q;
}

ServerState server() {
    ServerState s{};
    for (const Field& f : kConfigFields)
        setDefault(f, &s.config);
    setField(s.config.Fonts[0], "a.pfb");
    setField(s.config.Fonts[1], "b.pfb");
    setField(s.config.Domain, "Alpha");
    setField(s.config.Organization, "Quendal");
    s.queues = {laserA()};
    s.hosts = {{"LASER_A_PORT", "10.0.0.5"}};
    return s;
}

// The Windows build reads documents in JSON only: what reads YAML has nothing to run there.
#ifdef _WIN32
#define SKIP_WITHOUT_YAML_READER() GTEST_SKIP() << "this build reads JSON only"
#else
#define SKIP_WITHOUT_YAML_READER() static_cast<void>(0)
#endif

Document parsed(const std::string& text) {
    Document doc;
    std::string why;
    EXPECT_TRUE(ParseDocumentText(text, doc, why)) << why << "\n" << text;
    return doc;
}

// What `make` gives with TZ set to `zone`; the process's zone is put back after.
template <class Make> auto InZone(const char* zone, Make make) {
    const char* old = std::getenv("TZ");
    const std::string saved = old != nullptr ? old : "";
#ifdef _WIN32
    // The C library reads TZ only when told to; an empty value is no zone at all.
    _putenv_s("TZ", zone);
    _tzset();
    auto made = make();
    _putenv_s("TZ", saved.c_str());
    _tzset();
#else
    setenv("TZ", zone, 1);
    auto made = make();
    old != nullptr ? setenv("TZ", saved.c_str(), 1) : unsetenv("TZ");
    tzset();
#endif
    return made;
}

TEST(Document, DumpOfAServerIsTheGoldenYaml) {
    EXPECT_EQ(YamlText(ServerDocument(server(), Form::Dump)), goldenText("server-dump.yaml"));
}

TEST(Document, ShowAddsWhatTheLibraryFillsWithTimesInTheLocalZone) {
    ServerState s = server();
    s.config.SystemCharset = 42;
    const Document doc = InZone("CET-1", [&] { return ServerDocument(s, Form::Show); });
    const Document& q = doc["Queues"]["LASER_A"];
    EXPECT_EQ(q["Name"], "LASER_A");
    EXPECT_EQ(q["ImageHardware"], "HPLJ4");
    EXPECT_EQ(q["UpdateTime"], "2026-12-07T07:10:00+01:00");
    // West of Greenwich, with minutes.
    const Document west = InZone("NST+3:30", [&] { return ServerDocument(s, Form::Show); });
    EXPECT_EQ(west["Queues"]["LASER_A"]["UpdateTime"], "2026-12-07T02:40:00-03:30");
    EXPECT_EQ(doc["General"]["SystemCharset"], "HP_Roman8");
    EXPECT_EQ(doc["General"]["DefaultODR"], "DefaultODR");
    EXPECT_EQ(doc["Fonts"]["InstalledKanji"], 0);
    EXPECT_FALSE(doc["General"].contains("Domain"));
    // What Show adds is ignored when the document is read back.
    SKIP_WITHOUT_YAML_READER();
    QueueRecord back = laserA();
    std::string why;
    EXPECT_TRUE(ReadQueueValues(parsed(YamlText(q)), "LASER_A", back, why)) << why;
}

// Awkward texts survive record -> YAML -> document -> record.
TEST(Document, RecordsComeBackFromTheirYaml) {
    SKIP_WITHOUT_YAML_READER();
    // clang-format off
    const char* const awkward[] = {
        "c:\\qdsw_local\\tmp\\", "NONE", "none", "yes", "No", "0123", "1.50", "~", "null", "",
        "- item", "[x]", "{y}", "a: b # c", "it's \"so\"", "@home", " lead", "trail ", "\xc3\xbc",
        "%m/%d", "!tag", "&anchor", "*alias", "|", "> x", "?", "10.0.0.5", "-1", "0x1F",
        "\xc2\x85 \xe2\x80\xa8 \xef\xbb\xbf"};
    // clang-format on
    for (const char* text : awkward) {
        ServerState s = server();
        std::memset(s.queues[0].Description, 0, sizeof s.queues[0].Description);
        setField(s.queues[0].Description, text);
        std::memset(s.config.TempFilesDir, 0, sizeof s.config.TempFilesDir);
        setField(s.config.TempFilesDir, *text != '\0' ? text : "x");
        s.queues[0].PSDefaultTray = -1;
        setField(s.config.Fonts[2], text);
        const std::string yaml = YamlText(ServerDocument(s, Form::Dump));
        const Document doc = parsed(yaml);
        QueueRecord q = s.queues[0];
        std::memset(q.Description, 0, sizeof q.Description);
        ServerConfig c = s.config;
        std::memset(c.TempFilesDir, 0, sizeof c.TempFilesDir);
        std::memset(c.Fonts, 0, sizeof c.Fonts);
        std::string why;
        ASSERT_TRUE(ReadQueueValues(doc["Queues"]["LASER_A"], "LASER_A", q, why)) << why << yaml;
        ASSERT_TRUE(ReadConfigValues(doc, c, why)) << why << yaml;
        EXPECT_EQ(fieldColumns(kQueueFields, {&q}, sizeof q),
                  fieldColumns(kQueueFields, {&s.queues[0]}, sizeof q))
            << yaml;
        EXPECT_EQ(fieldColumns(kConfigFields, {&c}, sizeof c),
                  fieldColumns(kConfigFields, {&s.config}, sizeof c))
            << yaml;
    }
}

TEST(Document, ValuesAreReadOrRefusedWithTheFieldNamed) {
    SKIP_WITHOUT_YAML_READER();
    const std::string at127(127, 'x'), at128(128, 'x');
    struct Case {
        std::string yaml;
        std::string why; // empty: read, the field then shows as shown
        const char* field = nullptr;
        const char* shown = nullptr;
    } cases[] = {
        {"WaitTimeout: '120'", "", "WaitTimeout", "120"},
        {"WaitTimeout: 65535", "", "WaitTimeout", "65535"},
        {"WaitTimeout: 65536", "queue LASER_A: WaitTimeout: 65536 does not fit (0 to 65535)"},
        {"WaitTimeout: -1", "queue LASER_A: WaitTimeout: -1 does not fit (0 to 65535)"},
        {"WaitTimeout: abc", "queue LASER_A: WaitTimeout: not a number: 'abc'"},
        {"WaitTimeout: 1.5", "queue LASER_A: WaitTimeout: not a whole number: 1.5"},
        {"CenterImage: 70000", "queue LASER_A: CenterImage: 70000 does not fit (0 to 65535)"},
        {"DuplexPrint: 4294967295", "", "DuplexPrint", "4294967295"},
        {"DuplexPrint: 4294967296",
         "queue LASER_A: DuplexPrint: 4294967296 does not fit (0 to 4294967295)"},
        {"Foo: 1", "queue LASER_A: Foo: no such field"},
        {"Connectivity: TCP_DIRECT", "", "Connectivity", "\"TCP_DIRECT\""},
        {"Connectivity: '0'", "", "Connectivity", "\"PRINT_MANAGER\""},
        {"Connectivity: 3", "queue LASER_A: Connectivity: not one of PRINT_MANAGER, TCP_DIRECT, "
                            "OTHER/PARALLEL, none: 3"},
        {"Connectivity: tcp_direct", "queue LASER_A: Connectivity: not one of PRINT_MANAGER, "
                                     "TCP_DIRECT, OTHER/PARALLEL, none: 'tcp_direct'"},
        {"QDDefaultTray: none", "", "QDDefaultTray", "\"none\""},
        {"DuplexBinding: 0", "", "DuplexBinding", "\"0\""},
        {"Description: " + at127, "", "Description", nullptr},
        {"Description: " + at128, "queue LASER_A: Description: longer than 127 bytes"},
        {"Description: \"a\\tb\"",
         "queue LASER_A: Description: holds a control character: 'a\\x09b'"},
        {"Description: 12", "queue LASER_A: Description: not a text: 12 (quote it)"},
        {"Description: ~", "queue LASER_A: Description: no value"},
        {"Tray2/Bottom: 'LEGAL, 2'", "", "Tray2/Bottom", R"({"Paper":"LEGAL","Priority":2})"},
        {"Tray2/Bottom: {Paper: legal, Priority: 3}", "", "Tray2/Bottom",
         R"({"Paper":"LEGAL","Priority":3})"},
        {"Tray2/Bottom: None", "", "Tray2/Bottom", "\"none\""},
        {"Tray2/Bottom: 'LEGAL, x'",
         "queue LASER_A: Tray2/Bottom: not a tray (PAPER, PRIORITY or none): 'LEGAL, x'"},
        {"Tray2/Bottom: {Paper: A4, Tray: 1}",
         "queue LASER_A: Tray2/Bottom: not a part of a tray: 'Tray'"},
        {"Tray1/Top: ''", "queue LASER_A: Tray1/Top: not a tray (PAPER, PRIORITY or none): ''"},
        {"OverscanAmt: '7.5'", "", "OverscanAmt", "7.5"},
        {"OverscanAmt: 5.25", "queue LASER_A: OverscanAmt: 5.25 has more than one decimal"},
        {"UpdateTime: x\nImageHardware: 1", "", "Printer", "\"HP_LASERJET_4M\""},
    };
    for (const Case& c : cases) {
        QueueRecord q = laserA();
        std::string why;
        const bool ok = ReadQueueValues(parsed(c.yaml), "LASER_A", q, why);
        EXPECT_EQ(why, c.why) << c.yaml;
        if (!ok || c.shown == nullptr) continue;
        EXPECT_EQ(QueueDocument(q, Form::Dump)[c.field].dump(), c.shown) << c.yaml;
    }
}

TEST(Document, GeneralAndFontsAreReadWhole) {
    SKIP_WITHOUT_YAML_READER();
    std::string fonts25 = "Fonts: {Fonts: [f";
    for (int i = 2; i <= 25; ++i)
        fonts25 += ", f" + std::to_string(i);
    struct Case {
        std::string yaml;
        std::string why;
    } cases[] = {
        {fonts25 + "]}", ""},
        {fonts25 + ", f26]}", "Fonts: Fonts: more than 25 fonts"},
        {"Fonts: {Fonts: [" + std::string(63, 'f') + "]}", ""},
        {"Fonts: {Fonts: [" + std::string(64, 'f') + "]}", "Fonts: Fonts 1: longer than 63 bytes"},
        {"Genral: {}",
         "Genral: not a part of the configuration (General, Fonts, ODR, Queues, Hosts)"},
        {"General: {QueueDepth: 7, FontDir: x}", "General: FontDir: no such field"},
        {"General: {QueueDepth: 7, COLDScaleFactor: 5, Magic: 1}\nODR: x\nQueues: {}", ""},
        {"Fonts: {Fonts: [a, '', b]}",
         "Fonts: Fonts 2: empty (an empty name ends the list: leave it out)"},
        {"Fonts: {Fonts: [a, b], FormerCharset: shift_jis}", ""},
        {"Fonts: {FormerCharset: 12}", "Fonts: FormerCharset: not one of QD_Intl, ISO_8859_1, "
                                       "ISO_8859_7, Shift_JIS, HP_Roman8: 12"},
        {"Fonts: {Font1: a}", "Fonts: Font1: no such field"},
    };
    for (const Case& c : cases) {
        ServerConfig config = server().config;
        std::string why;
        ReadConfigValues(parsed(c.yaml), config, why);
        EXPECT_EQ(why, c.why) << c.yaml;
    }
    // A read that succeeds sets the list and clears what follows; one that fails sets nothing.
    ServerState s = server();
    std::string why;
    ASSERT_TRUE(ReadConfigValues(parsed("General: {QueueDepth: 7}\nFonts: {Fonts: [c.pfb], "
                                        "FormerCharset: shift_jis}"),
                                 s.config, why));
    EXPECT_EQ(YamlText(ServerDocument(s, Form::Dump)["Fonts"]),
              "FontDir: 'c:\\qdsw_local\\fonts'\nFonts:\n  - c.pfb\nFormerCharset: Shift_JIS\n"
              "DefaultFont: default\nUseDocCharSet: 1\nAutoDownload: 1\n");
    EXPECT_FALSE(
        ReadConfigValues(parsed("General: {QueueDepth: 9, EnableNotes: x}"), s.config, why));
    EXPECT_EQ(s.config.QueueDepth, 7);
}

TEST(Document, TextsAreParsedOrRefusedWithTheirPlace) {
    const std::string deep = "a: " + std::string(31, '[') + std::string(31, ']');
    const std::string tooDeep = "a: " + std::string(32, '[') + std::string(32, ']');
    const std::string atLimit = "a: '" + std::string((1u << 20) - 6, 'x') + "'\n";
    struct Case {
        std::string text;
        std::string result; // the document as JSON, or why it is refused
    } cases[] = {
        {"a: 0123\nb: 120\nc: 5.0\nd: ~\ne: yes\nf: '12'\ng: -1\nh:\ni: \"c:\\\\x\"",
         R"({"a":"0123","b":120,"c":5.0,"d":null,"e":"yes","f":"12","g":-1,"h":null,"i":"c:\\x"})"},
        {"  {\"a\": [1, \"x\"]}", R"({"a":[1,"x"]})"},
        {"", "{}"},
        {"a: &x 1\nb: *x\n", "line 1, column 4: anchors are not read"},
        {"a: [1, *x]\n", "line 1, column 8: aliases are not read"},
        {"Queues:\n  A: {}\n  A: {}\n", "line 3, column 3: duplicate key 'A'"},
        {"{\"a\": 1, \"a\": 2}", "duplicate key 'a'"},
        {"a: !!int 1", "line 1, column 4: tags are not read: tag:yaml.org,2002:int"},
        {"- 1\n", "line 1, column 1: the document is not a mapping"},
        {"a: 1\n---\nb: 2\n", "line 2, column 1: a second document: a file holds one"},
        {"a: 1\n b: 2\n", "line 2, column 3: mapping values are not allowed in this context"},
        {"{\"a\": }", "line 1, column 7: syntax error while parsing value - unexpected '}'; "
                      "expected '[', '{', or a literal"},
        {deep, ""},
        {tooDeep, "line 1, column 35: nested deeper than 32 levels"},
        {"{\"a\": " + std::string(31, '[') + std::string(31, ']') + "}", ""},
        {"{\"a\": " + std::string(32, '[') + std::string(32, ']') + "}",
         "nested deeper than 32 levels"},
        {atLimit, ""},
        {atLimit + " ", "the document is larger than 1048576 bytes"},
    };
#ifdef _WIN32
    // Any text but JSON's is refused as such, once its size is within the limit.
    for (Case& c : cases)
        if (c.text.size() <= (1u << 20) && !c.text.starts_with('{') && !c.text.starts_with("  {"))
            c.result = "this build reads documents in JSON form only (a text that begins with '{')";
#endif
    for (const Case& c : cases) {
        Document doc;
        std::string why;
        const bool ok = ParseDocumentText(c.text, doc, why);
        EXPECT_EQ(ok ? (c.result.empty() ? "" : doc.dump()) : why, c.result)
            << c.text.substr(0, 80);
    }
}

TEST(Document, PlanListsEachChangeInAStableOrder) {
    SKIP_WITHOUT_YAML_READER();
    const std::string base = "General: {QueueDepth: 5, EnableNotes: 1}\nFonts: {Fonts: [a.pfb]}\n"
                             "ODR: 'Alpha:Quendal'\n";
    struct Case {
        std::string before, after;
        std::vector<std::string> lines;
    } cases[] = {
        {base + "Queues: {A: {WaitTimeout: 300}}", base + "Queues: {A: {WaitTimeout: 300}}", {}},
        {base,
         "General: {QueueDepth: 7, EnableNotes: 1}\nFonts: {Fonts: [a.pfb, b.pfb]}\n"
         "ODR: 'Beta:Quendal'",
         {"~ General QueueDepth 5 -> 7", "~ Fonts Fonts [a.pfb] -> [a.pfb, b.pfb]",
          "~ ODR Alpha:Quendal -> Beta:Quendal"}},
        {"Queues:\n  OLD_Q: {WaitTimeout: 1}\n  A: {WaitTimeout: 300, Tray2/Bottom: none, "
         "Description: x}\nHosts: {A_PORT: 10.0.0.5, GONE: 10.0.0.9}",
         "Queues:\n  B: {WaitTimeout: 5}\n  A: {WaitTimeout: 120, Description: '', Tray2/Bottom: "
         "{Paper: LEGAL, Priority: 2}}\nHosts: {A_PORT: 10.0.0.6, NEW: 10.0.0.7}",
         {"- queue OLD_Q", "~ queue A WaitTimeout 300 -> 120",
          "~ queue A Tray2/Bottom none -> LEGAL, 2", "~ queue A Description x -> ''", "+ queue B",
          "~ hosts A_PORT 10.0.0.5 -> 10.0.0.6", "- hosts GONE", "+ hosts NEW 10.0.0.7"}},
        {"Queues: {A: {Description: x}}",
         "Queues: {A: {Description: \"\\e[2J\"}}",
         {"~ queue A Description x -> \\x1b[2J"}},
        {base + "Queues: {A: {}}", "ODR: 'Alpha:Quendal'", {}}, // absent parts: left as they are
    };
    for (const Case& c : cases)
        EXPECT_EQ(PlanLines(parsed(c.before), parsed(c.after)), c.lines) << c.after;
}

} // namespace

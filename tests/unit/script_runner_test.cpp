// Administrator scripts: the language, and the printer dialog driven by script text.
#include "configure/configure.h"
#include "connectivity/connectivity_dialogs.h"
#include "media/media_dialogs.h"
#include "resources/ids.h"
#include "store/models.h"
#include "store/records.h"
#include "support/ui_support.h"
#include "ui/script_runner.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <string>
#include <vector>

using namespace lntc;
using namespace lntc::test;

namespace {

// An action as "verb/what|arg|arg", with [n] and #ID kept.
std::string summary(const ScriptAction& a) {
    std::string out = a.verb + (a.what.empty() ? "" : "/" + a.what);
    for (const auto& w : a.args)
        out += "|" + (w.id >= 0 ? "#" + std::to_string(w.id) : w.text) +
               (w.nth > 0 ? "[" + std::to_string(w.nth) + "]" : "");
    return out;
}

TEST(ScriptLanguage, WordsNamesCommentsAndFaultyLines) {
    const ParsedScript p = ParseScript("# set-up\n"
                                       "  TYPE \"Say \\\"hi\\\" \\\\ c:\\qdsw\" x  # typed\n"
                                       "\n"
                                       "click \"2\"[2]\r\n"
                                       "click OK[3]\n"
                                       "expect Text #4501 #7\n"
                                       "select+ List \"a b\"\n"
                                       "spin Timeout DOWN 4");
    std::vector<std::string> got;
    for (const auto& a : p.actions)
        got.push_back(std::to_string(a.line) + " " + summary(a));
    EXPECT_EQ(got, (std::vector<std::string>{"2 type|Say \"hi\" \\ c:\\qdsw|x", "4 click|2[2]",
                                             "5 click|OK[3]", "6 expect/text|#4501|#7",
                                             "7 select+|List|a b", "8 spin|Timeout|down|4"}));
    EXPECT_EQ(p.lines, 8);

    // Faulty lines name their line.
    // clang-format off
    const std::tuple<const char*, int, const char*> cases[] = {
        {"click OK\ntype Name \"open", 2, "has no closing quote"}, {"press OK", 1, "\"press\" is no action"},
        {"\"click\" OK", 1, "starts with an action"}, {"# ok\nclick", 2, "click takes 1 word, not 0"},
        {"type Name", 1, "takes 2 words"}, {"spin Timeout sideways", 1, "up or down"},
        {"spin Timeout up 0", 1, "number from 1"}, {"answer maybe", 1, "not one of the words"},
        {"expect nothing", 1, "expect takes dialog"}, {"type Name \"x\"[2]", 1, "only control names"},
        {"click \"OK\"x", 1, "a space must follow"}};
    // clang-format on
    for (const auto& [script, line, message] : cases) {
        const ParsedScript p = ParseScript(script);
        const auto& f = p.failure;
        EXPECT_TRUE(f && f->line == line && f->message.find(message) != std::string::npos &&
                    p.actions.empty())
            << script << ": " << (f ? f->message : "");
    }
}

struct ScriptedPrinterDialog : ::testing::Test, HeadlessLibrary {
    QueueRecord q{};

    ScriptedPrinterDialog() : HeadlessLibrary(false) {
        host.onScriptError = nullptr; // a failing script is what some cases check
        t.lib().setDefaultMedia(std::make_unique<DefaultMedia[]>(kModelCount));
        setField(q.Name, "LASER_A");
        setField(q.Printer, "GENERIC_POSTSCRIPT");
        std::tie(q.Connectivity, q.DataEncode, q.WaitTimeout) = std::make_tuple(2, 0, 10);
    }
    // Runs the script on the printer dialog; the dialog's end code.
    int play(ScriptRunner& runner) {
        return runner.run([&] {
            PrinterConfigDialog d(t.lib().services(), nullptr,
                                  ModelIndexOfKey("GENERIC_POSTSCRIPT"), q);
            return d.doModal();
        });
    }
};

TEST_F(ScriptedPrinterDialog, EveryActionAndCheckWithItsTranscript) {
    ScriptRunner runner(host, ParseScript(R"S(expect dialog 400
expect dialog "generic postscript level 2 printer configuration"
expect default ok
expect text "Wait Timeout (sec):" 10
expect checked "Other/Parallel Port"
click "print manager printer queue"
click OK
expect box "You must configure"
answer ok
click "Other/Parallel Port..."
key enter
answer yes
expect focus "ascii 85"
type "wait timeout (sec)" 1798
spin "Wait Timeout (sec)" up 2
expect text #4409 1800
focus "Wait Timeout (sec)"
key f1
click help
check "Center Image on Print"
expect checked "center image on print"
expect enabled "raw binary"
expect visible ok
click ok
answer no
)S"));
    EXPECT_EQ(play(runner), id::Ok);
    EXPECT_EQ(std::make_tuple(q.WaitTimeout, q.CenterImage, q.Connectivity),
              std::make_tuple(1800u, 1u, 2u));

    // The transcript, each event's fields in order (a box's text cut short).
    auto transcript = nlohmann::json::parse(runner.transcript(0));
    std::string events;
    for (auto& e : transcript["events"]) {
        if (e.contains("text")) e["text"] = std::string(e["text"]).substr(0, 12);
        for (const auto& [key, value] : e.items())
            events += key + "=" + (value.is_string() ? std::string(value) : value.dump()) + " ";
        events += "\n";
    }
    EXPECT_EQ(transcript["result"].dump() + " " + transcript["error"].dump(), "0 null");
    EXPECT_EQ(events,
              "id=400 kind=dialog line=0 title=Generic PostScript Level 2 Printer Configuration \n"
              "answer=ok buttons=ok caption=Configuration Error icon=exclamation kind=box line=7 "
              "text=You must con \n"
              "answer=yes buttons=yesno caption=Configuration Warning icon=question kind=box "
              "line=11 text=You selected \n"
              "context=4409 kind=help \ncontext=400 kind=help \n"
              "answer=no buttons=yesno caption=Configuration Warning icon=question kind=box "
              "line=24 text=You selected \n"
              "id=400 kind=end result=1 \n");

    // A box with no window behind it, as a run may show before its first dialog.
    ScriptRunner early(host, ParseScript("expect box \"Start now\"\nanswer no"));
    EXPECT_EQ(early.run([&] { return host.messageBox(nullptr, "Start now?", "", mb::Question); }),
              id::No);
    EXPECT_FALSE(early.failure());
}

// Typing is a person's: the address control's keys one by one, an edit's limit (40) at its
// value and one past; read-only fields are named by their labels.
TEST_F(ScriptedPrinterDialog, TypingGoesThroughTheControlsRulesAndFieldsAreReadByTheirLabels) {
    const std::string n40 = "port_name_abcdefghijklmnopqrstuvwxyz0123";
    ScriptRunner runner(host, ParseScript(R"S(expect text "Quendal Queue Name" LASER_A
click "TCP Direct Port"
click Configure
type "Printer TCP Direct Port Name" port_name_abcdefghijklmnopqrstuvwxyz0123
expect text "Printer TCP Direct Port Name" port_name_abcdefghijklmnopqrstuvwxyz0123
type "Printer TCP Direct Port Name" port_name_abcdefghijklmnopqrstuvwxyz01234
expect text "Printer TCP Direct Port Name" port_name_abcdefghijklmnopqrstuvwxyz0123
type "Printer TCP Direct Port Address" 300.1.1.1
expect box "The maximum value is 255"
answer ok
expect text "Printer TCP Direct Port Address" 255.1.1.1
type "Printer Socket Number" 9100
click OK
expect text "TCP Direct Port Address" 255.1.1.1
click Yes
answer ok
answer ok
click OK
)S"));
    machine.services.tcpip = true;
    EXPECT_EQ(play(runner), id::Ok);
    EXPECT_FALSE(runner.failure()) << runner.failure()->message;
    std::string hosts;
    machine.files.readFile("C:\\WINDOWS\\system32\\drivers\\etc\\hosts", hosts);
    EXPECT_EQ(hosts + q.DeviceName, "255.1.1.1\t" + n40 + "\n" + n40);
    EXPECT_EQ(std::count(host.trace.begin(), host.trace.end(), "beep"), 1); // the 41st key

    ScriptRunner options(host,
                         ParseScript(R"S(expect text "Executable File Root Directory" "C:\QDSW"
click cancel)S"));
    ServerConfig cfg{};
    EXPECT_EQ(
        options.run([&] { return RunGeneralOptionsDialog(t.lib().services(), nullptr, cfg); }),
        id::Cancel);
    EXPECT_FALSE(options.failure()) << options.failure()->message;
}

TEST_F(ScriptedPrinterDialog, AFailureStopsTheRunAtItsLineAndIndexedNamesPickAmongEqualOnes) {
    const std::string queue = "click \"print manager printer queue\"\n";
    const char *front = "is in front", *noBox = "no message box is in front",
               *noName = "has no control named";
    // clang-format off
    const std::tuple<std::string, int, const char*> cases[] = {
        {"expect dialog 400\nclick \"Nothing here\"\nclick ok", 2, noName},
        {"click \"print manager printer queue\"[2]", 1, "has 1 controls named"},
        {"uncheck \"ASCII 85\"", 1, "unchecked by choosing another"},
        {"type \"Raw Binary\" x", 1, "cannot type into"},
        {"type \"Wait Timeout (sec)\" 12a", 1, "takes digits only, not \"12a\""},
        {"type \"Wait Timeout (sec)\" -1", 1, "takes digits only"},
        {"expect text \"wait timeout (sec)\" 11", 1, "expected \"11\", found \"10\""},
        {"expect dialog \"Fonts\"", 1, "found dialog \"Generic"},
        {"expect items \"Wait Timeout (sec)\" a", 1, "expected \"a\", found nothing"},
        {"expect unchecked \"Other/Parallel Port\"", 1, "expected unchecked, found checked"},
        {queue + "click ok\nclick cancel", 3, front}, {queue + "click ok\nanswer yes", 3, "has no button yes"},
        {"answer ok", 1, noBox}, {"expect box Anything", 1, noBox},
        {"focus ok\n# the end\n", 2, "the script ends while dialog"},
        {queue + "click ok\n", 2, "the script ends while the message box"},
        {"click cancel\nclick ok", 2, "no window is open"},
        {"click \"TCP Direct Port\"", 1, "it is disabled"}}; // without TCP/IP
    // clang-format on
    for (const auto& [script, line, message] : cases) {
        SCOPED_TRACE(script);
        machine.services.tcpip = script.find("TCP Direct") == std::string::npos;
        ScriptRunner runner(host, ParseScript(script));
        EXPECT_EQ(play(runner), id::Cancel);
        const auto& f = runner.failure();
        EXPECT_TRUE(f && f->line == line && f->message.find(message) != std::string::npos)
            << (f ? f->message : "");
        EXPECT_EQ(nlohmann::json::parse(runner.transcript(1))["error"]["line"], line);
    }

    // The three trays share their captions and labels: [n] picks one in tab order.
    setField(q.Printer, "HP_LASERJET_4M");
    DefaultMedia media{};
    media.NumPaperSizes = 2;
    setField(media.PaperSizes[0].szName, "LETTER");
    setField(media.PaperSizes[1].szName, "A4");
    media.Trays[0] = media.Trays[1] = media.Trays[2] = {0, 1};
    const std::tuple<const char*, int, const char*> trays[] = {
        // line 0: no failure
        {"select \"paper size\"[3] a4\nexpect selected \"Paper Size:\"[3] A4\n"
         "expect selected \"Paper Size\"[1] LETTER\nclick \"2\"[2]\nexpect checked \"2\"[2]\n"
         "expect unchecked \"2\"[3]\nclick cancel",
         0, ""},
        {"select \"paper size\" A4", 1, "names 3 controls; say which with [1] to [3]"},
        {"select+ \"paper size\"[2] A4", 1, "takes one selected item only"},
    };
    for (const auto& [script, line, message] : trays) {
        SCOPED_TRACE(script);
        TrayMediaDialog d(t.lib().services(), nullptr, q, media);
        ScriptRunner runner(host, ParseScript(script));
        EXPECT_EQ(runner.run([&] { return d.doModal(); }), id::Cancel);
        const auto& f = runner.failure();
        EXPECT_TRUE(f ? f->line == line && f->message.find(message) != std::string::npos : !line)
            << (f ? f->message : "");
    }
}

} // namespace

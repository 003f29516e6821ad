// The resources: the string table and its printf formats, the help file, the rules every dialog
// template keeps, and localised modules over the built-ins.
#include "library/lifecycle.h"
#include "platform/modules.h"
#include "resources/formats.h"
#include "resources/help_file.h"
#include "resources/ids.h"
#include "resources/module_abi.h"
#include "resources/strings.h"
#include "resources/templates.h"
#include "support/test_library.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

using namespace lntc;
using namespace lntc::test;

// The string table: the lookup is a binary search, so an entry out of order or twice is not found
// by its id. Format signatures: unfinished, writing through the argument, numbered arguments, no
// such length or kind give none.
TEST(Strings, TableIsSortedUniqueAndEveryFormatIsSafeSignaturesAndWhatACandidateMustRead) {
    for (uint32_t id : {0u, 32783u, 33000u}) // gaps in the numbering
        EXPECT_EQ(builtinString(id), nullptr) << id;
    for (const StringEntry& e : builtinStrings()) {
        ASSERT_TRUE(e.text && *e.text) << e.id;
        EXPECT_EQ(builtinString(e.id), e.text) << e.id;
        // Every text is fit to be a printf format: known conversions only, none that writes.
        const auto signature = conversionSignature(e.text).value_or("unsafe");
        EXPECT_TRUE(std::set<std::string>({"", "d", "ld", "s", "s,s", "d,s"}).count(signature))
            << e.id << " takes " << signature << ": " << e.text;
        // Log texts announce the library, as the error log expects.
        const std::string text = e.text;
        EXPECT_TRUE(text.rfind("LNTC", 0) != 0 || text.rfind("LNTC: ", 0) == 0) << e.id;
    }
    // clang-format off
    const std::pair<const char*, std::optional<std::string>> signatures[] = {
        {"no conversion, 100%% sure", ""}, {"%-8.3ld and %05u", "ld,u"}, {"%*d|%.*s", "*,d,*,s"},
        {"%x %i %c %p %g %hhd %lld", "u,d,c,p,f,hhd,lld"}, {"%1.1f", "f"},
        {"zu 100 % sicher", "s"}, // "% s" is a conversion
        {"Wert: 50 %", std::nullopt}, {"%n", std::nullopt}, {"%2$s %1$s", std::nullopt},
        {"%lhd", std::nullopt}, {"%y", std::nullopt}};
    // clang-format on
    for (const auto& [format, signature] : signatures)
        EXPECT_EQ(conversionSignature(format), signature) << format;
    // clang-format off
    const std::tuple<const char*, const char*, bool> candidates[] = {
        {"Fehler %5ld", "Error %ld getting", true}, {"%s nach %s", "from %s to %s", true},
        {"ohne", "without", true}, {"%s", "%d", false}, {"%d", "%ld", false},
        {"%s", "%s and %s", false}, {"%s %s", "%s", false},
        {"%s %n", "%s %n", false}}; // never usable
    // clang-format on
    for (const auto& [translated, builtin, same] : candidates)
        EXPECT_EQ(sameConversions(translated, builtin), same) << translated;
}

TEST(HelpFile, TopicsTitlesParagraphsAndTheFirstTopicOfAContext) {
    const char* const file =
        "# comment before anything\ntext that belongs to no topic\n[203] Main Dialog  \n"
        "First line\nof the first paragraph.\n\n   \nSecond paragraph.\n# a comment inside a "
        "topic\n\\[not a topic] and # not a comment\n\\# starts with a hash\n\n[2002]\n"
        "Only text.\r\n[12a] is text, not a topic\r\n[203] Repeated\nIgnored.\n"
        "[4294967295] Largest\n[4294967296] Too large, so text\n";
    std::vector<std::string> topics;
    for (const HelpTopic& t : parseHelpFile(file))
        topics.push_back(std::to_string(t.context) + "|" + t.title + "|" + t.text);
    EXPECT_EQ(topics, (std::vector<std::string>{
                          "203|Main Dialog|First line of the first paragraph.\n\nSecond "
                          "paragraph. [not a topic] and # not a comment # starts with a hash",
                          "2002||Only text. [12a] is text, not a topic", "203|Repeated|Ignored.",
                          "4294967295|Largest|[4294967296] Too large, so text"}));
    EXPECT_EQ(findHelpTopic(file, 203).value_or(HelpTopic{}).title, "Main Dialog");
    EXPECT_FALSE(findHelpTopic(file, 301) || findHelpTopic("", 203) || findHelpTopic("[203", 203));
    EXPECT_EQ(findHelpTopic("[7] Seven\nno line end at the end", 7).value_or(HelpTopic{}).text,
              "no line end at the end");
}

namespace {

using Area = std::array<int, 4>; // left, top, right, bottom
Area rectOf(const ControlTemplate& c) {
    return {c.x, c.y, c.x + c.cx, c.y + c.cy};
}
bool overlap(const Area& a, const Area& b) {
    return a[0] < b[2] && b[0] < a[2] && a[1] < b[3] && b[1] < a[3];
}
bool contains(const Area& outer, const Area& in) {
    return outer[0] <= in[0] && in[2] <= outer[2] && outer[1] <= in[1] && in[3] <= outer[3];
}
bool isInteractive(const ControlTemplate& c) {
    return c.kind != ControlKind::GroupBox && c.kind != ControlKind::Static;
}

std::string where(const DialogTemplate& t, const ControlTemplate& c) {
    return "dialog " + std::to_string(t.id) + ", control " + std::to_string(c.id) + " \"" +
           (c.caption ? c.caption : "") + "\"";
}

// A text's width in dialog units at no less than 3.2 per character ("&" takes no room), and
// the lines it needs when it wraps at width.
double textWidth(std::string_view text) {
    return 3.2 * static_cast<double>(text.size() - std::count(text.begin(), text.end(), '&'));
}
int wrappedLines(const std::string& text, int width) {
    int lines = 0;
    std::istringstream paragraphs(text);
    for (std::string paragraph; std::getline(paragraphs, paragraph);)
        lines += std::max(1, static_cast<int>(std::ceil(textWidth(paragraph) / width)));
    return lines;
}

// The mnemonic letter of a caption (lower case), 0 for none.
char mnemonic(const char* caption) {
    for (const char* p = caption; p && *p; ++p) {
        if (*p == '&' && p[1] == '&')
            ++p;
        else if (*p == '&')
            return static_cast<char>(std::tolower(static_cast<unsigned char>(p[1])));
    }
    return 0;
}

} // namespace

// Controls lie inside the margins without overlapping (a frame holds a control wholly or not at
// all), captions fit, mnemonics are unique, labels lead to their field, radio groups start and
// end where they should, and every dialog but the wait window has help and a caption. Ids are
// unique: Ok, Cancel and Help once in a dialog, any other control in one dialog only and never
// with a template's id (a control id is a help context too).
TEST(Templates, EveryTemplateKeepsTheLayoutRulesAndIdsAreUnique) {
    // Room a control takes beside its caption's text.
    const std::map<ControlKind, int> margins = {
        {ControlKind::Static, 0},        {ControlKind::CheckBox, 12},
        {ControlKind::RadioButton, 12},  {ControlKind::PushButton, 8},
        {ControlKind::DefPushButton, 8}, {ControlKind::GroupBox, 10}};
    // The main dialog's own captions give both "Default &ODR Name:" and "C&onfigure..." the O.
    const std::set<std::pair<uint16_t, char>> knownDuplicates = {{dlg::Main, 'o'}};
    std::map<std::pair<uint16_t, uint16_t>, uint16_t> owner; // (dialog or 0, control id) -> dialog
    for (const DialogTemplate* t : builtinTemplates()) {
        EXPECT_EQ(builtinTemplate(t->id), t) << "template " << t->id << " twice";
        EXPECT_EQ(std::string(t->fontName) + " " + std::to_string(t->fontPoints),
                  "MS Sans Serif 8");
        const auto& cs = t->controls;
        const Area inner{7, 7, t->cx - 7, t->cy - 7};
        std::map<char, const ControlTemplate*> used;
        EXPECT_LE(std::ranges::count(cs, ControlKind::DefPushButton, &ControlTemplate::kind), 1)
            << "dialog " << t->id;
        for (size_t i = 0; i < cs.size(); ++i) {
            const ControlTemplate& a = cs[i];
            const bool shared = a.id == ctl::Ok || a.id == ctl::Cancel || a.id == ctl::Help;
            auto [owned, fresh] = owner.emplace(std::pair(shared ? t->id : 0, a.id), t->id);
            EXPECT_TRUE(a.id == ctl::Static || (fresh && !builtinTemplate(a.id)))
                << where(*t, a) << " also in dialog " << owned->second << " or a template's id";
            EXPECT_TRUE(a.cx > 0 && a.cy > 0 && contains(inner, rectOf(a)))
                << where(*t, a) << " leaves the margin";
            for (size_t j = i + 1; j < cs.size(); ++j) {
                const ControlTemplate& b = cs[j];
                const bool frames =
                    a.kind == ControlKind::GroupBox || b.kind == ControlKind::GroupBox;
                EXPECT_FALSE(overlap(rectOf(a), rectOf(b)) &&
                             (!frames ||
                              (!contains(rectOf(a), rectOf(b)) && !contains(rectOf(b), rectOf(a)))))
                    << where(*t, a) << " overlaps " << where(*t, b);
            }
            if (a.caption && margins.count(a.kind)) {
                const bool wraps =
                    a.kind == ControlKind::Static && (a.cy >= 16 || std::strchr(a.caption, '\n'));
                const double room = wraps ? wrappedLines(a.caption, a.cx) * 8
                                          : textWidth(a.caption) + margins.at(a.kind);
                EXPECT_LE(room, wraps ? a.cy : a.cx) << where(*t, a) << " does not fit";
            }
            if (const char m = a.style & cs::NoPrefix ? 0 : mnemonic(a.caption)) {
                EXPECT_TRUE(std::isalnum(static_cast<unsigned char>(m))) << where(*t, a);
                auto [it, fresh] = used.emplace(m, &a);
                EXPECT_TRUE(fresh || knownDuplicates.count({t->id, m}))
                    << where(*t, a) << " repeats the mnemonic of " << where(*t, *it->second);
                // The mnemonic of a label focuses the next control in the tab order.
                EXPECT_TRUE(a.kind != ControlKind::Static ||
                            (i + 1 < cs.size() && isInteractive(cs[i + 1]) &&
                             (cs[i + 1].style & cs::TabStop)))
                    << where(*t, a) << " is not followed by its field";
            }
            if (a.kind != ControlKind::RadioButton) continue;
            // The first button of a group starts it and is its tab stop; the next interactive
            // control after the group starts a new one.
            const bool first = i == 0 || cs[i - 1].kind != ControlKind::RadioButton;
            EXPECT_EQ((a.style & cs::Group) != 0, first) << where(*t, a);
            EXPECT_TRUE(!first || (a.style & cs::TabStop)) << where(*t, a);
            if (i + 1 < cs.size() && cs[i + 1].kind == ControlKind::RadioButton) continue;
            auto next = std::find_if(cs.begin() + i + 1, cs.end(), isInteractive);
            EXPECT_TRUE(next == cs.end() || (next->style & cs::Group)) << where(*t, *next);
        }
        const auto help = std::ranges::find(cs, ctl::Help, &ControlTemplate::id);
        EXPECT_EQ(help != cs.end() && help->kind == ControlKind::PushButton &&
                      !std::strcmp(help->caption, "&Help") && owner.count({t->id, ctl::Cancel}) &&
                      (t->style & ds::Caption),
                  t->id != dlg::Wait)
            << "dialog " << t->id;
    }
    // The texts the dialogs set at run time into their statics fit too.
    for (auto [dialog, control, string] :
         {std::tuple{dlg::Wait, waitctl::Message, str::WaitForQueues},
          std::tuple{dlg::Main, mainctl::Note, str::NoteStandalone},
          std::tuple{dlg::Main, mainctl::Note, str::NoteCombined}}) {
        const auto cs = builtinTemplate(dialog)->controls;
        const auto c = std::ranges::find(cs, control, &ControlTemplate::id);
        ASSERT_NE(c, cs.end()) << control;
        EXPECT_LE(wrappedLines(builtinString(string), c->cx) * 8, c->cy) << string;
    }
}

TEST(Templates, CompatibleTemplatesMayMoveAndRenameButNotDropControls) {
    const DialogTemplate& builtin = *builtinTemplate(dlg::NewQueue);
    std::vector<ControlTemplate> v(builtin.controls.rbegin(), builtin.controls.rend());
    for (ControlTemplate& c : v)
        c.x = static_cast<int16_t>(c.x + 3), c.caption = "x";
    DialogTemplate t = builtin;
    t.controls = v;
    // Dropped controls are the localised module's test. Import may gain a border but not be
    // disabled; Create may not stop being the default button.
    v.rbegin()[4].style |= cs::Border;
    EXPECT_TRUE(templateCompatible(t, builtin));
    v.rbegin()[4].style |= cs::Disabled;
    EXPECT_FALSE(templateCompatible(t, builtin));
    v.rbegin()[4].style &= ~cs::Disabled;
    v.rbegin()[3].kind = ControlKind::PushButton;
    EXPECT_FALSE(templateCompatible(t, builtin));
}
namespace {

// The wait window in another language: same control, other size.
const LntcControlResource kWaitControls[] = {{waitctl::Message,
                                              static_cast<uint8_t>(ControlKind::Static), 0, 4, 4,
                                              152, 52, cs::Center | cs::NoPrefix, nullptr}};
const LntcDialogResource kWait = {dlg::Wait, 8,       160, 60,           ds::Popup,
                                  nullptr,   nullptr, 1,   kWaitControls};
// A main dialog that lost all its controls: the dialog logic could not work with it.
const LntcDialogResource kEmptyMain = {dlg::Main, 8,       306, 256,    ds::Modal,
                                       "Leer",    nullptr, 0,   nullptr};

// A module file in the fake library's folder.
std::string module(const char* name) {
    return std::string("/fake/lib") + kHostPathSeparator + name + kModuleSuffix;
}

} // namespace

class LocalisedResources : public ::testing::Test {
  protected:
    FakeMachine machine;
    std::unique_ptr<TestLibrary> process;

    void start(const std::string& language) {
        process = std::make_unique<TestLibrary>(machine, false);
        process->env.language = language;
        process->loadStatus = LoadLibrary(process->lib());
    }
    std::string text(uint32_t id) { return process->lib().strings().load(id); }
};

// The first module that exists serves and the built-ins fill its gaps; a translation that would
// misread its arguments (which ones do is the format test's), or a template the dialog logic could
// not work with, is not used.
TEST_F(LocalisedResources, AModuleServesFirstUnlessItsTextOrTemplateDoesNotFit) {
    LntcStringResource texts[] = {{str::ErrorCaption, "Konfigurationsfehler"},
                                  {str::TooManyQueues, "Mehr als %s."}, // %d expected
                                  {40000, "Kein eingebauter Text %d"},  // nothing to compare with
                                  {40001, "Kein eingebauter Text"}};
    LntcDialogResource dialogs[] = {kWait, kEmptyMain};
    LntcResourceTable deu = {LNTC_RESOURCE_ABI_VERSION, 4, texts, 2, dialogs};
    machine.modules.tables[module("LNT20DE")] = &deu;
    start("DEU");
    // The site's module first, then the language's, then its two-letter one.
    EXPECT_EQ(
        machine.modules.asked,
        (std::vector<std::string>{module("LNT20LOC"), module("LNT20DEU"), module("LNT20DE")}));
    EXPECT_EQ(text(str::ErrorCaption) + "|" + text(str::TooManyQueues) + "|" + text(40001),
              "Konfigurationsfehler|" + std::string(builtinString(str::TooManyQueues)) +
                  "|Kein eingebauter Text");
    EXPECT_FALSE(process->lib().strings().find(40000) || process->lib().strings().find(40002));

    const DialogTemplate* wait = process->lib().templates().find(dlg::Wait);
    ASSERT_NE(wait, nullptr);
    // The module's size (the built-in one is 140 wide), and the font although the module named
    // none.
    EXPECT_EQ(std::to_string(wait->cx) + " " + wait->fontName, "160 MS Sans Serif");
    EXPECT_EQ(process->lib().templates().find(dlg::Main), builtinTemplate(dlg::Main));
    EXPECT_EQ(process->lib().templates().find(4711), nullptr);

    // Unloading gives the built-ins back and lets the module go.
    process->unload();
    EXPECT_EQ(text(str::ErrorCaption), "Configuration Error");
    EXPECT_EQ(process->lib().templates().find(dlg::Wait), builtinTemplate(dlg::Wait));
    EXPECT_EQ(process->lib().resourceModule(), nullptr);
}

// The first module that exists is the one meant: a broken one is logged, the next ones are not
// tried, and the built-ins serve. A malformed table counts as a broken module.
TEST_F(LocalisedResources, AModuleThatCannotBeLoadedOrIsMalformedIsLoggedAndTheBuiltInsServe) {
    // Another ABI version is ResourceModuleFiles.TheGermanModuleLoadsAndOtherFilesAreReported's.
    LntcStringResource deuText[] = {{str::ErrorCaption, "DEU"}};
    LntcResourceTable deu = {LNTC_RESOURCE_ABI_VERSION, 1, deuText, 0, nullptr};
    LntcStringResource missingText[] = {{str::ErrorCaption, nullptr}};
    LntcResourceTable holes = {LNTC_RESOURCE_ABI_VERSION, 1, missingText, 0, nullptr};
    LntcControlResource badKind[] = {{waitctl::Message, 200, 0, 0, 0, 10, 10, 0, nullptr}};
    LntcDialogResource badDialog = {dlg::Wait, 8, 140, 60, 0, nullptr, nullptr, 1, badKind};
    LntcResourceTable kinds = {LNTC_RESOURCE_ABI_VERSION, 0, nullptr, 1, &badDialog};
    LntcResourceTable noArray = {LNTC_RESOURCE_ABI_VERSION, 3, nullptr, 0, nullptr};
    for (const LntcResourceTable* table : {&deu, &holes, &kinds, &noArray}) {
        machine.modules.asked.clear();
        machine.modules.tables[module("LNT20DEU")] = table;
        const bool loc = table == &deu; // beside a LOC module that cannot be loaded
        if (loc) machine.modules.broken[module("LNT20LOC")] = err::BadExeFormat;
        start("DEU");
        machine.modules.broken.clear();
        EXPECT_EQ(process->loadStatus, 0u);
        EXPECT_EQ(machine.modules.asked.back(), module(loc ? "LNT20LOC" : "LNT20DEU"));
        EXPECT_EQ(text(str::ErrorCaption), "Configuration Error");
        ASSERT_EQ(process->product.errors.size(), 1u);
        EXPECT_EQ(std::to_string(process->product.errors[0].code) + " " +
                      process->product.errors[0].text,
                  std::to_string(loc ? err::BadExeFormat : err::InvalidData) +
                      " LNTC: Error loading the resource module " + machine.modules.asked.back());
    }
}

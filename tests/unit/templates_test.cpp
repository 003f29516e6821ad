// Rules every dialog template keeps: ids, layout, mnemonics, captions that fit, buttons and
// radio groups, and what a localised template may change.
#include "resources/ids.h"
#include "resources/strings.h"
#include "resources/templates.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

using namespace lntc;

namespace {

bool isFrame(const ControlTemplate& c) {
    return c.kind == ControlKind::GroupBox;
}
bool isLabel(const ControlTemplate& c) {
    return c.kind == ControlKind::Static;
}
bool isInteractive(const ControlTemplate& c) {
    return !isFrame(c) && !isLabel(c);
}

struct Rect {
    int left, top, right, bottom;
};
Rect rectOf(const ControlTemplate& c) {
    return {c.x, c.y, c.x + c.cx, c.y + c.cy};
}
bool overlap(const Rect& a, const Rect& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}
bool contains(const Rect& outer, const Rect& inner) {
    return outer.left <= inner.left && inner.right <= outer.right && outer.top <= inner.top &&
           inner.bottom <= outer.bottom;
}

std::string where(const DialogTemplate& t, const ControlTemplate& c) {
    return "dialog " + std::to_string(t.id) + ", control " + std::to_string(c.id) + " \"" +
           (c.caption ? c.caption : "") + "\"";
}

// Estimated width in dialog units of a text in "MS Sans Serif" 8 pt, a little on the wide
// side; "&" before a mnemonic takes no room ("&&" shows one "&").
double textWidth(std::string_view text) {
    static const std::pair<const char*, double> classes[] = {
        {"ijlI.,:;'!|", 1.5}, {"frt()[]-/\\", 2.2}, {" ", 2.5}, {"mw", 5.5}, {"MW%", 7}};
    double w = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '&' && (i + 1 == text.size() || text[i + 1] != '&')) continue;
        i += c == '&';
        double width = std::isupper(static_cast<unsigned char>(c)) ? 5 : 3.7;
        for (const auto& [chars, classWidth] : classes)
            if (std::strchr(chars, c)) {
                width = classWidth;
                break;
            }
        w += width;
    }
    return w;
}

// Lines a static needs when its text wraps at its width.
int wrappedLines(const std::string& text, int width) {
    int lines = 0;
    std::istringstream paragraphs(text);
    for (std::string paragraph; std::getline(paragraphs, paragraph);) {
        ++lines;
        std::istringstream words(paragraph);
        double used = 0;
        for (std::string word; words >> word;) {
            const double w = textWidth(word), blank = used > 0 ? textWidth(" ") : 0;
            used = used > 0 && used + blank + w > width ? (++lines, w) : used + blank + w;
        }
    }
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

const ControlTemplate* findControl(const DialogTemplate& t, uint16_t id) {
    auto it = std::find_if(t.controls.begin(), t.controls.end(),
                           [&](const ControlTemplate& c) { return c.id == id; });
    return it == t.controls.end() ? nullptr : &*it;
}

} // namespace

// A control id is a help context too: it names one control and never a dialog.
TEST(Templates, TemplatesAndControlsHaveUniqueIds) {
    std::set<uint16_t> templateIds;
    for (const DialogTemplate* t : builtinTemplates()) {
        EXPECT_TRUE(templateIds.insert(t->id).second) << "template " << t->id << " twice";
        EXPECT_EQ(builtinTemplate(t->id), t);
        EXPECT_EQ(std::string(t->fontName) + " " + std::to_string(t->fontPoints),
                  "MS Sans Serif 8");
    }
    EXPECT_EQ(templateIds.size(), 19u);
    EXPECT_EQ(builtinTemplate(204), nullptr);
    const std::set<uint16_t> shared = {ctl::Ok, ctl::Cancel, ctl::Help};
    std::map<uint16_t, uint16_t> owner; // control id -> template id
    for (const DialogTemplate* t : builtinTemplates()) {
        std::set<uint16_t> seen;
        for (const ControlTemplate& c : t->controls) {
            if (c.id == ctl::Static) continue;
            EXPECT_TRUE(seen.insert(c.id).second) << where(*t, c) << " twice in the dialog";
            if (shared.count(c.id)) continue;
            EXPECT_EQ(templateIds.count(c.id), 0u) << where(*t, c) << " is a template id";
            auto [it, fresh] = owner.emplace(c.id, t->id);
            EXPECT_TRUE(fresh) << where(*t, c) << " also in dialog " << it->second;
        }
    }
}

TEST(Templates, ControlsAreInsideTheirDialogAndDoNotOverlap) {
    for (const DialogTemplate* t : builtinTemplates()) {
        const Rect inner{7, 7, t->cx - 7, t->cy - 7};
        for (size_t i = 0; i < t->controls.size(); ++i) {
            const ControlTemplate& a = t->controls[i];
            EXPECT_TRUE(a.cx > 0 && a.cy > 0 && contains(inner, rectOf(a)))
                << where(*t, a) << " leaves the margin";
            for (size_t j = i + 1; j < t->controls.size(); ++j) {
                const ControlTemplate& b = t->controls[j];
                if (!isFrame(a) && !isFrame(b)) {
                    EXPECT_FALSE(overlap(rectOf(a), rectOf(b)))
                        << where(*t, a) << " overlaps " << where(*t, b);
                    continue;
                }
                // A frame holds a control wholly or not at all.
                const Rect frame = rectOf(isFrame(a) ? a : b), other = rectOf(isFrame(a) ? b : a);
                EXPECT_FALSE(overlap(frame, other) && !contains(frame, other) &&
                             !contains(other, frame))
                    << where(*t, a) << " crosses " << where(*t, b);
            }
        }
    }
}

TEST(Templates, MnemonicsAreUniqueWithinADialogAndLabelsLeadToTheirField) {
    // The main dialog's own captions give both "Default &ODR Name:" and "C&onfigure..." the O.
    const std::set<std::pair<uint16_t, char>> knownDuplicates = {{dlg::Main, 'o'}};
    for (const DialogTemplate* t : builtinTemplates()) {
        std::map<char, const ControlTemplate*> used;
        for (size_t i = 0; i < t->controls.size(); ++i) {
            const ControlTemplate& c = t->controls[i];
            const char m = c.style & cs::NoPrefix ? 0 : mnemonic(c.caption);
            if (m == 0) continue;
            EXPECT_TRUE(std::isalnum(static_cast<unsigned char>(m))) << where(*t, c);
            auto [it, fresh] = used.emplace(m, &c);
            EXPECT_TRUE(fresh || knownDuplicates.count({t->id, m}))
                << where(*t, c) << " repeats the mnemonic of " << where(*t, *it->second);
            // The mnemonic of a label focuses the next control in the tab order.
            const bool ledOn = i + 1 < t->controls.size() && isInteractive(t->controls[i + 1]) &&
                               (t->controls[i + 1].style & cs::TabStop);
            EXPECT_TRUE(!isLabel(c) || ledOn) << where(*t, c) << " is not followed by its field";
        }
    }
}

// Also the texts the dialogs set at run time into their statics.
TEST(Templates, CaptionsFitTheirControls) {
    // Room a control takes beside its caption's text.
    const std::map<ControlKind, int> margins = {
        {ControlKind::Static, 0},        {ControlKind::CheckBox, 12},
        {ControlKind::RadioButton, 12},  {ControlKind::PushButton, 8},
        {ControlKind::DefPushButton, 8}, {ControlKind::GroupBox, 10}};
    for (const DialogTemplate* t : builtinTemplates()) {
        for (const ControlTemplate& c : t->controls) {
            if (c.caption == nullptr || !margins.count(c.kind)) continue;
            const bool wraps =
                c.kind == ControlKind::Static && (c.cy >= 16 || std::strchr(c.caption, '\n'));
            const double room = wraps ? wrappedLines(c.caption, c.cx) * 8
                                      : textWidth(c.caption) + margins.at(c.kind);
            EXPECT_LE(room, wraps ? c.cy : c.cx) << where(*t, c);
        }
    }
    for (auto [dialog, control, string] :
         {std::tuple{dlg::Wait, waitctl::Message, str::WaitForQueues},
          std::tuple{dlg::Main, mainctl::Note, str::NoteStandalone},
          std::tuple{dlg::Main, mainctl::Note, str::NoteCombined}}) {
        const ControlTemplate* c = findControl(*builtinTemplate(dialog), control);
        ASSERT_NE(c, nullptr) << control;
        EXPECT_LE(wrappedLines(builtinString(string), c->cx) * 8, c->cy) << string;
    }
}

TEST(Templates, ButtonsRadioGroupsAndHelp) {
    for (const DialogTemplate* t : builtinTemplates()) {
        const auto& cs = t->controls;
        EXPECT_LE(std::count_if(cs.begin(), cs.end(),
                                [](auto& c) { return c.kind == ControlKind::DefPushButton; }),
                  1)
            << "dialog " << t->id;
        for (size_t i = 0; i < cs.size(); ++i) {
            if (cs[i].kind != ControlKind::RadioButton) continue;
            // The first button of a group starts it and is its tab stop; the next interactive
            // control after the group starts a new one.
            const bool first = i == 0 || cs[i - 1].kind != ControlKind::RadioButton;
            EXPECT_EQ((cs[i].style & cs::Group) != 0, first) << where(*t, cs[i]);
            EXPECT_TRUE(!first || (cs[i].style & cs::TabStop)) << where(*t, cs[i]);
            if (i + 1 < cs.size() && cs[i + 1].kind == ControlKind::RadioButton) continue;
            auto next = std::find_if(cs.begin() + i + 1, cs.end(), isInteractive);
            EXPECT_TRUE(next == cs.end() || (next->style & cs::Group)) << where(*t, *next);
        }
        // Every dialog but the wait window derives from the dialog base with help.
        const ControlTemplate* help = findControl(*t, ctl::Help);
        if (t->id == dlg::Wait) {
            EXPECT_EQ(help, nullptr);
            continue;
        }
        ASSERT_NE(help, nullptr) << "dialog " << t->id;
        EXPECT_TRUE(help->kind == ControlKind::PushButton && !std::strcmp(help->caption, "&Help"));
        EXPECT_TRUE(findControl(*t, ctl::Cancel) && (t->style & ds::Caption)) << "dialog " << t->id;
    }
}

TEST(Templates, CompatibleTemplatesMayMoveAndRenameButNotDropControls) {
    const DialogTemplate& builtin = *builtinTemplate(dlg::NewQueue);
    auto withChange = [&](auto change) {
        std::vector<ControlTemplate> copy(builtin.controls.begin(), builtin.controls.end());
        change(copy);
        DialogTemplate t = builtin;
        t.title = "Neu";
        t.controls = copy;
        return templateCompatible(t, builtin);
    };
    EXPECT_TRUE(withChange([](auto& v) {
        for (ControlTemplate& c : v)
            c.x = static_cast<int16_t>(c.x + 3), c.caption = "x";
        std::reverse(v.begin(), v.end());
    }));
    EXPECT_FALSE(withChange([](auto& v) { v.pop_back(); }));
    EXPECT_FALSE(withChange([](auto& v) { v[3].kind = ControlKind::PushButton; }));
    EXPECT_FALSE(withChange([](auto& v) { v[4].style |= cs::Disabled; }));
    EXPECT_TRUE(withChange([](auto& v) { v[4].style |= cs::Border; }));
    EXPECT_FALSE(withChange([](auto& v) {
        v.push_back({4999, ControlKind::Edit, nullptr, 1, 1, 1, 1, 0});
    }));
    EXPECT_FALSE(templateCompatible(builtin, *builtinTemplate(dlg::ImportQueue)));
}

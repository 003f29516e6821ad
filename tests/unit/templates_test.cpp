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

const auto isFrame = [](const ControlTemplate& c) { return c.kind == ControlKind::GroupBox; };
const auto isLabel = [](const ControlTemplate& c) { return c.kind == ControlKind::Static; };
const auto isInteractive = [](const ControlTemplate& c) { return !isFrame(c) && !isLabel(c); };

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
    std::ostringstream out;
    out << "dialog " << t.id << ", control " << c.id << " \"" << (c.caption ? c.caption : "")
        << "\"";
    return out.str();
}

// Estimated width in dialog units of a text in "MS Sans Serif" 8 pt, a little on the wide
// side; "&" before a mnemonic takes no room.
double textWidth(std::string_view text) {
    double w = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '&') {
            if (i + 1 < text.size() && text[i + 1] == '&')
                ++i; // "&&" shows one "&"
            else
                continue;
        }
        if (std::strchr("ijlI.,:;'!|", c))
            w += 1.5;
        else if (std::strchr("frt()[]-/\\", c))
            w += 2.2;
        else if (c == ' ')
            w += 2.5;
        else if (std::strchr("mw", c))
            w += 5.5;
        else if (std::strchr("MW%", c))
            w += 7;
        else if (std::isupper(static_cast<unsigned char>(c)))
            w += 5;
        else
            w += 3.7;
    }
    return w;
}

// Lines a static needs when its text wraps at its width.
int wrappedLines(const std::string& text, int width) {
    int lines = 0;
    std::istringstream paragraphs(text);
    std::string paragraph;
    while (std::getline(paragraphs, paragraph)) {
        ++lines;
        std::istringstream words(paragraph);
        std::string word;
        double used = 0;
        while (words >> word) {
            double w = textWidth(word);
            double blank = used > 0 ? textWidth(" ") : 0;
            if (used > 0 && used + blank + w > width) {
                ++lines;
                used = w;
            } else {
                used += blank + w;
            }
        }
    }
    return lines;
}

// The mnemonic letter of a caption (lower case), 0 for none.
char mnemonic(const char* caption) {
    for (const char* p = caption; p && *p; ++p) {
        if (*p != '&') continue;
        if (p[1] == '&') {
            ++p;
            continue;
        }
        return static_cast<char>(std::tolower(static_cast<unsigned char>(p[1])));
    }
    return 0;
}

const ControlTemplate* findControl(const DialogTemplate& t, uint16_t id) {
    for (const ControlTemplate& c : t.controls)
        if (c.id == id) return &c;
    return nullptr;
}

} // namespace

TEST(Templates, EveryTemplateIsFoundByItsIdAndIdsAreUnique) {
    std::set<uint16_t> ids;
    for (const DialogTemplate* t : builtinTemplates()) {
        EXPECT_TRUE(ids.insert(t->id).second) << "template " << t->id << " twice";
        EXPECT_EQ(builtinTemplate(t->id), t);
        EXPECT_STREQ(t->fontName, "MS Sans Serif");
        EXPECT_EQ(t->fontPoints, 8);
    }
    EXPECT_EQ(ids.size(), 19u);
    EXPECT_EQ(builtinTemplate(204), nullptr);
}

TEST(Templates, ControlsAreInsideTheirDialogAndDoNotOverlap) {
    for (const DialogTemplate* t : builtinTemplates()) {
        const Rect inner{7, 7, t->cx - 7, t->cy - 7};
        for (size_t i = 0; i < t->controls.size(); ++i) {
            const ControlTemplate& a = t->controls[i];
            EXPECT_GT(a.cx, 0) << where(*t, a);
            EXPECT_GT(a.cy, 0) << where(*t, a);
            EXPECT_TRUE(contains(inner, rectOf(a))) << where(*t, a) << " leaves the margin";
            for (size_t j = i + 1; j < t->controls.size(); ++j) {
                const ControlTemplate& b = t->controls[j];
                if (isFrame(a) || isFrame(b)) {
                    // A frame holds a control wholly or not at all.
                    const ControlTemplate& frame = isFrame(a) ? a : b;
                    const ControlTemplate& other = isFrame(a) ? b : a;
                    if (isFrame(other) && !overlap(rectOf(frame), rectOf(other))) continue;
                    bool crosses = overlap(rectOf(frame), rectOf(other)) &&
                                   !contains(rectOf(frame), rectOf(other)) &&
                                   !contains(rectOf(other), rectOf(frame));
                    EXPECT_FALSE(crosses)
                        << where(*t, other) << " crosses the frame of " << where(*t, frame);
                    continue;
                }
                EXPECT_FALSE(overlap(rectOf(a), rectOf(b)))
                    << where(*t, a) << " overlaps " << where(*t, b);
            }
        }
    }
}

TEST(Templates, ControlIdsAreUniqueAndDoNotCollideWithHelpContextsOfDialogs) {
    std::set<uint16_t> templateIds;
    for (const DialogTemplate* t : builtinTemplates())
        templateIds.insert(t->id);
    const std::set<uint16_t> shared = {ctl::Ok, ctl::Cancel, ctl::Help, ctl::Static};
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

TEST(Templates, MnemonicsAreUniqueWithinADialogAndLabelsLeadToTheirField) {
    // The main dialog's own captions give both "Default &ODR Name:" and "C&onfigure..." the O.
    const std::set<std::pair<uint16_t, char>> knownDuplicates = {{dlg::Main, 'o'}};
    for (const DialogTemplate* t : builtinTemplates()) {
        std::map<char, const ControlTemplate*> used;
        for (size_t i = 0; i < t->controls.size(); ++i) {
            const ControlTemplate& c = t->controls[i];
            if (c.style & cs::NoPrefix) continue;
            char m = mnemonic(c.caption);
            if (m == 0) continue;
            EXPECT_TRUE(std::isalnum(static_cast<unsigned char>(m))) << where(*t, c);
            auto [it, fresh] = used.emplace(m, &c);
            if (!fresh && !knownDuplicates.count({t->id, m})) {
                ADD_FAILURE() << where(*t, c) << " repeats the mnemonic of "
                              << where(*t, *it->second);
            }
            if (isLabel(c)) {
                // The mnemonic of a label focuses the next control in the tab order.
                ASSERT_LT(i + 1, t->controls.size()) << where(*t, c);
                const ControlTemplate& next = t->controls[i + 1];
                EXPECT_TRUE(isInteractive(next) && (next.style & cs::TabStop))
                    << where(*t, c) << " is not followed by its field";
            }
        }
    }
}

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
}

TEST(Templates, TextsSetAtRunTimeFitTheirStatics) {
    struct Text {
        uint16_t dialog, control;
        uint32_t string;
    };
    for (const Text& e : {Text{dlg::Wait, waitctl::Message, str::WaitForQueues},
                          Text{dlg::Main, mainctl::Note, str::NoteStandalone},
                          Text{dlg::Main, mainctl::Note, str::NoteCombined}}) {
        const ControlTemplate* c = findControl(*builtinTemplate(e.dialog), e.control);
        ASSERT_NE(c, nullptr) << e.control;
        const std::string text = builtinString(e.string);
        EXPECT_LE(wrappedLines(text, c->cx) * 8, c->cy) << e.string;
    }
}

TEST(Templates, ButtonsRadioGroupsAndHelp) {
    for (const DialogTemplate* t : builtinTemplates()) {
        int defaults = 0;
        for (size_t i = 0; i < t->controls.size(); ++i) {
            const ControlTemplate& c = t->controls[i];
            if (c.kind == ControlKind::DefPushButton) ++defaults;
            if (c.kind != ControlKind::RadioButton) continue;
            bool first = i == 0 || t->controls[i - 1].kind != ControlKind::RadioButton;
            EXPECT_EQ((c.style & cs::Group) != 0, first) << where(*t, c);
            if (first) {
                EXPECT_TRUE(c.style & cs::TabStop) << where(*t, c);
            }
            // The next interactive control after a group of radio buttons starts a new group.
            bool last =
                i + 1 == t->controls.size() || t->controls[i + 1].kind != ControlKind::RadioButton;
            for (size_t j = i + 1; last && j < t->controls.size(); ++j) {
                if (!isInteractive(t->controls[j])) continue;
                EXPECT_TRUE(t->controls[j].style & cs::Group) << where(*t, t->controls[j]);
                break;
            }
        }
        EXPECT_LE(defaults, 1) << "dialog " << t->id;
        // Every dialog but the wait window derives from the dialog base with help.
        const ControlTemplate* help = findControl(*t, ctl::Help);
        if (t->id == dlg::Wait) {
            EXPECT_EQ(help, nullptr);
            continue;
        }
        ASSERT_NE(help, nullptr) << "dialog " << t->id;
        EXPECT_EQ(help->kind, ControlKind::PushButton);
        EXPECT_STREQ(help->caption, "&Help");
        EXPECT_NE(findControl(*t, ctl::Cancel), nullptr) << "dialog " << t->id;
        EXPECT_TRUE(t->style & ds::Caption) << "dialog " << t->id;
    }
}

TEST(Templates, CompatibleTemplatesMayMoveAndRenameButNotDropControls) {
    const DialogTemplate& builtin = *builtinTemplate(dlg::NewQueue);
    std::vector<ControlTemplate> controls(builtin.controls.begin(), builtin.controls.end());
    for (ControlTemplate& c : controls) {
        c.x = static_cast<int16_t>(c.x + 3);
        c.caption = "x";
    }
    std::reverse(controls.begin(), controls.end());
    DialogTemplate moved = builtin;
    moved.title = "Neu";
    moved.controls = controls;
    EXPECT_TRUE(templateCompatible(moved, builtin));

    auto withChange = [&](auto change) {
        std::vector<ControlTemplate> copy(builtin.controls.begin(), builtin.controls.end());
        change(copy);
        DialogTemplate t = builtin;
        t.controls = copy;
        return templateCompatible(t, builtin);
    };
    EXPECT_FALSE(withChange([](auto& v) { v.pop_back(); }));
    EXPECT_FALSE(withChange([](auto& v) { v[3].kind = ControlKind::PushButton; }));
    EXPECT_FALSE(withChange([](auto& v) { v[4].style |= cs::Disabled; }));
    EXPECT_TRUE(withChange([](auto& v) { v[4].style |= cs::Border; }));
    EXPECT_FALSE(withChange([](auto& v) {
        v.push_back({4999, ControlKind::Edit, nullptr, 1, 1, 1, 1, 0});
    }));
    EXPECT_FALSE(templateCompatible(builtin, *builtinTemplate(dlg::ImportQueue)));
}

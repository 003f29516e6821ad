#include "resources/module_table.h"

#include "platform/errors.h"

#include <deque>
#include <map>
#include <string>
#include <vector>

namespace lntc {

static_assert(static_cast<uint8_t>(ControlKind::Picture) == 11,
              "module tables number control kinds as ControlKind does");

namespace {

// Far beyond any real module; a table claiming more is damaged.
constexpr uint32_t kMaxStrings = 65536;
constexpr uint32_t kMaxDialogs = 4096;
constexpr uint32_t kMaxControls = 1024;

struct OwnedTemplate {
    std::string title;
    bool hasTitle = false;
    std::string fontName;
    std::deque<std::string> captions; // stable addresses for the controls' caption pointers
    std::vector<ControlTemplate> controls;
    DialogTemplate dialog{};
};

class TableModule : public ResourceModule {
  public:
    std::map<uint32_t, std::string> strings;
    std::map<uint16_t, std::unique_ptr<OwnedTemplate>> templates;

    std::optional<std::string> findString(uint32_t id) const override {
        auto it = strings.find(id);
        if (it == strings.end()) return std::nullopt;
        return it->second;
    }
    const DialogTemplate* findTemplate(uint16_t id) const override {
        auto it = templates.find(id);
        return it == templates.end() ? nullptr : &it->second->dialog;
    }
};

bool copyDialog(const LntcDialogResource& in, OwnedTemplate& out) {
    if (in.controlCount > kMaxControls || (in.controlCount > 0 && in.controls == nullptr))
        return false;
    out.hasTitle = in.title != nullptr;
    if (in.title) out.title = in.title;
    const DialogTemplate* builtin = builtinTemplate(in.id);
    out.fontName = in.fontName          ? in.fontName
                   : builtin != nullptr ? builtin->fontName
                                        : "MS Sans Serif";
    for (uint32_t i = 0; i < in.controlCount; ++i) {
        const LntcControlResource& c = in.controls[i];
        if (c.kind > static_cast<uint8_t>(ControlKind::Picture)) return false;
        const char* caption = nullptr;
        if (c.caption) caption = out.captions.emplace_back(c.caption).c_str();
        out.controls.push_back(ControlTemplate{c.id, static_cast<ControlKind>(c.kind), caption, c.x,
                                               c.y, c.cx, c.cy, c.style});
    }
    out.dialog = DialogTemplate{in.id,         out.hasTitle ? out.title.c_str() : nullptr,
                                in.cx,         in.cy,
                                in.style,      out.fontName.c_str(),
                                in.fontPoints, out.controls};
    return true;
}

} // namespace

std::unique_ptr<ResourceModule> moduleFromTable(const LntcResourceTable* table, uint32_t& error) {
    error = err::InvalidData;
    if (table == nullptr || table->abiVersion != LNTC_RESOURCE_ABI_VERSION) return nullptr;
    if (table->stringCount > kMaxStrings || table->dialogCount > kMaxDialogs) return nullptr;
    if ((table->stringCount > 0 && table->strings == nullptr) ||
        (table->dialogCount > 0 && table->dialogs == nullptr))
        return nullptr;
    auto module = std::make_unique<TableModule>();
    for (uint32_t i = 0; i < table->stringCount; ++i) {
        const LntcStringResource& s = table->strings[i];
        if (s.text == nullptr) return nullptr;
        module->strings.emplace(s.id, s.text);
    }
    for (uint32_t i = 0; i < table->dialogCount; ++i) {
        auto owned = std::make_unique<OwnedTemplate>();
        if (!copyDialog(table->dialogs[i], *owned)) return nullptr;
        module->templates.emplace(table->dialogs[i].id, std::move(owned));
    }
    error = 0;
    return module;
}

std::unique_ptr<ResourceModule> loadResourceModule(Modules& modules, const std::string& path,
                                                   uint32_t& error) {
    std::unique_ptr<LoadedModule> file = modules.load(path, false, error);
    if (!file) return nullptr;
    void* entry = file->symbol(LNTC_RESOURCE_ENTRY);
    if (entry == nullptr) {
        error = err::ProcNotFound;
        return nullptr;
    }
    // Everything is copied: the module's code need not stay mapped.
    return moduleFromTable(reinterpret_cast<LntcResourcesFunction>(entry)(), error);
}

} // namespace lntc

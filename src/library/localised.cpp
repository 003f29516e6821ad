#include "library/localised.h"

#include "library/library.h"
#include "platform/errors.h"
#include "platform/modules.h"
#include "resources/formats.h"
#include "resources/ids.h"
#include "resources/module_table.h"
#include "resources/strings.h"
#include "ui/message_box.h"

#include <cctype>
#include <string>

namespace lntc {

namespace {

void registerModule(Library& lib, std::shared_ptr<ResourceModule> module) {
    lib.setResourceModule(module);
    // A translated format is handed the arguments of the built-in one; one that would read
    // them differently is not used.
    lib.strings().pushFront([module](uint32_t id) -> std::optional<std::string> {
        auto text = module->findString(id);
        if (!text) return std::nullopt;
        const char* builtin = builtinString(id);
        if (!sameConversions(*text, builtin ? builtin : "")) return std::nullopt;
        return text;
    });
    // The dialog logic addresses controls by id: a template that lacks one is not used.
    lib.templates().pushFront([module](uint16_t id) -> const DialogTemplate* {
        const DialogTemplate* local = module->findTemplate(id);
        const DialogTemplate* builtin = builtinTemplate(id);
        if (local == nullptr || builtin == nullptr || !templateCompatible(*local, *builtin))
            return nullptr;
        return local;
    });
}

} // namespace

void LoadLocalisedResources(Library& lib) {
    Modules* modules = lib.platform().modules;
    if (modules == nullptr) return;
    std::string language = lib.platform().env->userLanguage();
    if (language.empty()) return;
    // Module file names are upper case, and this file system tells cases apart.
    for (char& c : language)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));

    const std::string base = modules->systemFolder() + kHostPathSeparator + "LNT20";
    for (const std::string& suffix : {std::string("LOC"), language, language.substr(0, 2)}) {
        const std::string path = base + suffix + kModuleSuffix;
        uint32_t error = 0;
        std::unique_ptr<ResourceModule> module = loadResourceModule(*modules, path, error);
        if (module) {
            registerModule(lib, std::move(module));
            return;
        }
        if (error == err::FileNotFound || error == err::PathNotFound) continue;
        // The first module that exists is the one meant; a broken one leaves the built-in
        // resources alone rather than failing the load of the whole library.
        std::string format = lib.strings().load(str::LogResourceModule);
        lib.product().ztrLogError(error, 0, 0, 0, formatMessage(format.c_str(), path.c_str()));
        return;
    }
}

void ReleaseLocalisedResources(Library& lib) {
    if (!lib.resourceModule()) return;
    lib.strings().clear();
    lib.templates().clear();
    lib.setResourceModule(nullptr);
}

} // namespace lntc

// The administration interface (lntc_admin.h) over the process's production library.
#include "library/admin/admin.h"
#include "library/admin/lntc_admin.h"
#include "library/admin/output_file.h"
#include "library/instance.h"
#include "library/library.h"
#include "library/production.h"
#include "logo/logo.h"
#include "platform/display.h"
#include "platform/platform.h"
#ifdef _WIN32
#include "platform/win32/win32_environment.h"
#include "platform/win32/win32_platform.h"
#else
#include "platform/posix/posix_environment.h"
#include "platform/posix/posix_modules.h"
#endif
#include "platform/printable.h"
#include "resources/ids.h"
#include "resources/logo_art.h"
#include "resources/lookup.h"
#include "resources/templates.h"
#include "ui/headless_host.h"
#include "ui/qt_host_api.h"
#include "ui/script_runner.h"
#include "ui/tui_host_api.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

using lntc::Library;

// The text handed out, terminated, in memory the caller releases with LNTC_AdminFreeText.
void give(const std::string& text, LNTC_AdminText* out) {
    if (out == nullptr) return;
    *out = LNTC_AdminText{};
    if (text.empty()) return;
    out->data = static_cast<char*>(std::malloc(text.size() + 1));
    if (out->data == nullptr) return;
    std::memcpy(out->data, text.data(), text.size() + 1);
    out->size = text.size();
}

// No exception crosses the C boundary; a wrong version is refused before anything is done.
template <typename F> uint32_t guarded(uint32_t version, F&& f) {
    if (version != LNTC_ADMIN_VERSION) return LNTC_E_VERSION;
    try {
        return f();
    } catch (...) {
        return LNTC_ADMIN_E_FAILED;
    }
}

template <typename F> uint32_t withLibrary(uint32_t version, F&& f) {
    return guarded(version, [&]() -> uint32_t {
        Library* lib = lntc::LoadedLibrary();
        return lib != nullptr ? f(*lib) : LNTC_E_NOT_LOADED;
    });
}

// The registry can be read and written even when the library could not load (its product root
// missing from a store this process may not write).
template <typename F> uint32_t withRegistry(uint32_t version, F&& f) {
    return guarded(version, [&]() -> uint32_t {
        lntc::ProductionLibrary* production = lntc::ProductionInstance();
        return production != nullptr ? f(*production) : LNTC_E_NOT_LOADED;
    });
}

uint32_t displayVerdict() {
    lntc::EnvLookup env = [](std::string_view name) -> std::optional<std::string> {
#ifdef _WIN32
        return lntc::Win32Environment().get(name);
#else
        const char* v = secure_getenv(std::string(name).c_str());
        return v != nullptr ? std::optional<std::string>(v) : std::nullopt;
#endif
    };
    switch (lntc::CheckDisplay(env)) {
    case lntc::DisplayVerdict::Usable:
        return LNTC_ADMIN_DISPLAY_USABLE;
    case lntc::DisplayVerdict::Disabled:
        return LNTC_ADMIN_DISPLAY_DISABLED;
    case lntc::DisplayVerdict::NoDisplay:
        return LNTC_ADMIN_DISPLAY_NONE;
    case lntc::DisplayVerdict::Unreachable:
        break;
    }
    return LNTC_ADMIN_DISPLAY_UNREACHABLE;
}

// The run on the display host (nullptr) or a headless one; -1 when it could not start.
int runOnce(lntc::Host* host, const char* root, const lntc::admin::Say& say, uint32_t& status,
            const lntc::admin::RunHooks& hooks = {}) {
    status = lntc::StartDeferredLibrary(host, say, root != nullptr ? root : "");
    if (status != 0) {
        lntc::StopDeferredLibrary();
        status = LNTC_E_NOT_LOADED;
        return -1;
    }
    const int result = lntc::admin::RunConfigurationOnce(*lntc::LoadedLibrary(), say, hooks);
    lntc::StopDeferredLibrary();
    if (result < 0) status = LNTC_E_SECTION;
    return result;
}

// A script's saves are named after it in the history; an atomic one takes the configuration as
// the run found it, to put it back when the script fails.
lntc::admin::RunHooks scriptHooks(const LNTC_AdminRun& run, lntc::ScriptRunner& runner,
                                  const lntc::admin::Say& say, bool& rollbackFailed) {
    const bool atomic = (run.flags & LNTC_ADMIN_RUN_ATOMIC) != 0;
    const std::string source =
        run.name != nullptr ? "script " + lntc::printable(run.name) : std::string("script");
    auto before = std::make_shared<std::string>();
    lntc::admin::RunHooks hooks;
    hooks.setUp = [=](Library& lib) {
        lib.records().setRunSource(source);
        std::string why;
        if (atomic && lntc::admin::Describe(lib, LNTC_ADMIN_DOC_DUMP, nullptr, *before, why) != 0) {
            say("the configuration could not be read to roll the script back: " + why);
            return false;
        }
        return true;
    };
    hooks.ended = [=, &runner, &rollbackFailed](Library& lib) {
        lib.records().setRunSource({});
        if (!atomic || !runner.failed()) return;
        std::vector<std::string> plan;
        std::string why;
        if (lntc::admin::Change(lib, *before, LNTC_ADMIN_CHANGE_PRUNE, "script rolled back", plan,
                                why) != 0) {
            say("the script's changes could not be rolled back: " + why);
            rollbackFailed = true;
            return;
        }
        if (!plan.empty()) say("the script failed; its changes were rolled back:");
        for (const std::string& line : plan)
            say("  " + line);
    };
    return hooks;
}

// A module of the library's own folder and one of its entry points, or nullptr with why.
void* moduleEntry(const char* file, const char* entry, std::unique_ptr<lntc::LoadedModule>& module,
                  std::string& why) {
#ifdef _WIN32
    lntc::Win32Environment env;
    const std::unique_ptr<lntc::Modules> system = lntc::Win32SystemModules(env);
    lntc::Modules& modules = *system;
#else
    lntc::PosixEnvironment env;
    lntc::PosixModules modules(env);
#endif
    const std::string path = modules.systemFolder() + lntc::kHostPathSeparator + file;
    uint32_t error = 0;
    // Never unloaded: what the module registers with the process (exit hooks, signal
    // handlers of the terminal library) must outlive the run.
    module = modules.load(path, true, error, &why);
    void* symbol = module ? module->symbol(entry) : nullptr;
    if (symbol == nullptr)
        why = module ? path + " has no " + entry : (why.empty() ? path + " cannot be loaded" : why);
    return symbol;
}

// The interactive run on the terminal of standard input and output.
uint32_t configureOnTerminal(const LNTC_AdminRun& run, const lntc::admin::Say& say, uint32_t& ended,
                             uint32_t& display) {
    std::unique_ptr<lntc::LoadedModule> module;
    std::string why;
    auto create = reinterpret_cast<lntc::TuiCreateHostFn>(
        moduleEntry(lntc::kTuiModuleFile, lntc::kTuiHostEntry, module, why));
    lntc::TuiHostContext context;
    std::unique_ptr<lntc::Host> host(create != nullptr ? create(&context) : nullptr);
    if (!host) {
        say(create != nullptr ? context.failure : why);
        display = LNTC_ADMIN_DISPLAY_TERMINAL;
        return LNTC_ADMIN_E_DISPLAY;
    }
    // Lines said while the terminal is the run's screen would be drawn over: they follow it.
    std::vector<std::string> held;
    uint32_t status = 0;
    const int result = runOnce(
        host.get(), run.root, [&](const std::string& line) { held.push_back(line); }, status);
    host.reset(); // the terminal as it was
    for (const std::string& line : held)
        say(line);
    ended = result == 1;
    return status;
}

uint32_t configure(const LNTC_AdminRun& run, uint32_t& ended, uint32_t& display) {
    const lntc::admin::Say say = [&](const std::string& line) {
        if (run.report != nullptr) run.report(run.context, line.c_str());
    };
    uint32_t status = 0;
    if (run.script == nullptr && (run.flags & LNTC_ADMIN_RUN_TERMINAL) != 0)
        return configureOnTerminal(run, say, ended, display);
    if (run.script == nullptr) {
        display = displayVerdict();
        if (display != LNTC_ADMIN_DISPLAY_USABLE) return LNTC_ADMIN_E_DISPLAY;
        const int result = runOnce(nullptr, run.root, say, status);
        ended = result == 1;
        return status;
    }
    // The transcript's place is made ready before the run, so that a place that cannot take
    // it stops the run before it changes anything.
    const std::string path = run.transcript != nullptr ? run.transcript : "";
    lntc::OutputFile out;
    std::string why;
    if (!path.empty() && !out.open(path, 0644, lntc::OutputFile::Devices::WriteThrough, why)) {
        say("cannot write the transcript " + path + ": " + why);
        return LNTC_ADMIN_E_FAILED;
    }
    lntc::HeadlessHost host;
    lntc::ScriptRunner runner(host,
                              lntc::ParseScript(std::string_view(run.script, run.scriptSize)));
    int result = -1;
    bool rollbackFailed = false;
    if (!runner.failure()) {
        const lntc::admin::RunHooks hooks = scriptHooks(run, runner, say, rollbackFailed);
        result = runner.run([&] { return runOnce(&host, run.root, say, status, hooks); });
        if (status != 0) return status;
    }
    const bool written = path.empty() || out.write(runner.transcript(result == 1 ? 0 : 1), why);
    if (!written) say("cannot write the transcript " + path + ": " + why);
    if (const auto& failure = runner.failure()) {
        say("line " + std::to_string(failure->line) + ": " + failure->message);
        return LNTC_ADMIN_E_FAILED;
    }
    if (!written || rollbackFailed) return LNTC_ADMIN_E_FAILED;
    ended = result == 1;
    return 0;
}

// The pictures of a host module (liblntc-qt.so) or its text screens (liblntc-tui.so): every
// template, the logo and the wait window's text. They need no machine root, only the module,
// found where the library's modules are.
template <class Request, class WriteFn>
uint32_t writeGallery(const char* file, const char* entry, const char* dir, std::string& written,
                      std::string& failed) {
    std::unique_ptr<lntc::LoadedModule> module;
    auto write = reinterpret_cast<WriteFn>(moduleEntry(file, entry, module, failed));
    if (write == nullptr) return LNTC_ADMIN_E_FAILED;
    const lntc::StringLookup strings; // the built-in tables
    lntc::LogoPaint logo;
    logo.image = &lntc::LogoArtwork();
    logo.title = strings.load(lntc::str::ProductName);
    logo.version = lntc::LogoVersionLine(strings, LNTC_VERSION_TEXT);
    Request request;
    request.templates = lntc::builtinTemplates();
    request.logo = &logo;
    request.dir = dir;
    if constexpr (requires { request.texts; })
        request.texts.push_back(
            {lntc::dlg::Wait, lntc::waitctl::Message, strings.load(lntc::str::WaitForQueues)});
    if (!write(&request)) {
        failed = std::string(file) + " could not start";
        return LNTC_ADMIN_E_FAILED;
    }
    for (const std::string& p : request.written)
        written += p + "\n";
    for (const std::string& f : request.failed)
        failed += f + "\n";
    return request.failed.empty() ? 0 : LNTC_ADMIN_E_FAILED;
}

template <class Request, class WriteFn>
uint32_t galleryExport(uint32_t version, const char* file, const char* entry, const char* dir,
                       LNTC_AdminText* written, LNTC_AdminText* failed) {
    return guarded(version, [&]() -> uint32_t {
        if (dir == nullptr || written == nullptr || failed == nullptr) return LNTC_E_ARGUMENT;
        std::string paths, failures;
        const uint32_t status = writeGallery<Request, WriteFn>(file, entry, dir, paths, failures);
        give(paths, written);
        give(failures, failed);
        return status;
    });
}

} // namespace

extern "C" {

void LNTC_AdminFreeText(LNTC_AdminText* text) {
    if (text == nullptr) return;
    std::free(text->data);
    *text = LNTC_AdminText{};
}

uint32_t LNTC_AdminPrintable(uint32_t version, const char* text, size_t size, int32_t quoted,
                             LNTC_AdminText* out) {
    return guarded(version, [&]() -> uint32_t {
        if (out == nullptr || (text == nullptr && size != 0)) return LNTC_E_ARGUMENT;
        const std::string_view in(text != nullptr ? text : "", size);
        give(quoted != 0 ? lntc::quote(in) : lntc::printable(in), out);
        return 0;
    });
}

uint32_t LNTC_AdminStatusText(uint32_t version, uint32_t status, LNTC_AdminText* out) {
    return guarded(version, [&]() -> uint32_t {
        if (out == nullptr) return LNTC_E_ARGUMENT;
        give(lntc::admin::StatusText(status), out);
        return 0;
    });
}

uint32_t LNTC_AdminModelMedia(uint32_t version, uint32_t index, const char** modelKey,
                              const DefaultMedia** media) {
    return withLibrary(version, [&](Library& lib) -> uint32_t {
        if (modelKey == nullptr || media == nullptr) return LNTC_E_ARGUMENT;
        return lntc::admin::ModelMedia(lib, index, *modelKey, *media);
    });
}

uint32_t LNTC_AdminFindPaperSize(uint32_t version, const char* name, uint32_t id,
                                 LNTC_AdminPaperSize* size) {
    return guarded(version, [&]() -> uint32_t {
        if (size == nullptr) return LNTC_E_ARGUMENT;
        return lntc::admin::PaperSize(name, id, *size);
    });
}

uint32_t LNTC_AdminReadLdpx(uint32_t version, const char* model, LNTC_AdminText* report,
                            LNTC_AdminText* message) {
    return withLibrary(version, [&](Library& lib) -> uint32_t {
        if (model == nullptr || report == nullptr || message == nullptr) return LNTC_E_ARGUMENT;
        std::string json, text;
        const uint32_t status = lntc::admin::ReadLdpx(lib, model, json, text);
        give(json, report);
        give(text, message);
        return status;
    });
}

uint32_t LNTC_AdminImportRegistry(uint32_t version, const char* path, LNTC_AdminText* why) {
    return withRegistry(version, [&](lntc::ProductionLibrary& production) -> uint32_t {
        if (path == nullptr || why == nullptr) return LNTC_E_ARGUMENT;
        std::string text;
        const uint32_t status =
            lntc::admin::ImportRegistryFile(production.library().registry(), production.root(),
                                            path, production.library().now(), text);
        give(text, why);
        return status;
    });
}

uint32_t LNTC_AdminExportRegistry(uint32_t version, const char* key, uint32_t format,
                                  const char* path, LNTC_AdminText* out, LNTC_AdminText* why) {
    return withRegistry(version, [&](lntc::ProductionLibrary& production) -> uint32_t {
        if (key == nullptr || out == nullptr || why == nullptr) return LNTC_E_ARGUMENT;
        std::string text, reason;
        const uint32_t status = lntc::admin::ExportRegistryKey(production.library().registry(), key,
                                                               format, path, text, reason);
        give(text, out);
        give(reason, why);
        return status;
    });
}

uint32_t LNTC_AdminRegistryWritable(uint32_t version, LNTC_AdminText* why) {
    return withRegistry(version, [&](lntc::ProductionLibrary& production) -> uint32_t {
        if (why == nullptr) return LNTC_E_ARGUMENT;
        std::string text;
        const uint32_t status =
            lntc::admin::RegistryWritable(production.library().registry(), text);
        give(text, why);
        return status;
    });
}

uint32_t LNTC_AdminDemoSetup(uint32_t version, const char* shareDir, int32_t force,
                             LNTC_AdminText* report) {
    return withRegistry(version, [&](lntc::ProductionLibrary& production) -> uint32_t {
        if (shareDir == nullptr || report == nullptr) return LNTC_E_ARGUMENT;
        std::string text;
        const uint32_t status = lntc::admin::DemoSetup(production.library(), production.root(),
                                                       shareDir, force != 0, text);
        give(text, report);
        return status;
    });
}

uint32_t LNTC_AdminConfigure(uint32_t version, const LNTC_AdminRun* run, uint32_t* ended,
                             uint32_t* display) {
    return guarded(version, [&]() -> uint32_t {
        if (run == nullptr || ended == nullptr || display == nullptr) return LNTC_E_ARGUMENT;
        // The run starts the library with its host: only where the program deferred the load.
        if (!lntc::LoadIsDeferred() || lntc::ProductionInstance() != nullptr)
            return LNTC_E_ARGUMENT;
        *ended = 0;
        *display = LNTC_ADMIN_DISPLAY_USABLE;
        return configure(*run, *ended, *display);
    });
}

uint32_t LNTC_AdminWriteGallery(uint32_t version, const char* dir, LNTC_AdminText* written,
                                LNTC_AdminText* failed) {
    return galleryExport<lntc::QtGalleryRequest, lntc::QtWriteGalleryFn>(
        version, lntc::kQtModuleFile, lntc::kQtGalleryEntry, dir, written, failed);
}

uint32_t LNTC_AdminWriteTextGallery(uint32_t version, const char* dir, LNTC_AdminText* written,
                                    LNTC_AdminText* failed) {
    return galleryExport<lntc::TuiGalleryRequest, lntc::TuiWriteGalleryFn>(
        version, lntc::kTuiModuleFile, lntc::kTuiGalleryEntry, dir, written, failed);
}

uint32_t LNTC_AdminStart(uint32_t version, const char* root, LNTC_AdminText* why) {
    return guarded(version, [&]() -> uint32_t {
        if (why == nullptr || (root != nullptr && *root == '\0')) return LNTC_E_ARGUMENT;
        *why = LNTC_AdminText{};
        std::string lines;
        const uint32_t status = lntc::StartDeferredLibrary(
            nullptr, [&](const std::string& line) { lines += line + "\n"; },
            root != nullptr ? root : "");
        give(lines, why);
        return status;
    });
}

uint32_t LNTC_AdminMachineRoot(uint32_t version, LNTC_AdminText* root) {
    return guarded(version, [&]() -> uint32_t {
        if (root == nullptr) return LNTC_E_ARGUMENT;
        const lntc::ProductionLibrary* production = lntc::ProductionInstance();
        give(production != nullptr ? production->root() : lntc::defaultMachineRoot(), root);
        return 0;
    });
}

uint32_t LNTC_AdminModelKey(uint32_t version, uint32_t index, const char** key) {
    return guarded(version, [&]() -> uint32_t {
        if (key == nullptr) return LNTC_E_ARGUMENT;
        return lntc::admin::ModelKey(index, *key);
    });
}

uint32_t LNTC_AdminHeldElsewhere(uint32_t version, int32_t* held) {
    return withLibrary(version, [&](Library& lib) -> uint32_t {
        if (held == nullptr) return LNTC_E_ARGUMENT;
        if (!lib.records().attached()) return LNTC_E_SECTION;
        *held = lib.records().heldElsewhere() ? 1 : 0;
        return 0;
    });
}

} // extern "C"

namespace {
std::string joinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}
} // namespace

uint32_t LNTC_AdminDocument(uint32_t version, uint32_t form, const char* queue, LNTC_AdminText* out,
                            LNTC_AdminText* why) {
    return withLibrary(version, [&](Library& lib) -> uint32_t {
        std::string text, reason;
        const uint32_t rc = lntc::admin::Describe(lib, form, queue, text, reason);
        give(text, out);
        give(reason, why);
        return rc;
    });
}

uint32_t LNTC_AdminChange(uint32_t version, const char* text, size_t size, uint32_t flags,
                          const char* source, LNTC_AdminText* plan, LNTC_AdminText* why) {
    return withLibrary(version, [&](Library& lib) -> uint32_t {
        if (text == nullptr && size != 0) return LNTC_E_ARGUMENT;
        std::vector<std::string> lines;
        std::string reason;
        const uint32_t rc = lntc::admin::Change(lib, std::string_view(text ? text : "", size),
                                                flags, source, lines, reason);
        give(joinLines(lines), plan);
        give(reason, why);
        return rc;
    });
}

uint32_t LNTC_AdminHistory(uint32_t version, uint32_t entry, LNTC_AdminText* out,
                           LNTC_AdminText* why) {
    return withLibrary(version, [&](Library& lib) -> uint32_t {
        std::string text, reason;
        const uint32_t rc = lntc::admin::HistoryText(lib, entry, text, reason);
        give(text, out);
        give(reason, why);
        return rc;
    });
}

uint32_t LNTC_AdminRestore(uint32_t version, uint32_t entry, uint32_t flags, LNTC_AdminText* plan,
                           LNTC_AdminText* why) {
    return withLibrary(version, [&](Library& lib) -> uint32_t {
        std::vector<std::string> lines;
        std::string reason;
        const uint32_t rc = lntc::admin::Restore(lib, entry, flags, lines, reason);
        give(joinLines(lines), plan);
        give(reason, why);
        return rc;
    });
}

uint32_t LNTC_AdminWriteText(uint32_t version, const char* path, const char* text, size_t size,
                             LNTC_AdminText* why) {
    return guarded(version, [&]() -> uint32_t {
        if (path == nullptr || (text == nullptr && size != 0)) return LNTC_E_ARGUMENT;
        std::string reason;
        if (lntc::WriteWholeFile(path, std::string_view(text ? text : "", size), 0600,
                                 lntc::OutputFile::Devices::WriteThrough, reason))
            return 0;
        give(reason, why);
        return LNTC_ADMIN_E_FAILED;
    });
}

uint32_t LNTC_AdminLogError(uint32_t version, const char* text) {
    return withLibrary(version, [&](Library& lib) -> uint32_t {
        if (text == nullptr) return LNTC_E_ARGUMENT;
        lib.logError(0, 0, lntc::printable(text));
        return 0;
    });
}

// lntc-config: the configuration run of this print server, on a display, on the terminal, over
// VNC or from a script; and the gallery of every dialog for review. The library shows the
// windows: its Qt host, its terminal host, or its headless host for a script.
#include "common/admin_text.h"
#include "common/system.h"
#include "lntc_admin.h"
#ifndef _WIN32
#include "dry_run.h"
#include "vnc_loopback.h"
#endif

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <vector>

// This program starts the library itself, once it knows how the run is shown.
extern "C" LNTC_TOOL_EXPORT const uint32_t LNTC_AdminDeferredLoad = LNTC_ADMIN_VERSION;

namespace {

constexpr int kOk = 0, kNotOk = 1, kFailed = 2;
#ifdef _WIN32
constexpr const char* kDisplayHint = "; unset LNTC_NO_GUI, or use --script FILE";
#else
constexpr const char* kDisplayHint =
    "; set DISPLAY or WAYLAND_DISPLAY, or use --vnc [PORT] or --script FILE";
#endif

#ifdef _WIN32
constexpr bool kLinux = false;
#else
constexpr bool kLinux = true;
#endif

void usage(std::FILE* out) {
    // The terminal, VNC, dry runs and text pictures are the Linux build's only.
    const auto linuxOnly = [](const char* text) { return kLinux ? text : ""; };
    std::string text = std::string("usage: lntc-config [--root DIR]") +
                       linuxOnly(" [--tui | --vnc [PORT]]") +
                       "\n"
                       "       lntc-config [--root DIR] --script FILE|- [--transcript OUT.json]\n"
                       "                   " +
                       linuxOnly("[--dry-run] ") +
                       "[--atomic | --no-atomic]\n"
                       "       lntc-config --gallery DIR" +
                       linuxOnly(" [--text]") +
                       "\n"
                       "       lntc-config --help | --version\n";
    text += kLinux ? "Without an option, the configuration runs on this display (DISPLAY or "
                     "WAYLAND_DISPLAY),\nor on the terminal when there is no usable display and "
                     "standard input and output\nare a terminal (over SSH).\n"
                   : "Without an option, the configuration runs on the desktop.\n";
    text += "  --root DIR        the machine root, over LNT_ROOT\n";
    text +=
        linuxOnly("  --tui             the configuration on the terminal, display or not\n"
                  "  --vnc [PORT]      the configuration served over VNC (default port 5900) to\n"
                  "                    this user only, on the loopback address\n");
    text += "  --script FILE     the configuration driven by a script (- reads standard input);\n"
            "                    its saves are recorded in the history as \"script FILE\"\n"
            "  --transcript OUT  with a JSON transcript of every window it opened\n";
    text +=
        linuxOnly("  --dry-run         the script played on a private copy of the configuration;\n"
                  "                    the changes it would make printed, nothing changed\n");
    text += "  --atomic          a script that fails has its saves rolled back (the default)\n"
            "  --no-atomic       a script that fails keeps what it saved\n"
            "  --gallery DIR     a PNG of every dialog and of the logo, written into DIR";
    text += kLinux
                ? ";\n                    with --text, each one's screen on the terminal as text\n"
                : "\n";
    text += "Exit status: 0 when the configuration ended with OK, 1 when it ended otherwise, 2 "
            "when\nit could not run, the script failed or the transcript could not be written. "
            "The machine\nroot is --root, else LNT_ROOT when set.\n";
    std::fputs(text.c_str(), out);
}

void say(const std::string& line) {
    std::fprintf(stderr, "lntc-config: %s\n", tool::printable(line).c_str());
}

void sayEachLine(const std::string& lines) {
    std::istringstream in(lines);
    for (std::string line; std::getline(in, line);)
        say(line);
}

int gallery(const std::string& dir, bool text) {
    // Pictures need no display: the offscreen platform unless the caller chose one.
    if (!text) tool::setVariable("QT_QPA_PLATFORM", "offscreen", false);
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec) {
        say("cannot create " + dir + ": " + ec.message());
        return 1;
    }
    LNTC_AdminText written{}, failed{};
    const uint32_t rc =
        text ? LNTC_AdminWriteTextGallery(LNTC_ADMIN_VERSION, dir.c_str(), &written, &failed)
             : LNTC_AdminWriteGallery(LNTC_ADMIN_VERSION, dir.c_str(), &written, &failed);
    std::fputs(tool::take(written).c_str(), stdout);
    const std::string why = tool::take(failed);
    sayEachLine(why);
    if (rc != 0 && why.empty())
        say("the gallery could not be written (status " + std::to_string(rc) + ")");
    return rc == 0 ? 0 : 1;
}

#ifndef _WIN32
// A connection to the VNC server that another user made: in the error log and on standard
// error. Called from within the run.
void refusedConnection(const std::string& line) {
    try {
        say(line);
        LNTC_AdminLogError(LNTC_ADMIN_VERSION, ("lntc-config: " + line).c_str());
    } catch (...) { // nothing may cross back into the library
    }
}

// The VNC port was taken between the program's look and Qt's bind.
[[noreturn]] void cannotListen(const std::string& line) {
    say(line);
    std::exit(kFailed);
}
#endif

bool onTerminal() {
    return tool::isTerminal(stdin) && tool::isTerminal(stdout);
}

#ifdef _WIN32
// What Windows has no counterpart of here: the terminal host is ncurses', the VNC server Qt's,
// and a dry run's private copy of the configuration would leave the machine's registry behind.
int notOnWindows(const std::string& option) {
    say(option + " is not available on Windows");
    return kFailed;
}
#endif

// The configuration run, as the library reports it: 0 when it ended with OK, 1 when it ended
// otherwise, 2 when it could not run or the script or its transcript failed. Without a usable
// display, the interactive run goes to the terminal when there is one.
int configure(LNTC_AdminRun run, bool terminalWithoutDisplay = false) {
    run.report = [](void*, const char* line) noexcept {
        try {
            say(line);
        } catch (...) { // nothing may cross back into the library
        }
    };
    uint32_t ended = 0, display = 0;
    uint32_t rc = LNTC_AdminConfigure(LNTC_ADMIN_VERSION, &run, &ended, &display);
    if (rc == LNTC_ADMIN_E_DISPLAY && terminalWithoutDisplay && onTerminal()) {
        run.flags |= LNTC_ADMIN_RUN_TERMINAL;
        rc = LNTC_AdminConfigure(LNTC_ADMIN_VERSION, &run, &ended, &display);
    }
    if (rc == LNTC_ADMIN_E_DISPLAY && display == LNTC_ADMIN_DISPLAY_TERMINAL)
        return kFailed; // the library said why
    if (rc == LNTC_ADMIN_E_DISPLAY) {
        say(std::string(display == LNTC_ADMIN_DISPLAY_UNREACHABLE
                            ? "the display named by DISPLAY or WAYLAND_DISPLAY does not answer"
                        : display == LNTC_ADMIN_DISPLAY_DISABLED ? "LNTC_NO_GUI asks for no windows"
                                                                 : "no display") +
            kDisplayHint);
        return kFailed;
    }
    if (rc == LNTC_E_VERSION || rc == LNTC_E_ARGUMENT)
        say("the library does not run configurations for this program (status " +
            std::to_string(rc) + ")");
    if (rc != 0) return kFailed;
    return ended == 1 ? kOk : kNotOk;
}

struct Options {
    std::string root; // --root, made absolute
    std::string script, transcript, dumpTo;
    bool dryRun = false, atomic = true;
};

bool readScript(const std::string& file, std::string& text) {
    if (file == "-") {
        text.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
        return true;
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        say("cannot read " + file + ": " + std::strerror(errno));
        return false;
    }
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

// The library started on the root given (empty: the default one).
bool startOn(const std::string& root) {
    LNTC_AdminText why{};
    if (LNTC_AdminStart(LNTC_ADMIN_VERSION, root.empty() ? nullptr : root.c_str(), &why) != 0) {
        sayEachLine(tool::take(why));
        say("the configuration could not be read");
        return false;
    }
    tool::take(why);
    return true;
}

// The configuration as a dump document, from a library started on root for it.
bool dumpOf(const std::string& root, std::string& text) {
    LNTC_AdminText why{}, out{};
    if (!startOn(root)) return false;
    if (LNTC_AdminDocument(LNTC_ADMIN_VERSION, LNTC_ADMIN_DOC_DUMP, nullptr, &out, &why) != 0) {
        say("the configuration could not be read: " + tool::take(why));
        tool::take(out);
        return false;
    }
    text = tool::take(out);
    return true;
}

int scripted(const Options& o) {
    std::string text;
    if (!readScript(o.script, text)) return kFailed;
    const std::string name = o.script == "-" ? "standard input" : o.script;
    LNTC_AdminRun run{};
    run.script = text.c_str();
    run.scriptSize = text.size();
    run.transcript = o.transcript.empty() ? nullptr : o.transcript.c_str();
    run.root = o.root.empty() ? nullptr : o.root.c_str();
    run.name = name.c_str();
    run.flags = o.atomic ? LNTC_ADMIN_RUN_ATOMIC : 0;
    const int result = configure(run);
    if (o.dumpTo.empty()) return result;
    // The copy's configuration after the run, for the dry run that started this one.
    std::string dump;
    LNTC_AdminText why{};
    if (!dumpOf(o.root, dump)) return kFailed;
    if (LNTC_AdminWriteText(LNTC_ADMIN_VERSION, o.dumpTo.c_str(), dump.data(), dump.size(), &why) !=
        0) {
        say("cannot write " + o.dumpTo + ": " + tool::take(why));
        return kFailed;
    }
    return result;
}

#ifndef _WIN32
// The script played by another run of this program on a private copy of the root; then what
// it did to the copy planned against the root itself, which nothing writes.
int dryRun(const Options& o) {
    std::string text, why;
    if (!readScript(o.script, text)) return kFailed;
    std::string root = o.root;
    if (root.empty()) {
        LNTC_AdminText r{};
        LNTC_AdminMachineRoot(LNTC_ADMIN_VERSION, &r);
        root = tool::take(r);
    }
    // A dry run makes no root: a missing one has no configuration to play the script on.
    struct stat st {};
    const int error = ::stat(root.c_str(), &st) != 0 ? errno : S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
    if (error != 0) {
        say("no configuration under " + root + ": " + std::strerror(error));
        return kFailed;
    }
    dry_run::PrivateFolder folder;
    if (!folder.make(why)) {
        say("cannot make a private folder for the copy: " + why);
        return kFailed;
    }
    const std::string copy = folder.path() + "/root", script = folder.path() + "/script",
                      after = folder.path() + "/after.json";
    LNTC_AdminText failed{};
    if (!dry_run::CopyRoot(root, copy, why)) {
        say("cannot copy the configuration: " + why);
        return kFailed;
    }
    if (LNTC_AdminWriteText(LNTC_ADMIN_VERSION, script.c_str(), text.data(), text.size(),
                            &failed) != 0) {
        say("cannot write " + script + ": " + tool::take(failed));
        return kFailed;
    }
    std::vector<std::string> args = {
        "lntc-config", "--root",    copy,  "--script",
        script,        "--dump-to", after, o.atomic ? "--atomic" : "--no-atomic"};
    if (!o.transcript.empty()) args.insert(args.end(), {"--transcript", o.transcript});
    std::fflush(nullptr);
    const int result = dry_run::RunSelf(args, why);
    if (!why.empty()) say(why);
    std::ifstream in(after, std::ios::binary);
    if (!in) {
        say("the script's run left no configuration to compare");
        return kFailed;
    }
    const std::string dump{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (!startOn(root)) return kFailed;
    LNTC_AdminText lines{};
    const std::string source = "script " + (o.script == "-" ? "standard input" : o.script);
    if (LNTC_AdminChange(LNTC_ADMIN_VERSION, dump.data(), dump.size(),
                         LNTC_ADMIN_CHANGE_DRY_RUN | LNTC_ADMIN_CHANGE_PRUNE, source.c_str(),
                         &lines, &failed) != 0) {
        tool::take(lines);
        say("the script's changes cannot be planned: " + tool::take(failed));
        return kFailed;
    }
    tool::take(failed);
    const std::string plan = tool::take(lines);
    std::fputs(plan.c_str(), stdout);
    const long count = std::count(plan.begin(), plan.end(), '\n');
    if (count == 0)
        std::printf("No changes: the script leaves the configuration as it is.\n");
    else
        std::printf("Dry run: %ld change%s planned, nothing was changed.\n", count,
                    count == 1 ? "" : "s");
    return result;
}

#endif

// The script's options, after --script FILE; false for one that is not one of them.
bool scriptOptions(const std::vector<std::string>& args, size_t at, Options& o) {
    for (; at < args.size(); ++at) {
        const std::string& a = args[at];
        if (a == "--transcript" && at + 1 < args.size() && o.transcript.empty())
            o.transcript = args[++at];
        else if (a == "--dump-to" && at + 1 < args.size()) // a dry run's own
            o.dumpTo = args[++at];
        else if (a == "--dry-run")
            o.dryRun = true;
        else if (a == "--atomic" || a == "--no-atomic")
            o.atomic = a == "--atomic";
        else
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    tool::binaryStandardStreams();
    std::vector<std::string> args(argv + 1, argv + argc);
    try {
        if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
            usage(stdout);
            return 0;
        }
        if (args.size() == 1 && args[0] == "--version") {
            std::printf("lntc-config %s\n", LNTC_TOOL_VERSION);
            return 0;
        }
        if ((args.size() == 2 || (args.size() == 3 && args[2] == "--text")) &&
            args[0] == "--gallery") {
#ifdef _WIN32
            if (args.size() == 3) return notOnWindows(args[2]);
#endif
            return gallery(args[1], args.size() == 3);
        }
        Options o;
        if (!args.empty() && (args[0] == "--root" || args[0].starts_with("--root="))) {
            const bool joined = args[0] != "--root";
            const std::string dir = joined ? args[0].substr(7) : args.size() > 1 ? args[1] : "";
            if (dir.empty()) {
                say("--root needs a folder");
                usage(stderr);
                return kFailed;
            }
            o.root = std::filesystem::absolute(dir).lexically_normal().string();
            args.erase(args.begin(), args.begin() + (joined ? 1 : 2));
        }
        LNTC_AdminRun run{};
        run.root = o.root.empty() ? nullptr : o.root.c_str();
#ifdef _WIN32
        if (args.empty()) return configure(run);
        if (args[0] == "--tui" || args[0] == "--vnc") return notOnWindows(args[0]);
#else
        if (args.empty()) return configure(run, true);
        if (args.size() == 1 && args[0] == "--tui") {
            if (!onTerminal()) {
                say("--tui needs a terminal on standard input and output");
                return kFailed;
            }
            run.flags |= LNTC_ADMIN_RUN_TERMINAL;
            return configure(run);
        }
        if (args[0] == "--vnc" && args.size() <= 2) {
            long port = 5900;
            if (args.size() == 2) {
                char* end = nullptr;
                port = std::strtol(args[1].c_str(), &end, 10);
                if (args[1].empty() || *end != '\0' || port < 1 || port > 65535) {
                    say("the VNC port is a number from 1 to 65535, not " + args[1]);
                    return kFailed;
                }
            }
            // Qt's server only warns when it cannot listen, and the run would go on unseen.
            std::string why;
            if (!CanListenOnLoopback(static_cast<int>(port), why)) {
                say(why);
                return kFailed;
            }
            std::fprintf(stderr,
                         "lntc-config: serving the configuration over VNC on localhost port %ld\n",
                         port);
            ServeOnLoopbackOnly(static_cast<int>(port), &refusedConnection, &cannotListen);
            // The Qt platform of the run; asked for by name, it is not held back by LNTC_NO_GUI.
            const std::string platform = "vnc:size=1024x768:port=" + std::to_string(port);
            setenv("QT_QPA_PLATFORM", platform.c_str(), 1);
            unsetenv("LNTC_NO_GUI");
            return configure(run);
        }
#endif
        if (args[0] == "--script" && args.size() >= 2 && scriptOptions(args, 2, o)) {
            o.script = args[1];
            if (o.dryRun && o.dumpTo.empty()) {
#ifdef _WIN32
                return notOnWindows("--dry-run");
#else
                return dryRun(o);
#endif
            }
            return scripted(o);
        }
    } catch (const std::exception& e) {
        say(e.what());
        return kFailed;
    }
    usage(stderr);
    return kFailed;
}

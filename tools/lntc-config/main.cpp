// lntc-config: the configuration run of this print server, on a display, over VNC or from a
// script; and the gallery of every dialog for review. The library shows the windows: its Qt
// host, or its headless host for a script.
#include "common/admin_text.h"
#include "lntc_admin.h"
#include "vnc_loopback.h"

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
#include <vector>

// This program starts the library itself, once it knows how the run is shown.
extern "C" LNTC_API const uint32_t LNTC_AdminDeferredLoad = LNTC_ADMIN_VERSION;

namespace {

constexpr int kOk = 0, kNotOk = 1, kFailed = 2;

void usage(std::FILE* out) {
    std::fputs("usage: lntc-config [--vnc [PORT] | --script FILE|- [--transcript OUT.json] | "
               "--gallery DIR]\n"
               "       lntc-config --help | --version\n"
               "Without an option, the configuration runs on this display (DISPLAY or "
               "WAYLAND_DISPLAY).\n"
               "  --vnc [PORT]      the configuration served over VNC (default port 5900)\n"
               "  --script FILE     the configuration driven by a script (- reads standard "
               "input);\n"
               "  --transcript OUT  with a JSON transcript of every window it opened\n"
               "  --gallery DIR     a PNG of every dialog and of the logo, written into DIR\n"
               "Exit status: 0 when the configuration ended with OK, 1 when it ended otherwise, "
               "2 when\nit could not run, the script failed or the transcript could not be "
               "written. The machine\nroot is LNT_ROOT when set.\n",
               out);
}

void say(const std::string& line) {
    std::fprintf(stderr, "lntc-config: %s\n", tool::printable(line).c_str());
}

void sayEachLine(const std::string& lines) {
    std::istringstream in(lines);
    for (std::string line; std::getline(in, line);)
        say(line);
}

int gallery(const std::string& dir) {
    // Pictures need no display: the offscreen platform unless the caller chose one.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec) {
        say("cannot create " + dir + ": " + ec.message());
        return 1;
    }
    LNTC_AdminText written{}, failed{};
    const uint32_t rc = LNTC_AdminWriteGallery(LNTC_ADMIN_VERSION, dir.c_str(), &written, &failed);
    std::fputs(tool::take(written).c_str(), stdout);
    const std::string why = tool::take(failed);
    sayEachLine(why);
    if (rc != 0 && why.empty())
        say("the gallery could not be written (status " + std::to_string(rc) + ")");
    return rc == 0 ? 0 : 1;
}

// The configuration run, as the library reports it: 0 when it ended with OK, 1 when it ended
// otherwise, 2 when it could not run or the script or its transcript failed.
int configure(LNTC_AdminRun run) {
    run.report = [](void*, const char* line) noexcept {
        try {
            say(line);
        } catch (...) { // nothing may cross back into the library
        }
    };
    uint32_t ended = 0, display = 0;
    const uint32_t rc = LNTC_AdminConfigure(LNTC_ADMIN_VERSION, &run, &ended, &display);
    if (rc == LNTC_ADMIN_E_DISPLAY) {
        say(std::string(display == LNTC_ADMIN_DISPLAY_UNREACHABLE
                            ? "the display named by DISPLAY or WAYLAND_DISPLAY does not answer"
                        : display == LNTC_ADMIN_DISPLAY_DISABLED ? "LNTC_NO_GUI asks for no windows"
                                                                 : "no display") +
            "; set DISPLAY or WAYLAND_DISPLAY, or use --vnc [PORT] or --script FILE");
        return kFailed;
    }
    if (rc == LNTC_E_VERSION || rc == LNTC_E_ARGUMENT)
        say("the library does not run configurations for this program (status " +
            std::to_string(rc) + ")");
    if (rc != 0) return kFailed;
    return ended == 1 ? kOk : kNotOk;
}

int scripted(const std::string& file, const std::string& transcriptPath) {
    std::string text;
    if (file == "-") {
        text.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
    } else {
        std::ifstream in(file, std::ios::binary);
        if (!in) {
            say("cannot read " + file + ": " + std::strerror(errno));
            return kFailed;
        }
        text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    LNTC_AdminRun run{};
    run.script = text.c_str();
    run.scriptSize = text.size();
    run.transcript = transcriptPath.empty() ? nullptr : transcriptPath.c_str();
    return configure(run);
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    try {
        if (args.empty()) return configure(LNTC_AdminRun{});
        if (args[0] == "--help" || args[0] == "-h") {
            usage(stdout);
            return 0;
        }
        if (args.size() == 1 && args[0] == "--version") {
            std::printf("lntc-config %s\n", LNTC_TOOL_VERSION);
            return 0;
        }
        if (args.size() == 2 && args[0] == "--gallery") return gallery(args[1]);
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
            std::fprintf(stderr,
                         "lntc-config: serving the configuration over VNC on localhost port %ld\n",
                         port);
            ServeOnLoopbackOnly(static_cast<int>(port));
            // The Qt platform of the run; asked for by name, it is not held back by LNTC_NO_GUI.
            const std::string platform = "vnc:size=1024x768:port=" + std::to_string(port);
            setenv("QT_QPA_PLATFORM", platform.c_str(), 1);
            unsetenv("LNTC_NO_GUI");
            return configure(LNTC_AdminRun{});
        }
        if (args[0] == "--script" &&
            (args.size() == 2 || (args.size() == 4 && args[2] == "--transcript")))
            return scripted(args[1], args.size() == 4 ? args[3] : std::string());
    } catch (const std::exception& e) {
        say(e.what());
        return kFailed;
    }
    usage(stderr);
    return kFailed;
}

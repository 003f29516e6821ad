// lntc-config: the configuration run of this print server, on a display, over VNC or from a
// script; and the gallery of every dialog for review.
#include "configure/configure.h"
#include "library/lifecycle.h"
#include "library/production.h"
#include "logo/logo.h"
#include "platform/display.h"
#include "platform/platform.h"
#include "platform/posix/posix_environment.h"
#include "platform/printable.h"
#include "resources/ids.h"
#include "resources/logo_art.h"
#include "resources/lookup.h"
#include "resources/templates.h"
#include "ui/headless_host.h"
#include "ui/qt/gallery.h"
#include "ui/qt/qt_host.h"
#include "ui/script_runner.h"
#include "vnc_loopback.h"

#include <QApplication>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int kOk = 0, kNotOk = 1, kFailed = 2;

void usage(std::FILE* out) {
    std::fputs("usage: lntc-config [--vnc [PORT] | --script FILE|- [--transcript OUT.json] | "
               "--gallery DIR]\n"
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
    std::fprintf(stderr, "lntc-config: %s\n", lntc::printable(line).c_str());
}

int gallery(int argc, char** argv, const std::string& dir) {
    // Pictures need no display: the offscreen platform unless the caller chose one.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec) {
        say("cannot create " + dir + ": " + ec.message());
        return 1;
    }
    QApplication app(argc, argv);
    lntc::QtHost host(nullptr);
    lntc::LogoPaint logo;
    logo.image = &lntc::LogoArtwork();
    const lntc::StringLookup strings; // the built-in tables
    logo.title = strings.load(lntc::str::ProductName);
    logo.version = lntc::LogoVersionLine(strings, LNTC_VERSION_TEXT);
    auto result = lntc::WriteGallery(host, lntc::builtinTemplates(), logo, dir);
    for (const auto& path : result.written)
        std::printf("%s\n", path.c_str());
    for (const auto& why : result.failed)
        say(why);
    return result.failed.empty() ? 0 : 1;
}

// The configuration run on the production library of this machine, with the given host.
// `around` wraps the run itself (a script runner); its result is RunConfiguration's.
int configure(lntc::Host& host, const std::function<int(const std::function<int()>&)>& around,
              lntc::Library** exposed = nullptr) {
    std::unique_ptr<lntc::ProductionLibrary> production;
    try {
        production = std::make_unique<lntc::ProductionLibrary>(lntc::defaultMachineRoot());
    } catch (const std::exception& e) {
        say(e.what());
        return -1;
    }
    lntc::Library& lib = production->library();
    if (exposed != nullptr) *exposed = &lib;
    lib.setHost(host); // before the load, so that nothing goes to another host
    if (uint32_t status = lntc::LoadLibrary(lib); status != 0) {
        say("the library could not start (error " + std::to_string(status) + ")");
        return -1;
    }
    const uint32_t init = lntc::InitialiseSharedConfig(lib);
    if (init == LNTC_E_SECTION) {
        say("the shared configuration could not be opened (error " + std::to_string(init) + ")");
        lntc::UnloadLibrary(lib);
        return -1;
    }
    if (init != 0) {
        char code[16];
        std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(init));
        say(std::string("warning: the ODR name service failed (") + code +
            "); its system defaults are missing");
    }
    lntc::EndLogo(lib);
    const int result =
        around([&] { return static_cast<int>(lntc::RunConfiguration(lib, nullptr, init)); });
    lntc::UnloadLibrary(lib);
    if (exposed != nullptr) *exposed = nullptr;
    return result;
}

// What the Qt host asks of the library.
class Services : public lntc::QtHostServices {
  public:
    lntc::Library* lib = nullptr;
    std::string loadString(uint32_t id) override {
        return lib != nullptr ? lib->strings().load(id) : std::string();
    }
    void logError(const std::string& text) override {
        if (lib != nullptr) lib->product().ztrLogError(0, 0, 0, 0, text);
    }
    lntc::TopWindows* windows() override {
        return lib != nullptr ? lib->platform().windows : nullptr;
    }
    void toolkitEnded() override {}
};

int interactive(const char* program, const std::string& platform) {
    if (platform.empty()) {
        lntc::EnvLookup env = [](std::string_view name) -> std::optional<std::string> {
            const char* v = secure_getenv(std::string(name).c_str());
            return v != nullptr ? std::optional<std::string>(v) : std::nullopt;
        };
        lntc::DisplayVerdict verdict = lntc::CheckDisplay(env);
        if (verdict != lntc::DisplayVerdict::Usable) {
            say(std::string(verdict == lntc::DisplayVerdict::Unreachable
                                ? "the display named by DISPLAY or WAYLAND_DISPLAY does not answer"
                            : verdict == lntc::DisplayVerdict::Disabled
                                ? "LNTC_NO_GUI asks for no windows"
                                : "no display") +
                "; set DISPLAY or WAYLAND_DISPLAY, or use --vnc [PORT] or --script FILE");
            return kFailed;
        }
    }
    std::vector<std::string> args{program};
    if (!platform.empty()) args.insert(args.end(), {"-platform", platform});
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    int argc = static_cast<int>(args.size());
    Services services;
    QApplication app(argc, argv.data());
    lntc::QtHost host(&services);
    int result = configure(
        host, [](const std::function<int()>& run) { return run(); }, &services.lib);
    if (result < 0) return kFailed;
    return result == 1 ? kOk : kNotOk;
}

// Where the transcript goes. It is made ready before the run, so that a place that cannot be
// written stops the run before it changes anything. A file is written whole or not at all: a
// new file beside it, flushed and renamed over it; standard output ("-"), a device or a pipe
// (also through a link, as /dev/stdout) is written directly.
class TranscriptOut {
  public:
    TranscriptOut() = default;
    TranscriptOut(const TranscriptOut&) = delete;
    TranscriptOut& operator=(const TranscriptOut&) = delete;
    ~TranscriptOut() {
        if (fd_ >= 0 && fd_ != STDOUT_FILENO) close(fd_);
        if (!temp_.empty()) unlink(temp_.c_str());
    }

    // False with the reason when the place cannot take a transcript.
    bool open(const std::string& path, std::string& why) {
        path_ = path;
        if (path == "-") {
            fd_ = STDOUT_FILENO;
            return true;
        }
        struct stat st {};
        if (stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return fail(EISDIR, why);
        if (stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
            fd_ = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
            return fd_ >= 0 || fail(errno, why);
        }
        std::string temp = path + ".XXXXXX";
        fd_ = mkostemp(temp.data(), O_CLOEXEC);
        if (fd_ < 0) return fail(errno, why);
        temp_ = temp;
        return fchmod(fd_, 0644) == 0 || fail(errno, why);
    }

    // Writes the whole text and puts it in place; false with the reason when it did not land
    // whole, and then no file claims to be the transcript.
    bool write(const std::string& text, std::string& why) {
        if (fd_ == STDOUT_FILENO) std::fflush(stdout);
        for (size_t done = 0; done < text.size();) {
            ssize_t n = ::write(fd_, text.data() + done, text.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return fail(n < 0 ? errno : EIO, why);
            done += static_cast<size_t>(n);
        }
        if (temp_.empty()) return true;
        if (fsync(fd_) != 0) return fail(errno, why);
        const int fd = fd_;
        fd_ = -1;
        if (close(fd) != 0) return fail(errno, why);
        if (std::rename(temp_.c_str(), path_.c_str()) != 0) return fail(errno, why);
        temp_.clear();
        return true;
    }

  private:
    static bool fail(int error, std::string& why) {
        why = std::strerror(error);
        return false;
    }

    std::string path_, temp_; // temp_: the new file while it is not in place
    int fd_ = -1;
};

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
    TranscriptOut out;
    std::string why;
    if (!transcriptPath.empty() && !out.open(transcriptPath, why)) {
        say("cannot write the transcript " + transcriptPath + ": " + why);
        return kFailed;
    }
    lntc::HeadlessHost host;
    lntc::ScriptRunner runner(host, lntc::ParseScript(text));
    int result = -1;
    if (!runner.failure()) {
        result = configure(host, [&](const std::function<int()>& run) { return runner.run(run); });
        if (result < 0) return kFailed;
    }
    const int status = result == 1 ? kOk : kNotOk;
    const bool written = transcriptPath.empty() || out.write(runner.transcript(status), why);
    if (!written) say("cannot write the transcript " + transcriptPath + ": " + why);
    if (const auto& failure = runner.failure()) {
        say("line " + std::to_string(failure->line) + ": " + failure->message);
        return kFailed;
    }
    return written ? status : kFailed;
}

} // namespace

// This program carries the library's code itself: the localised modules and the help file are
// those of the installed library, or in the build tree of the library built beside it.
static void standInForTheLibrary() {
    std::error_code ec;
    std::filesystem::path library = LNTC_BUILT_LIBRARY;
    auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        auto installed = self.parent_path() / LNTC_LIB_FROM_BIN;
        if (std::filesystem::is_directory(installed / LNTC_MODULE_FOLDER, ec))
            library = installed / "liblntc.so";
    }
    lntc::SetStandInLibraryPath(library.lexically_normal().string());
}

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    standInForTheLibrary();
    try {
        if (args.empty()) return interactive(argv[0], "");
        if (args[0] == "--help" || args[0] == "-h") {
            usage(stdout);
            return 0;
        }
        if (args.size() == 2 && args[0] == "--gallery") return gallery(argc, argv, args[1]);
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
            return interactive(argv[0], "vnc:size=1024x768:port=" + std::to_string(port));
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

// lntc: the configuration of this print server from the command line.
#include "commands.h"
#include "common/admin_text.h"
#include "common/system.h"
#include "media_commands.h"

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

// This program starts the library itself, once its arguments are found good (startLibrary).
extern "C" LNTC_TOOL_EXPORT const uint32_t LNTC_AdminDeferredLoad = LNTC_ADMIN_VERSION;

namespace tool {
namespace {

int cmdComplete(const Args& args);

// Whether there is a configuration to read: the machine root's registry database on Linux, the
// product's key in the system's registry on Windows.
bool configurationExists() {
#ifdef _WIN32
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Quendal\\PrintServer\\CurrentVersion", 0,
                      KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
#else
    struct stat st {};
    return stat((machineRoot() + "/registry.db").c_str(), &st) == 0 && S_ISREG(st.st_mode);
#endif
}

// One row per command: what `lntc --help` lists, `lntc NAME --help` explains, a usage error
// repeats and the completion offers. usage names every option, one line per form. run checks
// its arguments first and then calls startLibrary() (when it needs the library), so that a
// wrong call creates nothing.
struct Command {
    const char* name;
    const char* usage;
    const char* help;
    int (*run)(const Args&);
    bool hidden = false;
};

// clang-format off
const Command kCommands[] = {
    {"show", "show [--json]",
     "Print the general record and every used queue slot, as text or, with --json, as JSON "
     "(the status of the name service in \"status\", with its text). The first line names the "
     "machine root read; with --json that line goes to standard error.", cmdShow},
    {"retain", "retain QUEUE 0|1",
     "Set (1) or clear (0) the retain-files flag of QUEUE in the shared records. The flag lives "
     "only as long as the shared records: when no other process holds the configuration (a "
     "running print server, or lntc hold), the change ends with this command, which says so and "
     "exits 1.", cmdRetain},
    {"postscript", "postscript QUEUE",
     "Say whether the printer of QUEUE takes PostScript. Exit status 0: it does; 1: it does "
     "not; 2: bad usage; 3: the configuration or the queue cannot be read.", cmdPostScript},
    {"kanji-fonts", "kanji-fonts [--clear]",
     "Print the NeedKanjiDiskFonts value; with --clear also delete it from the registry.",
     cmdKanjiFonts},
    {"find", "find NAME",
     "Print the process id of the process whose image name is NAME (without extension, "
     "compared ignoring case). Exit status 1, with a message on standard error, when there is "
     "none.", cmdFind},
    {"kill", "kill NAME",
     "Stop the process whose image name is NAME and print 1. Exit status 1, with a message on "
     "standard error, when none was stopped.", cmdKill},
    {"hold", "hold",
     "Attach to the configuration and keep the shared records until standard input ends or a "
     "signal (INT, TERM, HUP) arrives, so that what is changed only there (retain) lasts "
     "meanwhile.", cmdHold},
    {"reg", "reg import FILE|-\nreg export [--regedit4|--v5] KEY [FILE]",
     "Import a registry file into the machine root's registry, or export a key of it. import "
     "reads FILE (- standard input; at most 16 MiB) and takes all of it, or nothing when any "
     "line is malformed. export writes KEY (HKEY_LOCAL_MACHINE\\... or "
     "HKLM\\...) and its subkeys into FILE in the format \"Windows Registry Editor Version "
     "5.00\" (UTF-16LE), or onto standard output as \"REGEDIT4\"; --regedit4 and --v5 choose.",
     cmdReg},
    {"media", "media [--json]",
     "Print the default media table of every printer model, by model key, as text or JSON.",
     cmdMedia},
    {"orientation", "orientation QUEUE PAPER",
     "Print the feed orientation of the paper size PAPER on the printer model of QUEUE.",
     cmdOrientation},
    {"ldpx", "ldpx MODEL [--json]",
     "Print the status of reading the section of the printer model MODEL in ldpx.cfg and every "
     "value read, as text or JSON.", cmdLdpx},
    {"paper", "paper NAME|ID",
     "Print a paper size of the catalogue, by name or id, with its size in inches.", cmdPaper},
    {"demo-setup", "demo-setup [--force]",
     "Install the demo installation under the machine root: the registry, the ODR directory, "
     "the hosts file and ldpx.cfg. An installed one is left alone unless --force is given.",
     cmdDemoSetup},
    {"queue", "queue list [--json]\nqueue show NAME [--json]\n"
     "queue add NAME --model PRINTER [--description TEXT] [--address A.B.C.D] [--dry-run] "
     "[VALUE=DATA...]\nqueue set NAME [--address A.B.C.D] [--dry-run] VALUE=DATA...\n"
     "queue delete NAME [--yes] [--dry-run]",
     "List the configured queues (NAME, MODEL, CONNECTIVITY, DEVICE, DESCRIPTION), show one "
     "readably (enumerations by keyword, trays with paper and priority, times in ISO 8601), "
     "add a queue the ODR lists for this print server (PRINTER is a model keyword such as "
     "HP_LASERJET_4M; it starts as the dialogs create it), change values by their registry "
     "names (WaitTimeout=120, Connectivity=TCP_DIRECT, \"Tray2/Bottom=LEGAL, 2\"), or delete "
     "one (asked on a terminal; --yes for scripts). --address gives a TCP Direct queue's port "
     "name its hosts line. A change is held to the dialogs' rules and refused whole, with the "
     "rule's message, when it breaks one; it prints its plan, is recorded in the history, and "
     "--dry-run only prints the plan.", cmdQueue},
    {"dump", "dump [FILE]",
     "Write the whole configuration of this server (general options, fonts, ODR name, every "
     "queue, the hosts lines of the TCP Direct ports) as YAML, in the names and forms of queue "
     "show, to standard output or FILE (written whole, mode 0600 when new).", cmdDump},
    {"apply", "apply FILE|- [--dry-run [--exit-code]] [--prune]",
     "Make the configuration what FILE (YAML or JSON; - standard input) says: parts and values "
     "it leaves out stay, a queue given as null is deleted, and with --prune so is every queue "
     "it does not name. The plan is printed first, a line a change (+ added, ~ changed, - "
     "deleted); then it is applied in one registry transaction and one update of the shared "
     "records, or nothing is. --dry-run prints the plan only and exits 0, or with --exit-code "
     "1 when there are changes.", cmdApply},
    {"history", "history [show N]",
     "List the last 50 committed changes of the configuration (number, time, user, what made "
     "it, its first line), or show every line of change N.", cmdHistory},
    {"restore", "restore N [--dry-run] [--yes]",
     "Bring the configuration back to what it was after change N of the history: its plan is "
     "printed and, once confirmed (asked on a terminal; --yes for scripts), applied as apply "
     "--prune does and recorded itself.", cmdRestore},
    {"log", "log [-f] [-n N]",
     "Print the last N lines (default 20) of the machine root's error log, log/error.log; with "
     "-f, go on printing the lines added to it until interrupted.", cmdLog},
    {"complete", "complete commands|queues|models|papers|options [COMMAND]",
     "Print completion candidates, one a line (for the shell's completion).", cmdComplete, true},
};
// clang-format on

constexpr const char* kGlobalUsage = "usage: lntc [--root DIR] COMMAND [ARGS]\n"
                                     "       lntc COMMAND --help\n"
                                     "       lntc --help | --version\n";

const Command* g_command = nullptr;
std::string g_root; // --root, made absolute

const Command* findCommand(const std::string& name) {
    for (const Command& c : kCommands)
        if (name == c.name) return &c;
    return nullptr;
}

void printUsage(std::FILE* out, const Command& c) {
    const char* lead = "usage: lntc ";
    for (const char* line = c.usage; *line != '\0';) {
        const char* end = std::strchr(line, '\n');
        const size_t n = end != nullptr ? static_cast<size_t>(end - line) : std::strlen(line);
        std::fprintf(out, "%s%.*s\n", lead, static_cast<int>(n), line);
        lead = "       lntc ";
        line += n + (end != nullptr ? 1 : 0);
    }
}

// A paragraph filled to 79 columns after indent.
void printParagraph(std::FILE* out, const std::string& text, const std::string& indent) {
    std::string line;
    size_t at = 0;
    while (at < text.size()) {
        size_t space = text.find(' ', at);
        if (space == std::string::npos) space = text.size();
        const std::string word = text.substr(at, space - at);
        if (!line.empty() && indent.size() + line.size() + 1 + word.size() > 79) {
            std::fprintf(out, "%s%s\n", indent.c_str(), line.c_str());
            line.clear();
        }
        line += (line.empty() ? "" : " ") + word;
        at = space + 1;
    }
    if (!line.empty()) std::fprintf(out, "%s%s\n", indent.c_str(), line.c_str());
}

std::string firstSentence(const char* help) {
    const std::string text(help);
    const size_t end = text.find(". ");
    return end == std::string::npos ? text : text.substr(0, end + 1);
}

void printSummary(std::FILE* out) {
    std::fputs(kGlobalUsage, out);
    std::fputs("Commands:\n", out);
    for (const Command& c : kCommands) {
        if (c.hidden) continue;
        for (const char* line = c.usage; *line != '\0';) {
            const char* end = std::strchr(line, '\n');
            const size_t n = end != nullptr ? static_cast<size_t>(end - line) : std::strlen(line);
            std::fprintf(out, "  %.*s\n", static_cast<int>(n), line);
            line += n + (end != nullptr ? 1 : 0);
        }
        printParagraph(out, firstSentence(c.help), "      ");
    }
    std::fputs("Options:\n"
               "  --root DIR    the machine root, over LNT_ROOT (the default: see lntc(1))\n"
               "  --help, -h    this summary; lntc COMMAND --help explains a command\n"
               "  --version     the version of lntc\n",
               out);
}

void printHelp(const Command& c) {
    printUsage(stdout, c);
    printParagraph(stdout, c.help, "");
}

// The options a command's usage names, for completion.
void printOptions(const Command& c) {
    std::string word;
    for (const char* p = c.usage;; ++p) {
        if (*p == '\0' || std::strchr(" []|\n", *p) != nullptr) {
            if (word.size() > 1 && word[0] == '-') std::printf("%s\n", word.c_str());
            word.clear();
            if (*p == '\0') break;
        } else {
            word += *p;
        }
    }
}

// Candidates for the shell; whatever fails leaves them out, silently.
int cmdComplete(const Args& args) {
    if (args.empty() || args.size() > 2) return usageError();
    const std::string& what = args[0];
    if (const int null = open(kNullDevice, O_WRONLY); null >= 0) {
        dup2(null, STDERR_FILENO);
        close(null);
    }
    if (what == "commands") {
        for (const Command& c : kCommands)
            if (!c.hidden) std::printf("%s\n", c.name);
    } else if (what == "options") {
        const Command* c = args.size() == 2 ? findCommand(args[1]) : nullptr;
        if (c != nullptr) printOptions(*c);
        if (args.size() == 1) std::printf("--root\n--help\n--version\n");
    } else if (what == "models") {
        const char* key = nullptr;
        for (uint32_t i = 0; LNTC_AdminModelKey(LNTC_ADMIN_VERSION, i, &key) == 0; ++i)
            std::printf("%s\n", key);
    } else if (what == "papers") {
        LNTC_AdminPaperSize size{};
        for (uint32_t id = 1; LNTC_AdminFindPaperSize(LNTC_ADMIN_VERSION, nullptr, id, &size) == 0;
             ++id)
            std::printf("%s\n", size.name);
    } else if (what == "queues") {
        // Never a window, nor a machine root made or filled for a completion.
        if (!configurationExists()) return 0;
        setVariable("LNTC_NO_GUI", "1");
        startLibrary();
        const ServerConfig* config = nullptr;
        LNTC_GetConfig(&config, LNTC_CONFIG_VERSION);
        const char* name = nullptr;
        for (int slot = 0; config != nullptr && slot < LNTC_MAX_QUEUES; ++slot)
            if (LNTC_GetQueueName(slot, &name) == 0) std::printf("%s\n", name);
    }
    return 0;
}

bool isHelp(const std::string& a) {
    return a == "--help" || a == "-h";
}

} // namespace

int usageError(const std::string& message) {
    if (!message.empty()) std::fprintf(stderr, "lntc: %s\n", message.c_str());
    if (g_command != nullptr)
        printUsage(stderr, *g_command);
    else
        std::fputs(kGlobalUsage, stderr);
    return 2;
}

void startLibrary() {
    static bool started = false;
    if (started) return;
    started = true;
    LNTC_AdminText why{};
    const uint32_t status =
        LNTC_AdminStart(LNTC_ADMIN_VERSION, g_root.empty() ? nullptr : g_root.c_str(), &why);
    std::string lines = take(why);
    if (status != 0 && lines.empty())
        lines = "the library could not start (" + statusText(status) + ")\n";
    // As the library says it when it starts on load.
    for (size_t at = 0; at < lines.size();) {
        size_t end = lines.find('\n', at);
        if (end == std::string::npos) end = lines.size();
        std::fprintf(stderr, "liblntc: %s\n", lines.substr(at, end - at).c_str());
        at = end + 1;
    }
}

std::string machineRoot() {
    if (!g_root.empty()) return g_root;
    LNTC_AdminText root{};
    LNTC_AdminMachineRoot(LNTC_ADMIN_VERSION, &root);
    return take(root);
}

void sayMachineRoot(bool json) {
    if (json)
        std::fprintf(stderr, "lntc: machine root %s\n", printable(machineRoot()).c_str());
    else
        std::printf("Machine root %s\n\n", printable(machineRoot()).c_str());
}

} // namespace tool

int main(int argc, char** argv) {
    using namespace tool;
    binaryStandardStreams();
    std::vector<std::string> args(argv + 1, argv + argc);
    size_t at = 0;
    // Global options, before the command.
    for (; at < args.size() && !args[at].empty() && args[at][0] == '-'; ++at) {
        const std::string& a = args[at];
        if (isHelp(a)) {
            printSummary(stdout);
            return 0;
        }
        if (a == "--version") {
            std::printf("lntc %s\n", LNTC_TOOL_VERSION);
            return 0;
        }
        std::string root;
        if (a == "--root" && at + 1 < args.size())
            root = args[++at];
        else if (a.rfind("--root=", 0) == 0)
            root = a.substr(7);
        else if (a != "--root")
            return usageError("unknown option " + quote(a));
        if (root.empty()) return usageError("--root needs a folder");
        std::error_code ec;
        g_root = std::filesystem::absolute(root, ec).lexically_normal().string();
        if (ec) g_root = root;
        if (g_root.size() > 1 && g_root.back() == '/') g_root.pop_back();
#ifdef _WIN32
        // A trailing separator goes ("C:\x\" is "C:\x"); a drive's top folder keeps its own.
        if (std::filesystem::path(g_root).has_relative_path() && g_root.back() == '\\')
            g_root.pop_back();
#endif
    }
    if (at == args.size()) return usageError();
    std::string name = args[at++];
    if (name == "help") {
        if (at == args.size()) {
            printSummary(stdout);
            return 0;
        }
        name = args[at];
        args.push_back("--help");
    }
    const Command* command = findCommand(name);
    if (command == nullptr) {
        std::fprintf(stderr, "lntc: unknown command %s\n", quote(name).c_str());
        return usageError();
    }
    g_command = command;
    const Args rest(args.begin() + static_cast<std::ptrdiff_t>(at), args.end());
    for (const std::string& a : rest) {
        if (isHelp(a)) {
            printHelp(*command);
            return 0;
        }
    }
    try {
        return command->run(rest);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "lntc: %s\n", printable(e.what()).c_str());
        return 1;
    }
}

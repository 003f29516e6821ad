// lntc: the configuration of this print server from the command line.
#include "commands.h"
#include "common/admin_text.h"
#include "media_commands.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

void usage(std::FILE* out) {
    std::fputs("usage: lntc COMMAND [ARGS]\n"
               "  show [--json]             the general record and every used queue slot\n"
               "  retain QUEUE 0|1          clear or set the queue's retain-files flag\n"
               "  postscript QUEUE          whether the queue's printer takes PostScript\n"
               "  kanji-fonts [--clear]     the NeedKanjiDiskFonts value (and clear it)\n"
               "  find NAME                 id of the process with that image name\n"
               "  kill NAME                 stop the process with that image name\n"
               "  hold                      keep the configuration attached until input ends\n"
               "  reg import FILE           import a registry file (all or nothing)\n"
               "  reg export [--regedit4|--v5] KEY [FILE]\n"
               "                            export a key and its subkeys\n"
               "  media [--json]            the default media table of every printer model\n"
               "  orientation QUEUE PAPER   feed orientation of a paper size on the queue's model\n"
               "  ldpx MODEL [--json]       the large-document printer file's values for a model\n"
               "  paper NAME|ID             a paper size of the catalogue\n"
               "  demo-setup [--force]      install the demo installation under the machine root\n"
               "The machine root is LNT_ROOT when set.\n",
               out);
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        usage(args.empty() ? stderr : stdout);
        return args.empty() ? 2 : 0;
    }
    const std::string command = args[0];
    args.erase(args.begin());
    try {
        if (command == "show") return tool::cmdShow(args);
        if (command == "retain") return tool::cmdRetain(args);
        if (command == "postscript") return tool::cmdPostScript(args);
        if (command == "kanji-fonts") return tool::cmdKanjiFonts(args);
        if (command == "find") return tool::cmdFind(args);
        if (command == "kill") return tool::cmdKill(args);
        if (command == "hold") return tool::cmdHold(args);
        if (command == "reg") return tool::cmdReg(args);
        if (command == "demo-setup") return tool::cmdDemoSetup(args);
        if (command == "media") return tool::cmdMedia(args);
        if (command == "orientation") return tool::cmdOrientation(args);
        if (command == "ldpx") return tool::cmdLdpx(args);
        if (command == "paper") return tool::cmdPaper(args);
        if (command == "queue") return tool::cmdQueue(args);
        if (command == "dump") return tool::cmdDump(args);
        if (command == "apply") return tool::cmdApply(args);
        if (command == "history") return tool::cmdHistory(args);
        if (command == "restore") return tool::cmdRestore(args);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "lntc: %s\n", tool::printable(e.what()).c_str());
        return 1;
    }
    std::fprintf(stderr, "lntc: unknown command %s\n", tool::quote(command).c_str());
    usage(stderr);
    return 2;
}

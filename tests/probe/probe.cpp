// A product process for the integration tests: it loads liblntc.so like the print server
// does and runs the commands it reads, one answer line per command.
#include "lntc/lntc.h"
#include "lntc_admin.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>

int main() {
    std::string line;
    const ServerConfig* config = nullptr;
    while (std::getline(std::cin, line)) {
        std::istringstream in(line);
        std::string cmd, name;
        in >> cmd >> name;
        const QueueRecord* q = nullptr;
        if (cmd == "config") {
            uint32_t rc = LNTC_GetConfig(&config, LNTC_CONFIG_VERSION);
            std::printf("config %u %u %s %u\n", rc, config ? config->QueueCount : 0u,
                        config ? config->DefaultODR : "-", config ? config->OdrRelease : 0u);
        } else if (cmd == "queue") {
            uint32_t rc = LNTC_GetQueue(name.c_str(), &q, LNTC_QUEUE_VERSION);
            std::printf("queue %u %u %s|%s|%s\n", rc, q ? q->PrintDest : 0u, q ? q->Printer : "",
                        q ? q->Description : "", q ? q->DeviceName : "");
        } else if (cmd == "path") {
            const char* path = std::getenv("PATH");
            std::printf("path %s\n", path ? path : "-");
        } else if (cmd == "versions") {
            // Each interface's own constant, and one below and above it.
            std::printf("versions");
            for (uint32_t v : {2002u, 2003u, 2004u})
                std::printf(" %08X", LNTC_GetConfig(&config, v));
            for (uint32_t v : {3003u, 3004u, 3005u})
                std::printf(" %08X", LNTC_GetQueue(name.c_str(), &q, v));
            for (uint32_t v :
                 {LNTC_ADMIN_VERSION - 1, LNTC_ADMIN_VERSION, LNTC_ADMIN_VERSION + 1}) {
                LNTC_AdminText text{};
                std::printf(" %08X", LNTC_AdminStatusText(v, 0, &text));
                LNTC_AdminFreeText(&text);
            }
            std::printf("\n");
        } else if (cmd == "configure") {
            // A process that loaded the library as the product does may not start it again.
            LNTC_AdminRun run{};
            run.script = "";
            uint32_t ended = 0, display = 0;
            std::printf("configure %08X\n",
                        LNTC_AdminConfigure(LNTC_ADMIN_VERSION, &run, &ended, &display));
        } else if (cmd == "poke") {
            // A stray write through a handed-out pointer must fault, not corrupt.
            std::fflush(stdout);
            const_cast<ServerConfig*>(config)->QueueDepth = 99;
            std::printf("poked\n");
        }
        std::fflush(stdout);
    }
    return 0;
}

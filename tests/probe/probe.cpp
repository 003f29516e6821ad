// A product process for the integration tests: it loads liblntc.so like the print server
// does and runs the commands it reads, one answer line per command.
#include "lntc/lntc.h"

#include <cstdio>
#include <cstring>
#include <iostream>
#include <sstream>
#include <string>

int main() {
    std::string line;
    const ServerConfig* config = nullptr;
    while (std::getline(std::cin, line)) {
        std::istringstream in(line);
        std::string cmd;
        in >> cmd;
        if (cmd == "config") {
            uint32_t rc = LNTC_GetConfig(&config, LNTC_CONFIG_VERSION);
            std::printf("config %u %u %s %u\n", rc, config ? config->QueueCount : 0u,
                        config ? config->DefaultODR : "-", config ? config->OdrRelease : 0u);
        } else if (cmd == "queue") {
            std::string name;
            in >> name;
            const QueueRecord* q = nullptr;
            uint32_t rc = LNTC_GetQueue(name.c_str(), &q, LNTC_QUEUE_VERSION);
            std::printf("queue %u %u %s|%s\n", rc, q ? q->PrintDest : 0u, q ? q->Printer : "",
                        q ? q->Description : "");
        } else if (cmd == "name") {
            int index = 0;
            in >> index;
            const char* name = nullptr;
            uint32_t rc = LNTC_GetQueueName(index, &name);
            std::printf("name %u %s\n", rc, name ? name : "-");
        } else if (cmd == "retain") {
            std::string name;
            int flag = 0;
            in >> name >> flag;
            std::printf("retain %u\n", LNTC_RetainFiles(name.c_str(), flag));
        } else if (cmd == "poke") {
            // A stray write through a handed-out pointer must fault, not corrupt.
            std::fflush(stdout);
            const_cast<ServerConfig*>(config)->QueueDepth = 99;
            std::printf("poked\n");
        } else if (cmd == "exit") {
            break;
        } else {
            std::printf("unknown %s\n", cmd.c_str());
        }
        std::fflush(stdout);
    }
    return 0;
}

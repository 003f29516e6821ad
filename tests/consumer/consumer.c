/*
 * A product program built against the installed library, as the print server and the
 * administrator program are. It prints how many windows the machine's window registry holds
 * once the library is loaded (the start-up logo, when the Qt host was found), then the queue
 * its argument names as the exports give it.
 */
#include "../probe/recorded_windows.h"
#include <lntc/lntc.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const ServerConfig* config = NULL;
    uint32_t rc = LNTC_GetConfig(&config, LNTC_CONFIG_VERSION);
    printf("windows %d\n", recordedWindows());
    const QueueRecord* queue = NULL;
    if (rc == 0) rc = LNTC_GetQueue(argv[1], &queue, LNTC_QUEUE_VERSION);
    printf("queue %u %s\n", rc, queue ? queue->Description : "-");
    LNTC_EndLogo();
    return rc == 0 ? 0 : 1;
}

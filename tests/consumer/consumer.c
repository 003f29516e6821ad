/*
 * A product program built against the installed library, as the print server and the
 * administrator program are. It prints how many windows the machine's window registry holds
 * once the library is loaded (the start-up logo, when the Qt host was found), then the queue
 * its argument names as the exports give it.
 */
#include <lntc/lntc.h>

#include <dirent.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static int recordedWindows(void) {
    const char* root = getenv("LNT_ROOT");
    if (root == NULL) return 0;
    char path[4096];
    snprintf(path, sizeof path, "%s/run/windows", root);
    DIR* dir = opendir(path);
    if (dir == NULL) return 0;
    int n = 0;
    for (struct dirent* e = readdir(dir); e != NULL; e = readdir(dir))
        if (strstr(e->d_name, ".win") != NULL) ++n;
    closedir(dir);
    return n;
}

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

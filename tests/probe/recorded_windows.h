/* The windows this machine's window registry records (the start-up logo while it is shown),
 * for the test programs in C and C++. */
#pragma once
#include <dirent.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static int recordedWindows(void) {
    const char* root = getenv("LNT_ROOT");
    char path[4096];
    snprintf(path, sizeof path, "%s/run/windows", root ? root : "");
    DIR* dir = root ? opendir(path) : NULL;
    int n = 0;
    for (struct dirent* e = dir ? readdir(dir) : NULL; e != NULL; e = readdir(dir))
        if (strstr(e->d_name, ".win") != NULL) ++n;
    if (dir != NULL) closedir(dir);
    return n;
}

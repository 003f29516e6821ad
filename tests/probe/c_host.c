/*
 * A C program that loads liblntc.so with dlopen, as a product tool without Qt does, and
 * returns from main. Arguments: the library, then any of
 *   german-numbers  the program itself chooses German numbers (LC_NUMERIC) before loading
 *   end-logo        LNTC_EndLogo after reading
 *   dlclose         unloads the library before returning
 * Its output is left in stdio's buffer until the process exits, so that a crash at exit
 * shows as lost output.
 */
#include "lntc/lntc.h"
#include "recorded_windows.h"

#include <dlfcn.h>
#include <locale.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static int has(int argc, char** argv, const char* word) {
    for (int i = 2; i < argc; ++i)
        if (strcmp(argv[i], word) == 0) return 1;
    return 0;
}

static void symbol(void* library, const char* name, void* fn) {
    void* p = dlsym(library, name);
    if (p == NULL) {
        printf("missing %s\n", name);
        exit(3);
    }
    memcpy(fn, &p, sizeof p);
}

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    if (has(argc, argv, "german-numbers") && setlocale(LC_NUMERIC, "de_DE.UTF-8") == NULL) return 4;
    char before[512];
    snprintf(before, sizeof before, "%s", setlocale(LC_ALL, NULL));

    void* library = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (library == NULL) {
        printf("dlopen %s\n", dlerror());
        return 2;
    }
    printf("windows %d\n", recordedWindows());
    printf("locale %s\n", strcmp(before, setlocale(LC_ALL, NULL)) == 0 ? "kept" : "changed");

    uint32_t (*getConfig)(const ServerConfig**, uint32_t);
    uint32_t (*getQueue)(const char*, const QueueRecord**, uint32_t);
    void (*endLogo)(void);
    symbol(library, "LNTC_GetConfig", &getConfig);
    symbol(library, "LNTC_GetQueue", &getQueue);
    symbol(library, "LNTC_EndLogo", &endLogo);

    const ServerConfig* config = NULL;
    const QueueRecord* queue = NULL;
    getConfig(&config, LNTC_CONFIG_VERSION);
    uint32_t rc = getQueue("LASER", &queue, LNTC_QUEUE_VERSION);
    /* Tenths as an integer whatever the locale, then as the program's own printf shows it. */
    double overscan = queue != NULL ? queue->OverscanAmt : -1.0;
    printf("overscan %u %d %.1f\n", rc, (int)(overscan * 10 + 0.5), overscan);

    if (has(argc, argv, "end-logo")) endLogo();
    if (has(argc, argv, "dlclose") && dlclose(library) != 0) printf("dlclose %s\n", dlerror());
    printf("done\n");
    return 0;
}

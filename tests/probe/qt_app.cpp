// A Qt program that makes its own application object, then loads liblntc.so with dlopen (the
// library shows its logo in the program's application). Arguments: the library and the order
// of the end:
//   end-of-main      the application object ends with main, the library at exit
//   app-then-unload  the application object is deleted, then the library unloaded
//   unload-then-app  the library is unloaded, then the application object deleted
#include "lntc/lntc.h"
#include "recorded_windows.h"

#include <QApplication>

#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <memory>
#include <string>

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    const std::string order = argv[2];
    auto app = std::make_unique<QApplication>(argc, argv);
    void* library = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        std::printf("dlopen %s\n", dlerror());
        return 2;
    }
    auto getConfig = reinterpret_cast<decltype(&LNTC_GetConfig)>(dlsym(library, "LNTC_GetConfig"));
    const ServerConfig* config = nullptr;
    std::printf("windows %d config %s\n", recordedWindows(),
                getConfig != nullptr && getConfig(&config, LNTC_CONFIG_VERSION) != LNTC_E_NOT_LOADED
                    ? "read"
                    : "missing");
    if (order == "app-then-unload") {
        app.reset();
        dlclose(library);
    } else if (order == "unload-then-app") {
        dlclose(library);
        app.reset();
    }
    std::printf("done\n");
    return 0;
}

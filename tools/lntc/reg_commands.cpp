// Registry files and the demo installation, through the library's administration interface.
#include "commands.h"
#include "common/admin_text.h"
#include "common/system.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>

namespace tool {

namespace {

// A failed call: its reason, or what its status means.
int failed(uint32_t status, LNTC_AdminText& why) {
    std::string text = take(why);
    if (text.empty()) text = statusText(status);
    std::fprintf(stderr, "lntc: %s\n", text.c_str());
    return 1;
}

std::string shareDir() {
    if (const char* s = std::getenv("LNTC_SHARE"); s && *s) return s;
    // Installed, the data lies at the same place relative to the program wherever the tree was
    // put; in the build tree it is the checkout's share/.
    std::error_code ec;
    auto self = selfPath(ec);
    if (!ec) {
        auto installed = self.parent_path() / LNTC_SHARE_FROM_BIN;
        if (std::filesystem::is_directory(installed / "demo", ec)) return installed.string();
    }
    return LNTC_SHARE_DIR;
}

} // namespace

int cmdReg(const Args& args) {
    if (args.empty()) return usageError();
    LNTC_AdminText why{};
    if (args[0] == "import") {
        if (args.size() != 2) return usageError();
        startLibrary();
        if (uint32_t rc = LNTC_AdminImportRegistry(LNTC_ADMIN_VERSION, args[1].c_str(), &why))
            return failed(rc, why);
        std::printf("imported %s\n",
                    args[1] == "-" ? "standard input" : printable(args[1]).c_str());
        return 0;
    }
    if (args[0] == "export") {
        // Files get the editors' current format, standard output the single-byte one that
        // reads on a terminal; --regedit4 and --v5 choose.
        std::vector<std::string> rest;
        std::optional<uint32_t> format;
        for (size_t i = 1; i < args.size(); ++i) {
            if (args[i] == "--regedit4")
                format = LNTC_ADMIN_REGEDIT4;
            else if (args[i] == "--v5")
                format = LNTC_ADMIN_REG_V5;
            else
                rest.push_back(args[i]);
        }
        if (rest.empty() || rest.size() > 2) return usageError();
        startLibrary();
        if (!format) format = rest.size() == 2 ? LNTC_ADMIN_REG_V5 : LNTC_ADMIN_REGEDIT4;
        LNTC_AdminText out{};
        const uint32_t rc =
            LNTC_AdminExportRegistry(LNTC_ADMIN_VERSION, rest[0].c_str(), *format,
                                     rest.size() == 2 ? rest[1].c_str() : nullptr, &out, &why);
        const std::string text = take(out);
        if (rc != 0) return failed(rc, why);
        std::fwrite(text.data(), 1, text.size(), stdout);
        return 0;
    }
    return usageError("no reg command " + quote(args[0]));
}

int cmdDemoSetup(const Args& args) {
    bool force = false;
    for (const auto& a : args) {
        if (a == "--force")
            force = true;
        else
            return usageError();
    }
    startLibrary();
    LNTC_AdminText report{};
    const uint32_t rc =
        LNTC_AdminDemoSetup(LNTC_ADMIN_VERSION, shareDir().c_str(), force ? 1 : 0, &report);
    if (rc != 0) return failed(rc, report);
    std::printf("%s\n", take(report).c_str());
    return 0;
}

} // namespace tool

// Registry files and the demo installation: these work on the machine root's store directly.
#include "commands.h"
#include "platform/platform.h"
#include "platform/printable.h"
#include "product/posix_product.h"
#include "store/regfile.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

namespace fs = std::filesystem;

namespace lntc::tool {

namespace {

bool readWholeFile(const std::string& path, std::string& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream s;
    s << in.rdbuf();
    out = s.str();
    return static_cast<bool>(in) || in.eof();
}

bool writeWholeFile(const std::string& path, const std::string& data) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << data;
    return static_cast<bool>(out);
}

int importFile(Registry& reg, const std::string& path) {
    std::string bytes;
    if (!readWholeFile(path, bytes)) {
        std::fprintf(stderr, "lntc: cannot read %s\n", quote(path).c_str());
        return 1;
    }
    RegFileError error;
    uint32_t rc = importRegistry(reg, bytes, error);
    if (rc != 0) {
        std::fprintf(stderr, "lntc: %s: %s\n", quote(path).c_str(),
                     error.message.empty() ? systemErrorText(rc).c_str() : error.message.c_str());
        return 1;
    }
    return 0;
}

std::string shareDir() {
    if (const char* s = std::getenv("LNTC_SHARE"); s && *s) return s;
    return LNTC_SHARE_DIR;
}

} // namespace

int cmdReg(const Args& args) {
    if (args.empty()) return usageError("usage: lntc reg import FILE | lntc reg export KEY [FILE]");
    PosixPlatform machine(defaultMachineRoot());
    Registry& reg = *machine.platform().registry;
    if (args[0] == "import") {
        if (args.size() != 2) return usageError("usage: lntc reg import FILE");
        int rc = importFile(reg, args[1]);
        if (rc == 0) std::printf("imported %s\n", printable(args[1]).c_str());
        return rc;
    }
    if (args[0] == "export") {
        // Files get the editors' current format, standard output the single-byte one that
        // reads on a terminal; --regedit4 and --v5 choose.
        std::vector<std::string> rest;
        std::optional<RegFileFormat> format;
        for (size_t i = 1; i < args.size(); ++i) {
            if (args[i] == "--regedit4")
                format = RegFileFormat::Regedit4;
            else if (args[i] == "--v5")
                format = RegFileFormat::V5;
            else
                rest.push_back(args[i]);
        }
        if (rest.empty() || rest.size() > 2)
            return usageError("usage: lntc reg export [--regedit4|--v5] KEY [FILE]");
        if (!format) format = rest.size() == 2 ? RegFileFormat::V5 : RegFileFormat::Regedit4;
        std::string out, why;
        uint32_t rc = exportRegistry(reg, rest[0], *format, out, &why);
        if (rc != 0) {
            std::fprintf(stderr, "lntc: %s: %s\n", quote(rest[0]).c_str(),
                         why.empty() ? systemErrorText(rc).c_str() : why.c_str());
            return 1;
        }
        if (rest.size() == 2) {
            if (!writeWholeFile(rest[1], out)) {
                std::fprintf(stderr, "lntc: cannot write %s\n", quote(rest[1]).c_str());
                return 1;
            }
        } else {
            std::fwrite(out.data(), 1, out.size(), stdout);
        }
        return 0;
    }
    return usageError("usage: lntc reg import FILE | lntc reg export KEY [FILE]");
}

int cmdDemoSetup(const Args& args) {
    bool force = false;
    for (const auto& a : args) {
        if (a == "--force")
            force = true;
        else
            return usageError("usage: lntc demo-setup [--force]");
    }
    const std::string root = defaultMachineRoot();
    PosixPlatform machine(root);
    Platform& p = machine.platform();
    Registry& reg = *p.registry;
    RegKey key = kNoKey;
    bool installed =
        reg.openKey(kLocalMachine, "SOFTWARE\\Quendal\\PrintServer\\CurrentVersion\\Queues",
                    RegAccess::Read, key) == 0;
    if (installed) reg.closeKey(key);
    if (installed && !force) {
        std::printf("demo installation already present under %s\n", printable(root).c_str());
        return 0;
    }
    const std::string share = shareDir() + "/demo";
    for (const char* file : {"registry.reg", "default-media.reg"}) {
        std::string path = share + "/" + file;
        if (!fs::exists(path)) continue;
        if (importFile(reg, path) != 0) return 1;
    }

    std::error_code ec;
    fs::create_directories(root + "/odr", ec);
    std::string directory;
    if (!readWholeFile(share + "/odr-directory.json", directory)) {
        std::fprintf(stderr, "lntc: cannot read %s/odr-directory.json\n", share.c_str());
        return 1;
    }
    const std::string server = printServerNameFromEnv(p.env->hostName());
    for (size_t at; (at = directory.find("@PRINT_SERVER@")) != std::string::npos;)
        directory.replace(at, 14, server);
    if (!writeWholeFile(root + "/odr/directory.json", directory)) {
        std::fprintf(stderr, "lntc: cannot write %s/odr/directory.json\n", root.c_str());
        return 1;
    }

    // Driver modules of most models; ENGB is left out so that a missing driver can be seen.
    const std::string bin = root + "/drive_c/qdsw/lnt/bin";
    fs::create_directories(bin, ec);
    for (const char* module : {"LJA", "LJB", "LJC", "ENGA", "LDPX", "GNX"})
        writeWholeFile(bin + "/" + module + ".dll",
                       std::string("demo driver module ") + module + "\n");
    const std::string local = root + "/drive_c/qdsw_local";
    for (const char* dir : {"tmp", "sd", "fonts"})
        fs::create_directories(local + "/" + dir, ec);
    if (fs::exists(share + "/ldpx.cfg"))
        fs::copy_file(share + "/ldpx.cfg", local + "/sd/ldpx.cfg",
                      fs::copy_options::overwrite_existing, ec);
    for (const char* font : {"lg.2ps", "prestige.2ps", "cournarr.2ps", "iso.2ps"})
        writeWholeFile(local + "/fonts/" + font, "%!PS-AdobeFont-1.0 demo\n");
    std::printf("demo installation written under %s (print server '%s')\n", root.c_str(),
                server.c_str());
    return 0;
}

} // namespace lntc::tool

// Registry files and the demo installation: these work on the machine root's store directly.
#include "commands.h"
#include "connectivity/hosts_file.h"
#include "platform/posix/posix_platform.h"
#include "platform/posix/trusted_files.h"
#include "platform/printable.h"
#include "product/posix_product.h"
#include "store/regfile.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

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
    // Checked before the file is even read: a damaged store takes nothing.
    if (const std::string damage = reg.damage(); !damage.empty()) {
        std::fprintf(stderr,
                     "lntc: the registry database %s failed its integrity check (%s); "
                     "nothing was imported\n",
                     quote(defaultMachineRoot() + "/registry.db").c_str(),
                     printable(damage).c_str());
        return 1;
    }
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

// The demo's folders and files: group members may read them, nobody else anything, whatever
// the umask of the one who installs them.
constexpr mode_t kDemoFolderMode = 0750;
constexpr mode_t kDemoFileMode = 0640;

std::string failureText(const std::string& path, int error) {
    return quote(path) + ": " + std::strerror(error);
}

// Creates root/relative folder by folder. A part that exists must be a folder, not a symbolic
// link that would take the files elsewhere; parts that exist keep their mode.
std::string makeFolders(const std::string& root, const std::string& relative) {
    std::string path = root;
    for (size_t start = 0; start < relative.size();) {
        size_t end = relative.find('/', start);
        if (end == std::string::npos) end = relative.size();
        path += "/" + relative.substr(start, end - start);
        start = end + 1;
        if (::mkdir(path.c_str(), kDemoFolderMode) != 0) {
            struct stat st {};
            if (errno != EEXIST || ::lstat(path.c_str(), &st) != 0) return failureText(path, errno);
            if (!S_ISDIR(st.st_mode)) return quote(path) + " is not a folder";
            continue;
        }
        // The umask may have taken bits away; the folder is ours, so it gets its mode.
        const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        const bool ok = fd >= 0 && setNewFolderMode(fd, kDemoFolderMode) == 0;
        const int error = errno;
        if (fd >= 0) ::close(fd);
        if (!ok) return failureText(path, error);
    }
    return {};
}

// The whole file with its mode, written into a fresh file beside it and renamed over the old
// one: a reader never sees half of it, and a symbolic link in its place is replaced, not
// followed.
std::string writeFileAtomically(const std::string& path, std::string_view data, mode_t mode) {
    std::string temporary = path + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) return failureText(path, errno);
    bool ok = ::fchmod(fd, mode) == 0;
    for (size_t done = 0; ok && done < data.size();) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n == 0) errno = EIO;
        ok = n > 0;
        if (ok) done += static_cast<size_t>(n);
    }
    int error = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok && ::rename(temporary.c_str(), path.c_str()) != 0) {
        ok = false;
        error = errno;
    }
    if (ok) return {};
    ::unlink(temporary.c_str());
    return failureText(path, error);
}

std::string shareDir() {
    if (const char* s = std::getenv("LNTC_SHARE"); s && *s) return s;
    // Installed, the data lies at the same place relative to the program wherever the tree was
    // put; in the build tree it is the checkout's share/.
    std::error_code ec;
    auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        auto installed = self.parent_path() / LNTC_SHARE_FROM_BIN;
        if (std::filesystem::is_directory(installed / "demo", ec)) return installed.string();
    }
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

    std::string directory;
    if (!readWholeFile(share + "/odr-directory.json", directory)) {
        std::fprintf(stderr, "lntc: cannot read %s\n",
                     quote(share + "/odr-directory.json").c_str());
        return 1;
    }
    const std::string server = printServerNameFromEnv(p.env->hostName());
    for (size_t at; (at = directory.find("@PRINT_SERVER@")) != std::string::npos;)
        directory.replace(at, 14, server);
    std::vector<std::pair<std::string, std::string>> files = {{"odr/directory.json", directory}};
    // Driver modules of most models; ENGB is left out so that a missing driver can be seen.
    for (const char* module : {"LJA", "LJB", "LJC", "ENGA", "LDPX", "GNX"}) {
        files.emplace_back(std::string("drive_c/qdsw/lnt/bin/") + module + ".dll",
                           std::string("demo driver module ") + module + "\n");
    }
    for (const char* font : {"lg.2ps", "prestige.2ps", "cournarr.2ps", "iso.2ps"})
        files.emplace_back(std::string("drive_c/qdsw_local/fonts/") + font,
                           "%!PS-AdobeFont-1.0 demo\n");
    if (fs::exists(share + "/ldpx.cfg")) {
        std::string ldpx;
        if (!readWholeFile(share + "/ldpx.cfg", ldpx)) {
            std::fprintf(stderr, "lntc: cannot read %s\n", quote(share + "/ldpx.cfg").c_str());
            return 1;
        }
        files.emplace_back("drive_c/qdsw_local/sd/ldpx.cfg", std::move(ldpx));
    }

    std::vector<std::string> folders = {"odr", "drive_c/qdsw/lnt/bin", "drive_c/qdsw_local/tmp",
                                        "drive_c/qdsw_local/sd", "drive_c/qdsw_local/fonts"};
    // The hosts file goes where the library looks for it, through the same drive map.
    const std::string driveC = p.files->hostPath("C:\\");
    const std::string hosts = p.files->hostPath(HostsFilePath(*p.env));
    if (hosts.starts_with(driveC + "/") && fs::exists(share + "/hosts")) {
        std::string text;
        if (!readWholeFile(share + "/hosts", text)) {
            std::fprintf(stderr, "lntc: cannot read %s\n", quote(share + "/hosts").c_str());
            return 1;
        }
        const std::string relative = "drive_c" + hosts.substr(driveC.size());
        folders.push_back(relative.substr(0, relative.rfind('/')));
        files.emplace_back(relative, std::move(text));
    }

    std::string failure;
    for (const std::string& folder : folders) {
        if (!failure.empty()) break;
        failure = makeFolders(root, folder);
    }
    for (const auto& [relative, data] : files) {
        if (!failure.empty()) break;
        failure = writeFileAtomically(root + "/" + relative, data, kDemoFileMode);
    }
    if (!failure.empty()) {
        std::fprintf(stderr, "lntc: %s\n", failure.c_str());
        return 1;
    }
    std::printf("demo installation written under %s (print server %s)\n", printable(root).c_str(),
                quote(server).c_str());
    return 0;
}

} // namespace lntc::tool

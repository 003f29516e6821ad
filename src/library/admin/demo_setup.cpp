// The demo installation under the machine root: its registry, ODR directory, driver modules,
// fonts, ldpx.cfg and hosts file.
#include "connectivity/hosts_file.h"
#include "library/admin/admin.h"
#include "library/admin/output_file.h"
#include "library/library.h"
#ifndef _WIN32
#include "platform/posix/trusted_files.h"
#endif
#include "platform/printable.h"
#include "product/posix_product.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#ifndef _WIN32
#include <unistd.h>
#endif
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace lntc::admin {

namespace {

// The demo's folders and files: group members may read them, nobody else anything, whatever
// the umask of the one who installs them.
constexpr mode_t kDemoFolderMode = 0750;
constexpr mode_t kDemoFileMode = 0640;

[[maybe_unused]] std::string failureText(const std::string& path, int error) {
    return quote(path) + ": " + std::strerror(error);
}

// Creates root/relative folder by folder. A part that exists must be a folder, not a symbolic
// link that would take the files elsewhere; parts that exist keep their mode.
std::string makeFolders(const std::string& root, const std::string& relative) {
#ifdef _WIN32
    // No modes here: a folder takes the access of the one it lies in.
    std::error_code ec;
    fs::path path(root);
    for (const fs::path& part : fs::path(relative)) {
        path /= part;
        if (fs::create_directory(path, ec) || ec) {
            if (ec) return quote(path.string()) + ": " + ec.message();
            continue;
        }
        if (fs::is_symlink(fs::symlink_status(path, ec)) || !fs::is_directory(path, ec))
            return quote(path.string()) + " is not a folder";
    }
    return {};
#else
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
#endif
}

} // namespace

uint32_t DemoSetup(Library& lib, const std::string& root, const std::string& shareDir, bool force,
                   std::string& report) {
    Platform& p = lib.platform();
    Registry& reg = *p.registry;
    RegKey key = kNoKey;
    const bool installed =
        reg.openKey(kLocalMachine, "SOFTWARE\\Quendal\\PrintServer\\CurrentVersion\\Queues",
                    RegAccess::Read, key) == 0;
    if (installed) reg.closeKey(key);
    if (installed && !force) {
        report = "demo installation already present under " + printable(root);
        return 0;
    }
    const std::string share = shareDir + "/demo";
    for (const char* file : {"registry.reg", "default-media.reg"}) {
        const std::string path = share + "/" + file;
        if (!fs::exists(path)) continue;
        if (uint32_t rc = ImportRegistryFile(reg, root, path, std::nullopt, report); rc != 0)
            return rc;
    }
    auto unreadable = [&](const std::string& path) {
        report = "cannot read " + quote(path);
        return LNTC_ADMIN_E_FAILED;
    };

    std::string directory;
    if (!ReadWholeFile(share + "/odr-directory.json", directory))
        return unreadable(share + "/odr-directory.json");
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
        if (!ReadWholeFile(share + "/ldpx.cfg", ldpx)) return unreadable(share + "/ldpx.cfg");
        files.emplace_back("drive_c/qdsw_local/sd/ldpx.cfg", std::move(ldpx));
    }

    std::vector<std::string> folders = {"odr", "drive_c/qdsw/lnt/bin", "drive_c/qdsw_local/tmp",
                                        "drive_c/qdsw_local/sd", "drive_c/qdsw_local/fonts"};
    // The hosts file goes where the library looks for it, through the same drive map.
    const std::string driveC = p.files->hostPath("C:\\");
    const std::string hosts = p.files->hostPath(HostsFilePath(*p.env));
    if (hosts.starts_with(driveC + "/") && fs::exists(share + "/hosts")) {
        std::string text;
        if (!ReadWholeFile(share + "/hosts", text)) return unreadable(share + "/hosts");
        const std::string relative = "drive_c" + hosts.substr(driveC.size());
        folders.push_back(relative.substr(0, relative.rfind('/')));
        files.emplace_back(relative, std::move(text));
    }

#ifdef _WIN32
    // Drive C is the machine's own: the product's files go to its folders, and a file that is
    // there already (a real installation's) is kept.
    const std::string machineC = driveC; // "C:\\", the drive's top folder
    const auto place = [&](const std::string& relative) -> std::pair<std::string, std::string> {
        if (relative.starts_with("drive_c/")) return {machineC, relative.substr(8)};
        return {root, relative};
    };
#else
    const auto place = [&](const std::string& relative) -> std::pair<std::string, std::string> {
        return {root, relative};
    };
#endif
    std::string failure;
    for (const std::string& folder : folders) {
        if (!failure.empty()) break;
        const auto [base, rest] = place(folder);
        failure = makeFolders(base, rest);
    }
    for (const auto& [relative, data] : files) {
        if (!failure.empty()) break;
        const auto [base, rest] = place(relative);
        const std::string path = base + (base.ends_with('\\') ? "" : "/") + rest;
#ifdef _WIN32
        if (base != root && fs::exists(path)) continue;
#endif
        if (std::string why;
            !WriteWholeFile(path, data, kDemoFileMode, OutputFile::Devices::Replace, why))
            failure = quote(path) + ": " + why;
    }
    if (!failure.empty()) {
        report = failure;
        return LNTC_ADMIN_E_FAILED;
    }
    report = "demo installation written under " + printable(root) + " (print server " +
             quote(server) + ")";
    return 0;
}

} // namespace lntc::admin

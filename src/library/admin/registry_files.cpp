// Registry files in and out of the machine root's registry, for the tools.
#include "library/admin/admin.h"
#include "library/admin/history.h"
#include "library/admin/output_file.h"
#include "library/admin/regfile.h"
#include "platform/errors.h"
#include "platform/printable.h"
#include "platform/registry.h"

#include <algorithm>
#include <cstdio>

namespace lntc::admin {

namespace {

// An export is the administrator's to share; it is not kept from other users.
constexpr mode_t kExportMode = 0644;

} // namespace

bool ReadWholeFile(const std::string& path, std::string& out, bool* tooLarge) {
    if (tooLarge != nullptr) *tooLarge = false;
    const bool standardInput = path == "-";
    std::FILE* in = standardInput ? stdin : std::fopen(path.c_str(), "rb");
    if (in == nullptr) return false;
    out.clear();
    char buf[65536];
    size_t n = 0;
    // One byte past the bound tells a file at the bound from a larger one.
    while (out.size() <= kMaxAdminFileBytes && (n = std::fread(buf, 1, sizeof buf, in)) > 0)
        out.append(buf, std::min(n, kMaxAdminFileBytes + 1 - out.size()));
    const bool failed = std::ferror(in) != 0;
    if (!standardInput) std::fclose(in);
    if (out.size() > kMaxAdminFileBytes) {
        if (tooLarge != nullptr) *tooLarge = true;
        out.clear();
        return false;
    }
    return !failed;
}

uint32_t ImportRegistryFile(Registry& reg, const std::string& root, const std::string& path,
                            std::optional<int64_t> recordAt, std::string& why) {
    // Checked before the file is even read: a damaged store takes nothing.
    if (const std::string damage = reg.damage(); !damage.empty()) {
        why = "the registry database " + quote(root + "/registry.db") +
              " failed its integrity check (" + printable(damage) + "); nothing was imported";
        return LNTC_ADMIN_E_FAILED;
    }
    std::string bytes;
    bool tooLarge = false;
    const std::string name = path == "-" ? "standard input" : quote(path);
    if (!ReadWholeFile(path, bytes, &tooLarge)) {
        why = tooLarge ? name + " is larger than " + std::to_string(kMaxAdminFileBytes >> 20) +
                             " MiB; nothing was imported"
                       : "cannot read " + name;
        return LNTC_ADMIN_E_FAILED;
    }
    RegFileError error;
    // The import is in the history with the keys it wrote; what it made of the configuration
    // shows when the records are next filled.
    auto account = [&](const std::vector<std::string>& keys) -> uint32_t {
        constexpr size_t kListed = 40;
        std::vector<std::string> lines;
        for (size_t i = 0; i < keys.size() && i < kListed; ++i)
            lines.push_back(keys[i].substr(0, 2) + "key " + printable(keys[i].substr(2)));
        if (keys.size() > kListed)
            lines.push_back("  and " + std::to_string(keys.size() - kListed) + " more keys");
        if (lines.empty()) lines.push_back("~ no key");
        return AppendHistoryEntry(reg, *recordAt, "reg import " + path, lines, "");
    };
    if (uint32_t rc =
            importRegistry(reg, bytes, error, recordAt ? std::function(account) : nullptr);
        rc != 0) {
        why = name + ": " + (error.message.empty() ? systemErrorText(rc) : error.message);
        return LNTC_ADMIN_E_FAILED;
    }
    return 0;
}

uint32_t ExportRegistryKey(Registry& reg, const std::string& key, uint32_t format, const char* path,
                           std::string& out, std::string& why) {
    if (format > LNTC_ADMIN_REG_V5) return LNTC_E_ARGUMENT;
    if (uint32_t rc = exportRegistry(
            reg, key, format == LNTC_ADMIN_REG_V5 ? RegFileFormat::V5 : RegFileFormat::Regedit4,
            out, &why);
        rc != 0) {
        why = quote(key) + ": " + (why.empty() ? systemErrorText(rc) : why);
        return LNTC_ADMIN_E_FAILED;
    }
    if (path == nullptr) return 0;
    std::string failure;
    if (!WriteWholeFile(path, out, kExportMode, OutputFile::Devices::WriteThrough, failure)) {
        why = "cannot write " + quote(path) + ": " + failure;
        return LNTC_ADMIN_E_FAILED;
    }
    out.clear();
    return 0;
}

uint32_t RegistryWritable(Registry& reg, std::string& why) {
    if (const std::string damage = reg.damage(); !damage.empty())
        why = "the registry database is damaged (" + printable(damage) + ")";
    else if (reg.readOnly())
        why = "the registry is read-only";
    return why.empty() ? 0 : LNTC_ADMIN_E_FAILED;
}

} // namespace lntc::admin

// Registry files in and out of the machine root's registry, for the tools.
#include "library/admin/admin.h"
#include "library/admin/output_file.h"
#include "library/admin/regfile.h"
#include "platform/errors.h"
#include "platform/printable.h"
#include "platform/registry.h"

#include <fstream>
#include <sstream>

namespace lntc::admin {

namespace {

// An export is the administrator's to share; it is not kept from other users.
constexpr mode_t kExportMode = 0644;

} // namespace

bool ReadWholeFile(const std::string& path, std::string& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream s;
    s << in.rdbuf();
    out = s.str();
    return static_cast<bool>(in) || in.eof();
}

uint32_t ImportRegistryFile(Registry& reg, const std::string& root, const std::string& path,
                            std::string& why) {
    // Checked before the file is even read: a damaged store takes nothing.
    if (const std::string damage = reg.damage(); !damage.empty()) {
        why = "the registry database " + quote(root + "/registry.db") +
              " failed its integrity check (" + printable(damage) + "); nothing was imported";
        return LNTC_ADMIN_E_FAILED;
    }
    std::string bytes;
    if (!ReadWholeFile(path, bytes)) {
        why = "cannot read " + quote(path);
        return LNTC_ADMIN_E_FAILED;
    }
    RegFileError error;
    if (uint32_t rc = importRegistry(reg, bytes, error); rc != 0) {
        why = quote(path) + ": " + (error.message.empty() ? systemErrorText(rc) : error.message);
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

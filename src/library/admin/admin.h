// What the administration interface (lntc_admin.h) does, on one library.
#pragma once
#include "library/admin/lntc_admin.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lntc {

class Library;
class Registry;

namespace admin {

using Say = std::function<void(const std::string& line)>;

std::string StatusText(uint32_t status);
uint32_t ModelMedia(Library& lib, uint32_t index, const char*& key, const DefaultMedia*& media);
uint32_t PaperSize(const char* name, uint32_t id, LNTC_AdminPaperSize& size);
uint32_t ModelKey(uint32_t index, const char*& key);
uint32_t ReadLdpx(Library& lib, const char* model, std::string& report, std::string& message);

// A file the administrator names ("-": standard input), whole, when it is no larger than
// kMaxAdminFileBytes (tooLarge says when it was).
inline constexpr size_t kMaxAdminFileBytes = size_t{16} << 20;
bool ReadWholeFile(const std::string& path, std::string& out, bool* tooLarge = nullptr);
// The registry of the machine root at root from the file at path ("-": standard input);
// why: the message, its outside text made printable.
uint32_t ImportRegistryFile(Registry& reg, const std::string& root, const std::string& path,
                            std::optional<int64_t> recordAt, std::string& why);
uint32_t ExportRegistryKey(Registry& reg, const std::string& key, uint32_t format, const char* path,
                           std::string& out, std::string& why);
uint32_t RegistryWritable(Registry& reg, std::string& why);

uint32_t DemoSetup(Library& lib, const std::string& root, const std::string& shareDir, bool force,
                   std::string& report);

// What a run does once the shared records are set up (false stops it before any dialog) and
// once its main dialog has ended.
struct RunHooks {
    std::function<bool(Library&)> setUp;
    std::function<void(Library&)> ended;
};
// The configuration run on a started library: the shared records set up, the logo closed, the
// main dialog. RunConfiguration's result, or -1 (said why) when the records cannot be set up.
int RunConfigurationOnce(Library& lib, const Say& say, const RunHooks& hooks = {});

// The configuration: form is LNTC_ADMIN_DOC_*; queue names one queue, or is null for all.
uint32_t Describe(Library& lib, uint32_t form, const char* queue, std::string& out,
                  std::string& why);
// A document (YAML or JSON) applied with LNTC_ADMIN_CHANGE_* flags; the plan either way.
uint32_t Change(Library& lib, std::string_view text, uint32_t flags, const char* source,
                std::vector<std::string>& plan, std::string& why);
// The last entries (entry 0) or one, as JSON.
uint32_t HistoryText(Library& lib, uint32_t entry, std::string& out, std::string& why);
uint32_t Restore(Library& lib, uint32_t entry, uint32_t flags, std::vector<std::string>& plan,
                 std::string& why);

} // namespace admin
} // namespace lntc

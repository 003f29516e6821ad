// Typed reads and writes of the product's registry tree, relative to the registry root.
#pragma once
#include "lntc/lntc.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace lntc {

class Library;

inline constexpr const char* kProductRootPath = "SOFTWARE\\Quendal\\PrintServer\\CurrentVersion";
inline constexpr const char* kOdrRootPath = "SOFTWARE\\Quendal\\ODR\\CurrentVersion";
inline constexpr const char* kGeneralKey = "General";
inline constexpr const char* kFontsKey = "Fonts";
inline constexpr const char* kQueuesKey = "Queues";
inline constexpr uint32_t kStringReadBuffer = 256;

// Message numbers of the logged registry failures.
namespace regmsg {
inline constexpr uint32_t CreateKey = 32798;
inline constexpr uint32_t OpenKey = 32858;
inline constexpr uint32_t QueryKey = 32862;
inline constexpr uint32_t NotString = 32887;
inline constexpr uint32_t NotInteger = 32888;
inline constexpr uint32_t SetValue = 32889;
inline constexpr uint32_t DeleteKey = 32890;
} // namespace regmsg

// Logs a failure with a string-table message: the code, three zeros, the text.
void LogFailure(Library& lib, uint32_t code, uint32_t messageId);

// A non-empty REG_SZ value cut to size-1 characters, else the default. Result: the platform
// code of the open or query.
uint32_t ReadStringValue(Library& lib, const char* subkey, const char* name, const char* defaultText,
                         char* dest, uint16_t size);
uint32_t ReadDwordValue(Library& lib, const char* subkey, const char* name, uint32_t defaultValue);
uint32_t WriteStringValue(Library& lib, const char* subkey, const char* name, const char* text);
uint32_t WriteDwordValue(Library& lib, const char* subkey, const char* name, uint32_t value);
// The four forms by which arguments are given (nullptr for absent); -1 when the value form
// lacks its subkey or name, 0 otherwise. Failures are logged only.
int DeleteRegistryEntry(Library& lib, const char* key, const char* subkey, const char* valueName);

// Groups the writes of one save so that a process killed halfway leaves the values as they
// were before it; a store that cannot batch writes them one by one.
class WriteBatch {
public:
    explicit WriteBatch(Library& lib);
    ~WriteBatch();
    WriteBatch(const WriteBatch&) = delete;
    WriteBatch& operator=(const WriteBatch&) = delete;

private:
    Library& lib_;
    bool active_;
};

struct ValueTableRow {
    uint16_t id;
    uint8_t section; // 0 General, 1 Fonts
    const char* name;
    uint16_t number; // group: count of choices that follow; choice: character-set code
};
inline constexpr size_t kValueTableRows = 25;
extern const ValueTableRow ValueTable[kValueTableRows];
const ValueTableRow* FindValueRow(uint16_t id);

namespace vid {
inline constexpr uint16_t EnableNotes = 4308, LogonRetries = 4303, PrimaryCacheDir = 4301,
                          QueueDepth = 4304, SuppressAnnotations = 4309, TempFilesDir = 4302,
                          VerboseOnStartup = 4306, VerifyChecksum = 4307, TimeFormat = 4310,
                          TimeString = 4311, ConfigDir = 4300, FormScaling = 4450,
                          COLDScaleFactor = 4451, InstalledKanji = 4000, InstalledGreek = 4001,
                          FormerCharset = 4100, UseDocCharSet = 4200, DefaultFont = 4203,
                          FontDir = 4207, AutoDownload = 4208;
} // namespace vid

uint32_t ReadStringById(Library& lib, uint16_t id, const char* defaultText, char* dest,
                        uint16_t size);
uint32_t ReadDwordById(Library& lib, uint16_t id, uint32_t defaultValue);
uint32_t WriteStringById(Library& lib, uint16_t id, const char* text);
uint32_t WriteDwordById(Library& lib, uint16_t id, uint32_t value);
// A group's stored choice name as its character-set code (case-insensitive), else the default.
uint16_t ReadCharsetById(Library& lib, uint16_t groupId, uint16_t defaultCode);
// Stores the choice name of a code; a code without a choice stores an empty string.
uint32_t WriteCharsetById(Library& lib, uint16_t groupId, uint16_t code);

} // namespace lntc

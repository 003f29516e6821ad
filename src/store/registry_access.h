// Typed reads and writes of the product's registry tree, relative to the registry root.
#pragma once
#include "lntc/lntc.h"
#include "platform/registry.h"
#include "store/registry_root.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lntc {

inline constexpr const char* kProductRootPath = "SOFTWARE\\Quendal\\PrintServer\\CurrentVersion";
inline constexpr const char* kOdrRootPath = "SOFTWARE\\Quendal\\ODR\\CurrentVersion";
inline constexpr const char* kGeneralKey = "General";
inline constexpr const char* kFontsKey = "Fonts";
inline constexpr const char* kQueuesKey = "Queues";
inline constexpr uint32_t kStringReadBuffer = 256;

// Typed reads of the values of one key with the store's rules: a missing key or value reads as
// the default and is not logged; a value of another type, a string too long for the read
// buffer and a key that cannot be opened are logged and read as the default.
class ValueReader {
  public:
    // Opens parent\subkey for reading.
    ValueReader(RegistryRoot& root, RegKey parent, std::string_view subkey);
    ~ValueReader();
    ValueReader(const ValueReader&) = delete;
    ValueReader& operator=(const ValueReader&) = delete;

    uint32_t dword(const char* name, uint32_t defaultValue);
    // The text of a string value up to its first NUL; nullopt when absent or not a string.
    std::optional<std::string_view> text(const char* name);
    // The platform code of the last open or query: 0, or why a value read as its default.
    uint32_t code() const { return code_; }

  private:
    bool query(const char* name, uint32_t& type, uint32_t& size);

    RegistryRoot& root_;
    RegKey key_ = kNoKey;
    uint32_t code_ = 0;
    char buffer_[kStringReadBuffer];
};

// A non-empty REG_SZ value cut to size-1 characters, else the default. Result: the platform
// code of the open or query.
uint32_t ReadStringValue(RegistryRoot& root, const char* subkey, const char* name,
                         const char* defaultText, char* dest, uint16_t size);
uint32_t ReadDwordValue(RegistryRoot& root, const char* subkey, const char* name,
                        uint32_t defaultValue);
uint32_t WriteStringValue(RegistryRoot& root, const char* subkey, const char* name,
                          const char* text);
uint32_t WriteDwordValue(RegistryRoot& root, const char* subkey, const char* name, uint32_t value);
// The four forms by which arguments are given (nullptr for absent); -1 when the value form
// lacks its subkey or name, 0 otherwise. Failures are logged only.
int DeleteRegistryEntry(RegistryRoot& root, const char* key, const char* subkey,
                        const char* valueName);
// The value form and the subkey form with their platform code: 0 also when there was nothing
// to delete. Failures are logged as well.
uint32_t DeleteRegistryValue(RegistryRoot& root, const char* subkey, const char* valueName);
uint32_t DeleteRegistrySubkey(RegistryRoot& root, const char* key, const char* subkey);

// Groups the writes of one save so that they land together or not at all: a process killed
// halfway, a write refused inside the batch or a refused commit leave the values as they were.
class WriteBatch {
  public:
    explicit WriteBatch(RegistryRoot& root);
    // Rolls back what was not committed.
    ~WriteBatch();
    WriteBatch(const WriteBatch&) = delete;
    WriteBatch& operator=(const WriteBatch&) = delete;

    // 0 while every write may still land; else the first failure: the store refused to begin
    // (then nothing need be tried) or a write inside the batch failed.
    uint32_t status() const { return status_; }
    // Keeps the first failure of a write made inside the batch.
    void note(uint32_t rc) {
        if (status_ == 0) status_ = rc;
    }
    // Commits when nothing failed, else rolls back. 0 when the writes landed.
    uint32_t commit();

  private:
    RegistryRoot& root_;
    bool active_ = false;
    uint32_t status_ = 0;
};

// By identifier: the value-table row's section and value name with the reads and writes above.
// An identifier outside the table reads as the default and writes nothing.
uint32_t ReadStringById(RegistryRoot& root, uint16_t id, const char* defaultText, char* dest,
                        uint16_t size);
uint32_t ReadDwordById(RegistryRoot& root, uint16_t id, uint32_t defaultValue);
uint32_t WriteStringById(RegistryRoot& root, uint16_t id, const char* text);
uint32_t WriteDwordById(RegistryRoot& root, uint16_t id, uint32_t value);
// A group's stored choice name as its character-set code (case-insensitive), else the default.
uint16_t ReadCharsetById(RegistryRoot& root, uint16_t groupId, uint16_t defaultCode);
// Stores the choice name of a code; a code without a choice stores an empty string.
uint32_t WriteCharsetById(RegistryRoot& root, uint16_t groupId, uint16_t code);

} // namespace lntc

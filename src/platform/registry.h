// Hierarchical key/value store with the semantics of the local-machine registry hive.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lntc {

namespace regtype {
inline constexpr uint32_t None = 0;
inline constexpr uint32_t Sz = 1;
inline constexpr uint32_t ExpandSz = 2;
inline constexpr uint32_t Binary = 3;
inline constexpr uint32_t Dword = 4;
inline constexpr uint32_t DwordBigEndian = 5;
inline constexpr uint32_t MultiSz = 7;
inline constexpr uint32_t Qword = 11;
} // namespace regtype

// Opaque key handle; 0 is never a valid open key. kLocalMachine names the hive itself.
using RegKey = uint64_t;
inline constexpr RegKey kNoKey = 0;
inline constexpr RegKey kLocalMachine = 1;

enum class RegAccess { Read, Write };

// The limits the common registry editors keep. Keys are made only within them (createKey
// answers 1010 otherwise); deeper trees would make files whose size grows with the square
// of their depth.
inline constexpr size_t kMaxKeyNameLength = 255;
inline constexpr size_t kMaxKeyDepth = 512; // levels below the hive

// All operations return a Win32 error number (0 success). Key and value names compare
// ignoring ASCII case and keep the case they were created with. Paths use "\" between keys.
class Registry {
  public:
    virtual ~Registry() = default;

    // True when the store could only be opened for reading; every write then answers 5.
    virtual bool readOnly() const = 0;
    // Empty while the store is sound; else what was found wrong with it when it was opened.
    // A damaged store is read-only and every write answers 1015 instead.
    virtual std::string damage() const { return {}; }

    virtual uint32_t openKey(RegKey parent, std::string_view path, RegAccess access,
                             RegKey& out) = 0;
    // Creates missing keys along the path. Refused with 5 on a read-only store.
    virtual uint32_t createKey(RegKey parent, std::string_view path, RegAccess access, RegKey& out,
                               bool* created = nullptr) = 0;
    virtual void closeKey(RegKey key) = 0;

    // Win32 query semantics: with data == nullptr only type and size are reported; when
    // *size is smaller than the value, 234 is returned and *size holds the size needed.
    // A missing value answers 2.
    virtual uint32_t queryValue(RegKey key, std::string_view name, uint32_t* type, void* data,
                                uint32_t* size) = 0;
    virtual uint32_t setValue(RegKey key, std::string_view name, uint32_t type, const void* data,
                              uint32_t size) = 0;
    virtual uint32_t deleteValue(RegKey key, std::string_view name) = 0;
    // Deletes a key that has no subkeys (5 when it has some), with its values.
    virtual uint32_t deleteKey(RegKey parent, std::string_view path) = 0;
    // Deletes a key with everything below it.
    virtual uint32_t deleteTree(RegKey parent, std::string_view path) = 0;

    // Enumeration by index in a stable order (ignoring case); 259 past the end.
    virtual uint32_t enumKey(RegKey key, uint32_t index, std::string& name) = 0;
    virtual uint32_t enumValue(RegKey key, uint32_t index, std::string& name, uint32_t& type,
                               std::vector<uint8_t>& data) = 0;

    // Reads between these see one consistent state of the store (and cost less than reads
    // taken one by one). Not nested, and not inside a batch; a refused snapshot is harmless.
    virtual uint32_t beginSnapshot() { return 0; }
    virtual void endSnapshot() {}

    // Groups writes so that they land together or not at all. Nesting is not supported.
    virtual uint32_t beginBatch() = 0;
    virtual uint32_t commitBatch() = 0;
    virtual void rollbackBatch() = 0;
};

// Closes a key when it goes out of scope.
class KeyGuard {
  public:
    KeyGuard(Registry& reg, RegKey key) : reg_(reg), key_(key) {}
    ~KeyGuard() {
        if (key_ != kNoKey) reg_.closeKey(key_);
    }
    KeyGuard(const KeyGuard&) = delete;
    KeyGuard& operator=(const KeyGuard&) = delete;
    RegKey get() const { return key_; }

  private:
    Registry& reg_;
    RegKey key_;
};

} // namespace lntc

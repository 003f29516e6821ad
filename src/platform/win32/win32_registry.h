// The local-machine hive of the Windows registry itself.
#pragma once
#include "platform/registry.h"

#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>
#include <windows.h>

namespace lntc {

// Names, key paths and the text of string values (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ) are the
// product's single-byte text at this interface, as the database store hands them out, and
// UTF-16 in the registry (platform/win32/text.h), so that the system's editors show and change
// the same text: a string of n bytes reads back as the n bytes it was, stored in 2n. Other types
// are kept byte for byte. Error numbers are the system's own.
//
// What the system does differently, and is left as it does it: names compare ignoring case in
// the whole of Unicode, not only in ASCII; a key restored by a rolled-back batch is a new key, so
// that handles opened on it before answer 1018.
class Win32Registry : public Registry {
  public:
    // The hive is HKEY_LOCAL_MACHINE, or, with `base`, the key of that path below it (created
    // when missing), which then stands for the hive: how tests keep to a key of their own. The
    // store is read-only when asked to be, or when the system refuses to open it for writing.
    // Throws std::runtime_error when it cannot be opened at all.
    explicit Win32Registry(std::string_view base = {}, bool readOnly = false);
    ~Win32Registry() override;
    Win32Registry(const Win32Registry&) = delete;
    Win32Registry& operator=(const Win32Registry&) = delete;

    bool readOnly() const override { return readOnly_; }
    uint32_t openKey(RegKey parent, std::string_view path, RegAccess access, RegKey& out) override;
    uint32_t createKey(RegKey parent, std::string_view path, RegAccess access, RegKey& out,
                       bool* created = nullptr) override;
    void closeKey(RegKey key) override;
    uint32_t queryValue(RegKey key, std::string_view name, uint32_t* type, void* data,
                        uint32_t* size) override;
    uint32_t setValue(RegKey key, std::string_view name, uint32_t type, const void* data,
                      uint32_t size) override;
    uint32_t deleteValue(RegKey key, std::string_view name) override;
    uint32_t deleteKey(RegKey parent, std::string_view path) override;
    uint32_t deleteTree(RegKey parent, std::string_view path) override;
    uint32_t enumKey(RegKey key, uint32_t index, std::string& name) override;
    uint32_t enumValue(RegKey key, uint32_t index, std::string& name, uint32_t& type,
                       std::vector<uint8_t>& data) override;
    // The registry has no consistent view across several reads: refused (50), reads then go
    // one by one as they would without it.
    uint32_t beginSnapshot() override;
    // The writes of a batch land at once; each is journalled with what it replaced, and a
    // rollback puts that back. The system's transactions (RegCreateKeyTransacted) are not used:
    // Wine takes them without keeping them apart, and the system's own documentation advises
    // against them. So a batch is undone on failure but is not hidden from other processes
    // while it runs, nor undone when this process dies in the middle of it.
    uint32_t beginBatch() override;
    uint32_t commitBatch() override;
    void rollbackBatch() override;

  private:
    struct Handle {
        HKEY hkey;
        RegAccess access;
        size_t depth;      // levels below the hive
        std::wstring path; // from the hive, "\" between keys
    };
    struct Value {
        std::wstring name;
        DWORD type = 0;
        std::vector<BYTE> data;
    };
    struct SavedKey {
        std::wstring path;
        std::vector<Value> values;
    };
    // What puts one write back: a value as it was (or its absence), a key made by the batch,
    // or a deleted tree (parents first).
    struct Undo {
        enum Kind { PutValue, RemoveKey, RestoreKeys };
        Undo(Kind k, std::wstring p) : kind(k), path(std::move(p)) {}
        Kind kind;
        std::wstring path;
        bool existed = false;
        Value value;
        std::vector<SavedKey> keys;
    };

    uint32_t lookup(RegKey key, Handle& h) const;
    RegKey newHandle(HKEY hkey, RegAccess access, size_t depth, std::wstring path);
    uint32_t removeKey(RegKey parent, std::string_view path, bool withSubkeys);
    uint32_t saveTree(HKEY key, const std::wstring& path, std::vector<SavedKey>& out);
    void undo(const Undo& u);

    HKEY root_ = nullptr;
    bool ownRoot_ = false;
    bool readOnly_ = false;
    bool inBatch_ = false;
    std::vector<Undo> journal_;
    std::unordered_map<RegKey, Handle> handles_;
    RegKey nextHandle_ = 0x100;
    mutable std::mutex mutex_;
};

} // namespace lntc

// An in-memory registry with the semantics of the real backend, for unit tests.
#pragma once
#include "platform/registry.h"

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace lntc::test {

class MemoryRegistry : public Registry {
  public:
    enum class Op {
        OpenKey,
        CreateKey,
        QueryValue,
        SetValue,
        DeleteValue,
        DeleteKey,
        DeleteTree,
        EnumKey,
        EnumValue,
        BeginBatch,
        CommitBatch,
    };

    MemoryRegistry();

    void setReadOnly(bool readOnly) { readOnly_ = readOnly; }
    // The next call of that kind answers code and changes nothing; later calls behave.
    void failNext(Op op, uint32_t code);
    // Keys currently open (not counting the hive), to catch handle leaks.
    size_t openHandleCount() const;

    // Seeding, with paths relative to the hive; keys are created as needed. Strings get
    // their terminating NUL. These ignore the read-only switch and injected failures.
    void setString(std::string_view path, std::string_view name, std::string_view text);
    void setDword(std::string_view path, std::string_view name, uint32_t value);
    void setRaw(std::string_view path, std::string_view name, uint32_t type,
                std::vector<uint8_t> bytes);
    // Direct look-ups for assertions; false when the key or value is missing.
    bool hasKey(std::string_view path) const;
    bool getRaw(std::string_view path, std::string_view name, uint32_t& type,
                std::vector<uint8_t>& bytes) const;

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
    uint32_t beginBatch() override;
    uint32_t commitBatch() override;
    void rollbackBatch() override;

  private:
    struct Value {
        std::string name;
        uint32_t type = 0;
        std::vector<uint8_t> data;
    };
    struct Node {
        int64_t parent = 0;
        std::string name;
        std::map<std::string, int64_t> children; // by folded name
        std::map<std::string, Value> values;     // by folded name
    };
    struct Handle {
        int64_t id;
        RegAccess access;
    };
    struct State {
        std::map<int64_t, Node> nodes;
    };

    bool takeFailure(Op op, uint32_t& code);
    uint32_t removeKey(Op op, RegKey parent, std::string_view path, bool withSubkeys);
    uint32_t lookup(RegKey key, Handle& h) const;
    uint32_t keyOf(RegKey key, Handle& h) const;
    uint32_t resolve(int64_t from, std::string_view path, int64_t& id) const;
    int64_t ensurePath(int64_t from, std::string_view path, bool* created);
    void removeTree(int64_t id);

    State state_;
    State saved_;
    bool inBatch_ = false;
    bool readOnly_ = false;
    std::map<RegKey, Handle> handles_;
    RegKey nextHandle_ = 0x100;
    // Outside the state so a rolled-back key's id is never handed out again.
    int64_t nextId_ = 2;
    std::map<Op, uint32_t> failures_;
    mutable std::recursive_mutex mutex_;
};

} // namespace lntc::test

// A real registry for unit tests, with what they need beyond it: injected failures, a read-only
// switch, a count of open handles, seeding and direct reads. On Linux it is the database store
// in memory; on Windows the system's registry, in a key of the object's own below
// HKLM\SOFTWARE\LntcTest that stands for the hive and goes with the object.
#pragma once
#include "platform/registry.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace lntc::test {

class MemoryRegistry : public Registry {
  public:
    // The calls a failure can be injected into.
    enum class Op { CreateKey, SetValue, CommitBatch };

    MemoryRegistry();
    ~MemoryRegistry() override;
    MemoryRegistry(const MemoryRegistry&) = delete;
    MemoryRegistry& operator=(const MemoryRegistry&) = delete;

    // Keeps the contents and refuses every write with 5, as a store opened read-only does.
    void setReadOnly(bool readOnly) { readOnly_ = readOnly; }
    // The call of that kind after `after` more that behave answers code and changes nothing;
    // later calls behave. Code 0 takes back a failure not yet reached.
    void failNext(Op op, uint32_t code, unsigned after = 0);
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
    std::string damage() const override { return store_->damage(); }
    uint32_t openKey(RegKey parent, std::string_view path, RegAccess access, RegKey& out) override;
    uint32_t createKey(RegKey parent, std::string_view path, RegAccess access, RegKey& out,
                       bool* created = nullptr) override;
    void closeKey(RegKey key) override;
    uint32_t queryValue(RegKey key, std::string_view name, uint32_t* type, void* data,
                        uint32_t* size) override {
        return store_->queryValue(key, name, type, data, size);
    }
    uint32_t setValue(RegKey key, std::string_view name, uint32_t type, const void* data,
                      uint32_t size) override;
    uint32_t deleteValue(RegKey key, std::string_view name) override;
    uint32_t deleteKey(RegKey parent, std::string_view path) override;
    uint32_t deleteTree(RegKey parent, std::string_view path) override;
    uint32_t enumKey(RegKey key, uint32_t index, std::string& name) override {
        return store_->enumKey(key, index, name);
    }
    uint32_t enumValue(RegKey key, uint32_t index, std::string& name, uint32_t& type,
                       std::vector<uint8_t>& data) override {
        return store_->enumValue(key, index, name, type, data);
    }
    uint32_t beginSnapshot() override { return store_->beginSnapshot(); }
    void endSnapshot() override { store_->endSnapshot(); }
    uint32_t beginBatch() override;
    // An injected failure rolls the batch back, as a refused commit does.
    uint32_t commitBatch() override;
    void rollbackBatch() override { store_->rollbackBatch(); }

  private:
    // 0 when the write may go ahead; else the injected failure, or 5 on a read-only store.
    uint32_t refusal(std::optional<Op> op = std::nullopt);
    // The store itself, past the switch and the injected failures.
    Registry& db() const { return *store_; }

    std::shared_ptr<void> sandbox_; // the Windows key standing for the hive; outlives store_
    std::unique_ptr<Registry> store_;

    bool readOnly_ = false;
    std::map<Op, std::pair<uint32_t, unsigned>> failures_; // code, calls before it
    std::set<RegKey> handles_;
};

} // namespace lntc::test

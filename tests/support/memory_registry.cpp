#include "support/memory_registry.h"

#include "platform/errors.h"

namespace lntc::test {

using Lock = std::lock_guard<std::mutex>;

void MemoryRegistry::failNext(Op op, uint32_t code) {
    Lock lock(mutex_);
    failures_[op] = code;
}

size_t MemoryRegistry::openHandleCount() const {
    Lock lock(mutex_);
    return handles_.size();
}

uint32_t MemoryRegistry::refusal(Op op, bool write) {
    Lock lock(mutex_);
    if (auto it = failures_.find(op); it != failures_.end()) {
        const uint32_t code = it->second;
        failures_.erase(it);
        return code;
    }
    return write && readOnly_ ? err::AccessDenied : err::Success;
}

void MemoryRegistry::track(uint32_t rc, RegKey key) {
    Lock lock(mutex_);
    if (rc == err::Success) handles_.insert(key);
}

void MemoryRegistry::setRaw(std::string_view path, std::string_view name, uint32_t type,
                            std::vector<uint8_t> bytes) {
    RegKey k = kNoKey;
    if (db_.createKey(kLocalMachine, path, RegAccess::Write, k)) return;
    db_.setValue(k, name, type, bytes.data(), static_cast<uint32_t>(bytes.size()));
    db_.closeKey(k);
}

void MemoryRegistry::setString(std::string_view path, std::string_view name,
                               std::string_view text) {
    std::vector<uint8_t> bytes(text.begin(), text.end());
    bytes.push_back(0);
    setRaw(path, name, regtype::Sz, std::move(bytes));
}

void MemoryRegistry::setDword(std::string_view path, std::string_view name, uint32_t value) {
    std::vector<uint8_t> bytes(4);
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<uint8_t>(value >> (8 * i));
    setRaw(path, name, regtype::Dword, std::move(bytes));
}

bool MemoryRegistry::hasKey(std::string_view path) const {
    RegKey k = kNoKey;
    if (db_.openKey(kLocalMachine, path, RegAccess::Read, k)) return false;
    db_.closeKey(k);
    return true;
}

bool MemoryRegistry::getRaw(std::string_view path, std::string_view name, uint32_t& type,
                            std::vector<uint8_t>& bytes) const {
    RegKey k = kNoKey;
    if (db_.openKey(kLocalMachine, path, RegAccess::Read, k)) return false;
    KeyGuard guard(db_, k);
    uint32_t size = 0;
    if (db_.queryValue(k, name, &type, nullptr, &size)) return false;
    bytes.resize(size);
    return db_.queryValue(k, name, &type, bytes.data(), &size) == err::Success;
}

uint32_t MemoryRegistry::openKey(RegKey parent, std::string_view path, RegAccess access,
                                 RegKey& out) {
    out = kNoKey;
    if (uint32_t rc = refusal(Op::OpenKey)) return rc;
    // A missing key answers 2 before a read-only store refuses writing.
    const bool refuse = readOnly_ && access == RegAccess::Write;
    uint32_t rc = db_.openKey(parent, path, refuse ? RegAccess::Read : access, out);
    if (rc == err::Success && refuse) {
        db_.closeKey(out);
        out = kNoKey;
        return err::AccessDenied;
    }
    track(rc, out);
    return rc;
}

uint32_t MemoryRegistry::createKey(RegKey parent, std::string_view path, RegAccess access,
                                   RegKey& out, bool* created) {
    out = kNoKey;
    if (created) *created = false;
    if (uint32_t rc = refusal(Op::CreateKey, true)) return rc;
    uint32_t rc = db_.createKey(parent, path, access, out, created);
    track(rc, out);
    return rc;
}

void MemoryRegistry::closeKey(RegKey key) {
    {
        Lock lock(mutex_);
        handles_.erase(key);
    }
    db_.closeKey(key);
}

uint32_t MemoryRegistry::queryValue(RegKey key, std::string_view name, uint32_t* type, void* data,
                                    uint32_t* size) {
    if (uint32_t rc = refusal(Op::QueryValue)) return rc;
    return db_.queryValue(key, name, type, data, size);
}

uint32_t MemoryRegistry::setValue(RegKey key, std::string_view name, uint32_t type,
                                  const void* data, uint32_t size) {
    if (uint32_t rc = refusal(Op::SetValue, true)) return rc;
    return db_.setValue(key, name, type, data, size);
}

uint32_t MemoryRegistry::deleteValue(RegKey key, std::string_view name) {
    if (uint32_t rc = refusal(Op::DeleteValue, true)) return rc;
    return db_.deleteValue(key, name);
}

uint32_t MemoryRegistry::deleteKey(RegKey parent, std::string_view path) {
    if (uint32_t rc = refusal(Op::DeleteKey, true)) return rc;
    return db_.deleteKey(parent, path);
}

uint32_t MemoryRegistry::deleteTree(RegKey parent, std::string_view path) {
    if (uint32_t rc = refusal(Op::DeleteTree, true)) return rc;
    return db_.deleteTree(parent, path);
}

uint32_t MemoryRegistry::enumKey(RegKey key, uint32_t index, std::string& name) {
    if (uint32_t rc = refusal(Op::EnumKey)) return rc;
    return db_.enumKey(key, index, name);
}

uint32_t MemoryRegistry::enumValue(RegKey key, uint32_t index, std::string& name, uint32_t& type,
                                   std::vector<uint8_t>& data) {
    if (uint32_t rc = refusal(Op::EnumValue)) return rc;
    return db_.enumValue(key, index, name, type, data);
}

uint32_t MemoryRegistry::beginBatch() {
    if (uint32_t rc = refusal(Op::BeginBatch, true)) return rc;
    return db_.beginBatch();
}

uint32_t MemoryRegistry::commitBatch() {
    // A failed commit lands nothing, as with a database that cannot write its journal.
    if (uint32_t rc = refusal(Op::CommitBatch)) {
        db_.rollbackBatch();
        return rc;
    }
    return db_.commitBatch();
}

} // namespace lntc::test

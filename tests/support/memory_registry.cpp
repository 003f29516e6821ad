#include "support/memory_registry.h"

#include "platform/errors.h"
#ifdef _WIN32
#include "win32/registry_sandbox.h"
#else
#include "platform/posix/sqlite_registry.h"
#endif

namespace lntc::test {

#ifdef _WIN32
MemoryRegistry::MemoryRegistry() {
    auto sandbox = std::make_shared<Win32Backend>();
    store_ = sandbox->make();
    sandbox_ = std::move(sandbox);
}
#else
MemoryRegistry::MemoryRegistry()
    : store_(std::make_unique<SqliteRegistry>(SqliteRegistry::kInMemory)) {}
#endif

MemoryRegistry::~MemoryRegistry() {
    store_.reset(); // before its key goes
}

void MemoryRegistry::failNext(Op op, uint32_t code, unsigned after) {
    if (code == 0)
        failures_.erase(op);
    else
        failures_[op] = {code, after};
}

size_t MemoryRegistry::openHandleCount() const {
    return handles_.size();
}

uint32_t MemoryRegistry::refusal(std::optional<Op> op) {
    if (auto it = op ? failures_.find(*op) : failures_.end(); it != failures_.end()) {
        auto& [code, after] = it->second;
        if (after > 0) {
            --after;
        } else {
            const uint32_t failed = code;
            failures_.erase(it);
            return failed;
        }
    }
    return readOnly_ ? err::AccessDenied : err::Success;
}

void MemoryRegistry::setRaw(std::string_view path, std::string_view name, uint32_t type,
                            std::vector<uint8_t> bytes) {
    RegKey k = kNoKey;
    if (db().createKey(kLocalMachine, path, RegAccess::Write, k)) return;
    db().setValue(k, name, type, bytes.data(), static_cast<uint32_t>(bytes.size()));
    db().closeKey(k);
}

void MemoryRegistry::setString(std::string_view path, std::string_view name,
                               std::string_view text) {
    std::vector<uint8_t> bytes(text.begin(), text.end());
    bytes.push_back(0);
    setRaw(path, name, regtype::Sz, std::move(bytes));
}

void MemoryRegistry::setDword(std::string_view path, std::string_view name, uint32_t value) {
    setRaw(path, name, regtype::Dword,
           {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)});
}

bool MemoryRegistry::hasKey(std::string_view path) const {
    RegKey k = kNoKey;
    if (db().openKey(kLocalMachine, path, RegAccess::Read, k)) return false;
    db().closeKey(k);
    return true;
}

bool MemoryRegistry::getRaw(std::string_view path, std::string_view name, uint32_t& type,
                            std::vector<uint8_t>& bytes) const {
    RegKey k = kNoKey;
    if (db().openKey(kLocalMachine, path, RegAccess::Read, k)) return false;
    uint32_t size = 0;
    uint32_t rc = db().queryValue(k, name, &type, nullptr, &size);
    bytes.resize(size);
    if (rc == err::Success) rc = db().queryValue(k, name, &type, bytes.data(), &size);
    db().closeKey(k);
    return rc == err::Success;
}

uint32_t MemoryRegistry::openKey(RegKey parent, std::string_view path, RegAccess access,
                                 RegKey& out) {
    out = kNoKey;
    // A missing key answers 2 before a read-only store refuses writing.
    const bool refuse = readOnly_ && access == RegAccess::Write;
    uint32_t rc = db().openKey(parent, path, refuse ? RegAccess::Read : access, out);
    if (rc == err::Success && refuse) {
        db().closeKey(out);
        out = kNoKey;
        return err::AccessDenied;
    }
    if (rc == err::Success) handles_.insert(out);
    return rc;
}

uint32_t MemoryRegistry::createKey(RegKey parent, std::string_view path, RegAccess access,
                                   RegKey& out, bool* created) {
    out = kNoKey;
    if (created) *created = false;
    if (uint32_t rc = refusal(Op::CreateKey)) return rc;
    uint32_t rc = db().createKey(parent, path, access, out, created);
    if (rc == err::Success) handles_.insert(out);
    return rc;
}

void MemoryRegistry::closeKey(RegKey key) {
    handles_.erase(key);
    db().closeKey(key);
}

uint32_t MemoryRegistry::setValue(RegKey key, std::string_view name, uint32_t type,
                                  const void* data, uint32_t size) {
    if (uint32_t rc = refusal(Op::SetValue)) return rc;
    return db().setValue(key, name, type, data, size);
}

uint32_t MemoryRegistry::deleteValue(RegKey key, std::string_view name) {
    if (uint32_t rc = refusal()) return rc;
    return db().deleteValue(key, name);
}

uint32_t MemoryRegistry::deleteKey(RegKey parent, std::string_view path) {
    if (uint32_t rc = refusal()) return rc;
    return db().deleteKey(parent, path);
}

uint32_t MemoryRegistry::deleteTree(RegKey parent, std::string_view path) {
    if (uint32_t rc = refusal()) return rc;
    return db().deleteTree(parent, path);
}

uint32_t MemoryRegistry::beginBatch() {
    if (uint32_t rc = refusal()) return rc;
    return db().beginBatch();
}

uint32_t MemoryRegistry::commitBatch() {
    if (uint32_t rc = refusal(Op::CommitBatch)) {
        db().rollbackBatch();
        return rc;
    }
    return db().commitBatch();
}

} // namespace lntc::test

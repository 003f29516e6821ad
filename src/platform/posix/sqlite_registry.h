// The local-machine hive kept in a SQLite database file.
#pragma once
#include "platform/registry.h"

#include <array>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

struct sqlite3;
struct sqlite3_stmt;

namespace lntc {

class SqliteRegistry : public Registry {
  public:
    static constexpr const char* kInMemory = ":memory:";

    // Opens or creates the database (and its folder). A database file this process may not
    // write is opened read-only. One opened for writing is checked first (SQLite's quick
    // check); when it fails, it too is opened read-only and every write answers 1015. Throws
    // std::runtime_error when it cannot be opened at all. kInMemory opens a private database
    // that lives as long as this object and touches no file.
    explicit SqliteRegistry(const std::string& dbPath);
    ~SqliteRegistry() override;
    SqliteRegistry(const SqliteRegistry&) = delete;
    SqliteRegistry& operator=(const SqliteRegistry&) = delete;

    // As the constructor, but reports a failure as nullptr with the reason in *error.
    static std::unique_ptr<SqliteRegistry> open(const std::string& dbPath,
                                                std::string* error = nullptr);

    const std::string& path() const { return path_; }

    bool readOnly() const override { return readOnly_; }
    std::string damage() const override { return damage_; }
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
    uint32_t beginSnapshot() override;
    void endSnapshot() override;
    uint32_t beginBatch() override;
    uint32_t commitBatch() override;
    void rollbackBatch() override;

  private:
    enum Stmt {
        FindChild,
        KeyExists,
        InsertKey,
        HasChild,
        DeleteValues,
        DeleteKeyRow,
        DeleteValuesBelow,
        DeleteKeysBelow,
        GetValue,
        PutValue,
        RemoveValue,
        NthChild,
        NthValue,
        Begin,
        Commit,
        Rollback,
        Savepoint,
        Release,
        RollbackTo,
        StmtCount
    };
    struct Handle {
        int64_t keyId;
        RegAccess access;
        size_t depth; // levels below the hive
    };
    class WriteScope;

    void openDatabase();
    void prepareStatements();
    uint32_t exec(Stmt s);
    // The answer to a write on a store that is not writable.
    uint32_t writeRefused() const;
    uint32_t removeKey(RegKey parent, std::string_view path, bool withSubkeys);
    // The key a handle stands for: 6 for an unknown handle, 1018 when the key is gone.
    uint32_t lookup(RegKey key, Handle& h) const;
    uint32_t checkAlive(int64_t id);
    uint32_t keyOf(RegKey key, Handle& h);
    uint32_t resolve(int64_t from, std::string_view path, int64_t& id);
    uint32_t findChild(int64_t parent, std::string_view name, int64_t& id);
    RegKey newHandle(int64_t id, RegAccess access, size_t depth);
    uint32_t removeTree(int64_t id);

    std::string path_;
    sqlite3* db_ = nullptr;
    std::array<sqlite3_stmt*, StmtCount> stmts_{};
    bool readOnly_ = false;
    std::string damage_;
    bool inBatch_ = false;
    bool inSnapshot_ = false;
    std::unordered_map<RegKey, Handle> handles_;
    RegKey nextHandle_ = 0x100;
    std::mutex mutex_;
};

} // namespace lntc

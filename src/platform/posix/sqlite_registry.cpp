#include "platform/posix/sqlite_registry.h"

#include "platform/errors.h"
#include "platform/registry_util.h"

#include <cctype>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <iterator>
#include <sqlite3.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace lntc {

namespace {

constexpr int64_t kRootId = 1;
constexpr int kBusyTimeoutMs = 8000;

const char* const kSchema = R"(
CREATE TABLE IF NOT EXISTS keys(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  parent INTEGER NOT NULL,
  name TEXT NOT NULL,
  lname TEXT NOT NULL,
  UNIQUE(parent, lname));
CREATE TABLE IF NOT EXISTS vals(
  key INTEGER NOT NULL,
  name TEXT NOT NULL,
  lname TEXT NOT NULL,
  type INTEGER NOT NULL,
  data BLOB NOT NULL,
  PRIMARY KEY(key, lname)) WITHOUT ROWID;
INSERT OR IGNORE INTO keys(id, parent, name, lname) VALUES(1, 0, '', '');
PRAGMA user_version = 1;
)";

// Everything strictly below ?1.
#define LNTC_TREE_BELOW                                                                            \
    "WITH RECURSIVE t(id) AS (SELECT id FROM keys WHERE parent = ?1 "                              \
    "UNION ALL SELECT k.id FROM keys k JOIN t ON k.parent = t.id) "

const char* const kStatements[] = {
    "SELECT id FROM keys WHERE parent = ?1 AND lname = ?2",
    "SELECT 1 FROM keys WHERE id = ?1",
    "INSERT INTO keys(parent, name, lname) VALUES(?1, ?2, ?3)",
    "SELECT 1 FROM keys WHERE parent = ?1 LIMIT 1",
    "DELETE FROM vals WHERE key = ?1",
    "DELETE FROM keys WHERE id = ?1",
    LNTC_TREE_BELOW "DELETE FROM vals WHERE key IN (SELECT id FROM t)",
    LNTC_TREE_BELOW "DELETE FROM keys WHERE id IN (SELECT id FROM t)",
    "SELECT type, data FROM vals WHERE key = ?1 AND lname = ?2",
    "INSERT INTO vals(key, name, lname, type, data) VALUES(?1, ?2, ?3, ?4, ?5) "
    "ON CONFLICT(key, lname) DO UPDATE SET type = excluded.type, data = excluded.data",
    "DELETE FROM vals WHERE key = ?1 AND lname = ?2",
    "SELECT name FROM keys WHERE parent = ?1 ORDER BY lname LIMIT 1 OFFSET ?2",
    "SELECT name, type, data FROM vals WHERE key = ?1 ORDER BY lname LIMIT 1 OFFSET ?2",
    "BEGIN IMMEDIATE",
    "COMMIT",
    "ROLLBACK",
    "SAVEPOINT w",
    "RELEASE w",
    "ROLLBACK TO w",
};
#undef LNTC_TREE_BELOW

uint32_t fromSqlite(int rc) {
    switch (rc & 0xff) {
    case SQLITE_OK:
    case SQLITE_ROW:
    case SQLITE_DONE:
        return err::Success;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return err::Busy;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return err::AccessDenied;
    case SQLITE_FULL:
        return err::DiskFull;
    case SQLITE_NOMEM:
        return err::NotEnoughMemory;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return err::RegistryCorrupt;
    case SQLITE_CANTOPEN:
        return err::CantOpen;
    case SQLITE_TOOBIG:
        return err::InvalidParameter;
    default:
        return err::RegistryIoFailed;
    }
}

// Resets the statement however the scope is left, so a later use starts clean.
class Use {
  public:
    explicit Use(sqlite3_stmt* s) : s_(s) {}
    ~Use() {
        sqlite3_reset(s_);
        sqlite3_clear_bindings(s_);
    }
    Use(const Use&) = delete;
    Use& operator=(const Use&) = delete;
    Use& id(int i, int64_t v) {
        sqlite3_bind_int64(s_, i, v);
        return *this;
    }
    Use& text(int i, std::string_view v) {
        sqlite3_bind_text(s_, i, v.data() ? v.data() : "", static_cast<int>(v.size()),
                          SQLITE_TRANSIENT);
        return *this;
    }
    Use& blob(int i, const void* v, uint32_t n) {
        // A null pointer would bind SQL NULL; an empty value is an empty blob.
        sqlite3_bind_blob(s_, i, n ? v : "", static_cast<int>(n), SQLITE_TRANSIENT);
        return *this;
    }
    int step() { return sqlite3_step(s_); }
    sqlite3_stmt* get() const { return s_; }

  private:
    sqlite3_stmt* s_;
};

std::string columnText(sqlite3_stmt* s, int col) {
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(s, col));
    return p ? std::string(p, static_cast<size_t>(sqlite3_column_bytes(s, col))) : std::string();
}

std::string uriEscape(const std::string& path) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : path) {
        if (std::isalnum(c) || c == '/' || c == '.' || c == '-' || c == '_') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

// Root ignores permission bits, so a file without any write bit counts as unwritable for
// everyone; that is how an administrator marks a store as frozen.
bool fileWritable(const std::string& path, const struct stat& st) {
    if ((st.st_mode & 0222) == 0) return false;
    return ::access(path.c_str(), W_OK) == 0;
}

// SQLite's quick check of every page: SQLITE_OK with report "ok" for a sound database, or
// with its first complaint; a database too damaged to be checked answers its error code.
int quickCheck(sqlite3* db, std::string& report) {
    sqlite3_stmt* s = nullptr;
    int rc = sqlite3_prepare_v2(db, "PRAGMA quick_check(1)", -1, &s, nullptr);
    if (rc == SQLITE_OK && (rc = sqlite3_step(s)) == SQLITE_ROW) {
        report = columnText(s, 0);
        for (char& c : report)
            if (c == '\n') c = ' ';
        rc = SQLITE_OK;
    }
    sqlite3_finalize(s);
    return rc;
}

bool isCorruption(int rc) {
    rc &= 0xff;
    return rc == SQLITE_CORRUPT || rc == SQLITE_NOTADB;
}

bool isPermissionFailure(int rc) {
    rc &= 0xff;
    return rc == SQLITE_READONLY || rc == SQLITE_CANTOPEN || rc == SQLITE_PERM || rc == SQLITE_AUTH;
}

} // namespace

// One write as its own transaction, or as a savepoint inside a batch, so that a failing
// write never leaves half of itself behind.
class SqliteRegistry::WriteScope {
  public:
    explicit WriteScope(SqliteRegistry& reg) : reg_(reg), nested_(reg.inBatch_ || reg.inSnapshot_) {
        status_ = reg_.exec(nested_ ? Savepoint : Begin);
        active_ = status_ == err::Success;
    }
    ~WriteScope() {
        if (!active_) return;
        if (nested_) {
            reg_.exec(RollbackTo);
            reg_.exec(Release);
        } else {
            reg_.exec(Rollback);
        }
    }
    WriteScope(const WriteScope&) = delete;
    WriteScope& operator=(const WriteScope&) = delete;
    uint32_t status() const { return status_; }
    uint32_t commit() {
        uint32_t rc = reg_.exec(nested_ ? Release : Commit);
        if (rc == err::Success) active_ = false;
        return rc;
    }

  private:
    SqliteRegistry& reg_;
    bool nested_;
    bool active_ = false;
    uint32_t status_ = err::Success;
};

SqliteRegistry::SqliteRegistry(const std::string& dbPath) : path_(dbPath) {
    try {
        openDatabase();
        prepareStatements();
    } catch (...) {
        for (auto*& s : stmts_) {
            sqlite3_finalize(s);
            s = nullptr;
        }
        sqlite3_close(db_);
        db_ = nullptr;
        throw;
    }
}

SqliteRegistry::~SqliteRegistry() {
    if (inBatch_ || inSnapshot_) exec(Rollback);
    for (auto* s : stmts_)
        sqlite3_finalize(s);
    sqlite3_close(db_);
}

std::unique_ptr<SqliteRegistry> SqliteRegistry::open(const std::string& dbPath,
                                                     std::string* error) {
    try {
        return std::make_unique<SqliteRegistry>(dbPath);
    } catch (const std::exception& e) {
        if (error) *error = e.what();
        return nullptr;
    }
}

void SqliteRegistry::openDatabase() {
    auto fail = [this](const std::string& what) {
        std::string msg = "registry database " + path_ + ": " + what;
        if (db_) msg += std::string(" (") + sqlite3_errmsg(db_) + ")";
        throw std::runtime_error(msg);
    };

    if (path_ == kInMemory) {
        if (sqlite3_open_v2(kInMemory, &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                            nullptr) != SQLITE_OK ||
            sqlite3_exec(db_, kSchema, nullptr, nullptr, nullptr) != SQLITE_OK)
            fail("cannot create");
        return;
    }

    struct stat st {};
    if (::lstat(path_.c_str(), &st) != 0) {
        if (errno != ENOENT) fail(std::strerror(errno));
        std::error_code ec;
        auto dir = std::filesystem::path(path_).parent_path();
        if (!dir.empty()) std::filesystem::create_directories(dir, ec);
        if (ec) fail("cannot create folder: " + ec.message());
        // Created here rather than by SQLite so the mode is ours: group members may write,
        // nobody else may.
        int fd = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0660);
        if (fd < 0 && errno != EEXIST) fail(std::strerror(errno));
        if (fd >= 0) {
            ::fchmod(fd, 0660);
            ::close(fd);
        }
        if (::lstat(path_.c_str(), &st) != 0) fail(std::strerror(errno));
    }
    // Another user's link in the machine root must not lead the registry elsewhere.
    if (!S_ISREG(st.st_mode)) fail("not a regular file (a link is never followed)");

    if (fileWritable(path_, st)) {
        int rc = sqlite3_open_v2(path_.c_str(), &db_,
                                 SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_NOFOLLOW,
                                 nullptr);
        if (rc == SQLITE_OK) {
            sqlite3_busy_timeout(db_, kBusyTimeoutMs);
            sqlite3_extended_result_codes(db_, 1);
            int version = -1;
            sqlite3_stmt* s = nullptr;
            rc = sqlite3_prepare_v2(db_, "PRAGMA user_version", -1, &s, nullptr);
            if (rc == SQLITE_OK && (rc = sqlite3_step(s)) == SQLITE_ROW) {
                version = sqlite3_column_int(s, 0);
                rc = SQLITE_OK;
            }
            sqlite3_finalize(s);
            if (rc == SQLITE_OK)
                rc = sqlite3_exec(db_, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
            if (rc == SQLITE_OK)
                rc = sqlite3_exec(db_, "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr);
            // Nothing is written into a database that is already damaged: that would bury
            // the damage under new data.
            if (rc == SQLITE_OK) {
                std::string report;
                rc = quickCheck(db_, report);
                if (isCorruption(rc)) {
                    damage_ = sqlite3_errmsg(db_);
                } else if (rc == SQLITE_OK && report != "ok") {
                    damage_ = report;
                }
            }
            if (!damage_.empty()) {
                // Not even the log is folded into the file on the way out.
                sqlite3_db_config(db_, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
                sqlite3_close(db_);
                db_ = nullptr;
                rc = SQLITE_READONLY;
            }
            if (rc == SQLITE_OK && version != 1) {
                rc = sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
                if (rc == SQLITE_OK) rc = sqlite3_exec(db_, kSchema, nullptr, nullptr, nullptr);
                if (rc == SQLITE_OK) rc = sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
                if (rc != SQLITE_OK) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
            }
        }
        if (rc == SQLITE_OK) return;
        if (!isPermissionFailure(rc)) fail("cannot open");
        // Writable file in a folder we cannot write (no room for the log): read-only then.
        sqlite3_close(db_);
        db_ = nullptr;
    }

    readOnly_ = true;
    const std::string base = "file:" + uriEscape(path_);
    // mode=ro still sees the write-ahead log; immutable is the last resort when the log's
    // shared index cannot be opened at all.
    for (const char* query : {"?mode=ro", "?immutable=1"}) {
        int rc = sqlite3_open_v2((base + query).c_str(), &db_,
                                 SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX |
                                     SQLITE_OPEN_NOFOLLOW,
                                 nullptr);
        if (rc == SQLITE_OK) {
            sqlite3_busy_timeout(db_, kBusyTimeoutMs);
            sqlite3_extended_result_codes(db_, 1);
            rc = sqlite3_exec(db_, "SELECT id FROM keys WHERE id = 1", nullptr, nullptr, nullptr);
            if (rc == SQLITE_OK) return;
        }
        if (std::strcmp(query, "?immutable=1") == 0)
            fail(damage_.empty() ? "cannot open read-only"
                                 : "failed its integrity check (" + damage_ +
                                       ") and cannot be opened read-only");
        sqlite3_close(db_);
        db_ = nullptr;
    }
}

void SqliteRegistry::prepareStatements() {
    static_assert(std::size(kStatements) == StmtCount);
    for (int i = 0; i < StmtCount; ++i) {
        if (sqlite3_prepare_v3(db_, kStatements[i], -1, SQLITE_PREPARE_PERSISTENT, &stmts_[i],
                               nullptr) != SQLITE_OK) {
            throw std::runtime_error("registry database " + path_ + ": " + sqlite3_errmsg(db_));
        }
    }
}

uint32_t SqliteRegistry::writeRefused() const {
    return damage_.empty() ? err::AccessDenied : err::RegistryCorrupt;
}

uint32_t SqliteRegistry::exec(Stmt s) {
    Use u(stmts_[s]);
    return fromSqlite(u.step());
}

uint32_t SqliteRegistry::lookup(RegKey key, Handle& h) const {
    if (key == kLocalMachine) {
        h = {kRootId, readOnly_ ? RegAccess::Read : RegAccess::Write, 0};
        return err::Success;
    }
    auto it = handles_.find(key);
    if (it == handles_.end()) return err::InvalidHandle;
    h = it->second;
    return err::Success;
}

uint32_t SqliteRegistry::checkAlive(int64_t id) {
    if (id == kRootId) return err::Success;
    Use u(stmts_[KeyExists]);
    u.id(1, id);
    int rc = u.step();
    if (rc == SQLITE_ROW) return err::Success;
    if (rc == SQLITE_DONE) return err::KeyDeleted;
    return fromSqlite(rc);
}

uint32_t SqliteRegistry::keyOf(RegKey key, Handle& h) {
    uint32_t rc = lookup(key, h);
    return rc ? rc : checkAlive(h.keyId);
}

uint32_t SqliteRegistry::findChild(int64_t parent, std::string_view name, int64_t& id) {
    const std::string folded = regutil::foldName(name);
    Use u(stmts_[FindChild]);
    u.id(1, parent).text(2, folded);
    int rc = u.step();
    if (rc == SQLITE_ROW) {
        id = sqlite3_column_int64(u.get(), 0);
        return err::Success;
    }
    return rc == SQLITE_DONE ? err::FileNotFound : fromSqlite(rc);
}

uint32_t SqliteRegistry::resolve(int64_t from, std::string_view path, int64_t& id) {
    id = from;
    for (auto part : regutil::splitPath(path)) {
        if (uint32_t rc = findChild(id, part, id)) return rc;
    }
    return err::Success;
}

RegKey SqliteRegistry::newHandle(int64_t id, RegAccess access, size_t depth) {
    RegKey h = nextHandle_++;
    handles_[h] = {id, access, depth};
    return h;
}

uint32_t SqliteRegistry::removeTree(int64_t id) {
    for (Stmt s : {DeleteValuesBelow, DeleteKeysBelow, DeleteValues, DeleteKeyRow}) {
        Use u(stmts_[s]);
        u.id(1, id);
        if (uint32_t rc = fromSqlite(u.step())) return rc;
    }
    return err::Success;
}

uint32_t SqliteRegistry::openKey(RegKey parent, std::string_view path, RegAccess access,
                                 RegKey& out) {
    std::lock_guard lock(mutex_);
    out = kNoKey;
    Handle base;
    if (uint32_t rc = keyOf(parent, base)) return rc;
    int64_t id = 0;
    if (uint32_t rc = resolve(base.keyId, path, id)) return rc;
    if (access == RegAccess::Write && readOnly_) return writeRefused();
    out = newHandle(id, access, base.depth + regutil::splitPath(path).size());
    return err::Success;
}

uint32_t SqliteRegistry::createKey(RegKey parent, std::string_view path, RegAccess access,
                                   RegKey& out, bool* created) {
    std::lock_guard lock(mutex_);
    out = kNoKey;
    if (created) *created = false;
    Handle base;
    if (uint32_t rc = lookup(parent, base)) return rc;
    if (readOnly_) return writeRefused();
    const auto parts = regutil::splitPath(path);
    if (base.depth + parts.size() > kMaxKeyDepth) return err::Badkey;
    for (auto part : parts) {
        if (part.size() > kMaxKeyNameLength) return err::Badkey;
    }
    WriteScope w(*this);
    if (w.status()) return w.status();
    if (uint32_t rc = checkAlive(base.keyId)) return rc;
    int64_t cur = base.keyId;
    bool made = false;
    for (auto part : parts) {
        int64_t child = 0;
        uint32_t rc = findChild(cur, part, child);
        if (rc == err::Success) {
            cur = child;
            made = false;
            continue;
        }
        if (rc != err::FileNotFound) return rc;
        const std::string folded = regutil::foldName(part);
        Use u(stmts_[InsertKey]);
        u.id(1, cur).text(2, part).text(3, folded);
        if (uint32_t irc = fromSqlite(u.step())) return irc;
        cur = sqlite3_last_insert_rowid(db_);
        made = true;
    }
    if (uint32_t rc = w.commit()) return rc;
    out = newHandle(cur, access, base.depth + parts.size());
    if (created) *created = made;
    return err::Success;
}

void SqliteRegistry::closeKey(RegKey key) {
    std::lock_guard lock(mutex_);
    handles_.erase(key);
}

uint32_t SqliteRegistry::queryValue(RegKey key, std::string_view name, uint32_t* type, void* data,
                                    uint32_t* size) {
    std::lock_guard lock(mutex_);
    Handle h;
    if (uint32_t rc = keyOf(key, h)) return rc;
    const std::string folded = regutil::foldName(name);
    Use u(stmts_[GetValue]);
    u.id(1, h.keyId).text(2, folded);
    int rc = u.step();
    if (rc == SQLITE_DONE) return err::FileNotFound;
    if (rc != SQLITE_ROW) return fromSqlite(rc);
    const auto storedType = static_cast<uint32_t>(sqlite3_column_int64(u.get(), 0));
    const auto* bytes = static_cast<const uint8_t*>(sqlite3_column_blob(u.get(), 1));
    const auto count = static_cast<size_t>(sqlite3_column_bytes(u.get(), 1));
    return regutil::copyValueOut(storedType, bytes, count, type, data, size);
}

uint32_t SqliteRegistry::setValue(RegKey key, std::string_view name, uint32_t type,
                                  const void* data, uint32_t size) {
    std::lock_guard lock(mutex_);
    Handle h;
    if (uint32_t rc = lookup(key, h)) return rc;
    if (readOnly_) return writeRefused();
    if (h.access != RegAccess::Write) return err::AccessDenied;
    if (!data && size) return err::InvalidParameter;
    WriteScope w(*this);
    if (w.status()) return w.status();
    if (uint32_t rc = checkAlive(h.keyId)) return rc;
    {
        const std::string folded = regutil::foldName(name);
        Use u(stmts_[PutValue]);
        u.id(1, h.keyId).text(2, name).text(3, folded).id(4, type).blob(5, data, size);
        if (uint32_t rc = fromSqlite(u.step())) return rc;
    }
    return w.commit();
}

uint32_t SqliteRegistry::deleteValue(RegKey key, std::string_view name) {
    std::lock_guard lock(mutex_);
    Handle h;
    if (uint32_t rc = lookup(key, h)) return rc;
    if (readOnly_) return writeRefused();
    if (h.access != RegAccess::Write) return err::AccessDenied;
    WriteScope w(*this);
    if (w.status()) return w.status();
    if (uint32_t rc = checkAlive(h.keyId)) return rc;
    {
        const std::string folded = regutil::foldName(name);
        Use u(stmts_[RemoveValue]);
        u.id(1, h.keyId).text(2, folded);
        if (uint32_t rc = fromSqlite(u.step())) return rc;
        if (sqlite3_changes(db_) == 0) return err::FileNotFound;
    }
    return w.commit();
}

uint32_t SqliteRegistry::deleteKey(RegKey parent, std::string_view path) {
    return removeKey(parent, path, false);
}

uint32_t SqliteRegistry::deleteTree(RegKey parent, std::string_view path) {
    return removeKey(parent, path, true);
}

uint32_t SqliteRegistry::removeKey(RegKey parent, std::string_view path, bool withSubkeys) {
    std::lock_guard lock(mutex_);
    Handle base;
    if (uint32_t rc = lookup(parent, base)) return rc;
    if (readOnly_) return writeRefused();
    WriteScope w(*this);
    if (w.status()) return w.status();
    if (uint32_t rc = checkAlive(base.keyId)) return rc;
    int64_t id = 0;
    if (uint32_t rc = resolve(base.keyId, path, id)) return rc;
    if (id == kRootId) return err::AccessDenied;
    if (withSubkeys) {
        if (uint32_t rc = removeTree(id)) return rc;
        return w.commit();
    }
    {
        Use u(stmts_[HasChild]);
        u.id(1, id);
        int rc = u.step();
        if (rc == SQLITE_ROW) return err::AccessDenied;
        if (rc != SQLITE_DONE) return fromSqlite(rc);
    }
    for (Stmt s : {DeleteValues, DeleteKeyRow}) {
        Use u(stmts_[s]);
        u.id(1, id);
        if (uint32_t rc = fromSqlite(u.step())) return rc;
    }
    return w.commit();
}

uint32_t SqliteRegistry::enumKey(RegKey key, uint32_t index, std::string& name) {
    std::lock_guard lock(mutex_);
    Handle h;
    if (uint32_t rc = keyOf(key, h)) return rc;
    Use u(stmts_[NthChild]);
    u.id(1, h.keyId).id(2, index);
    int rc = u.step();
    if (rc == SQLITE_DONE) return err::NoMoreItems;
    if (rc != SQLITE_ROW) return fromSqlite(rc);
    name = columnText(u.get(), 0);
    return err::Success;
}

uint32_t SqliteRegistry::enumValue(RegKey key, uint32_t index, std::string& name, uint32_t& type,
                                   std::vector<uint8_t>& data) {
    std::lock_guard lock(mutex_);
    Handle h;
    if (uint32_t rc = keyOf(key, h)) return rc;
    Use u(stmts_[NthValue]);
    u.id(1, h.keyId).id(2, index);
    int rc = u.step();
    if (rc == SQLITE_DONE) return err::NoMoreItems;
    if (rc != SQLITE_ROW) return fromSqlite(rc);
    name = columnText(u.get(), 0);
    type = static_cast<uint32_t>(sqlite3_column_int64(u.get(), 1));
    const auto* bytes = static_cast<const uint8_t*>(sqlite3_column_blob(u.get(), 2));
    data.assign(bytes, bytes + sqlite3_column_bytes(u.get(), 2));
    return err::Success;
}

uint32_t SqliteRegistry::beginSnapshot() {
    std::lock_guard lock(mutex_);
    if (inBatch_ || inSnapshot_) return err::InvalidFunction;
    // Deferred: a read transaction that holds one snapshot until the end.
    if (sqlite3_exec(db_, "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK) return err::CantRead;
    inSnapshot_ = true;
    return err::Success;
}

void SqliteRegistry::endSnapshot() {
    std::lock_guard lock(mutex_);
    if (!inSnapshot_) return;
    inSnapshot_ = false;
    if (sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
}

uint32_t SqliteRegistry::beginBatch() {
    std::lock_guard lock(mutex_);
    if (readOnly_) return writeRefused();
    if (inBatch_ || inSnapshot_) return err::InvalidFunction;
    if (uint32_t rc = exec(Begin)) return rc;
    inBatch_ = true;
    return err::Success;
}

uint32_t SqliteRegistry::commitBatch() {
    std::lock_guard lock(mutex_);
    if (!inBatch_) return err::InvalidFunction;
    inBatch_ = false;
    uint32_t rc = exec(Commit);
    if (rc) exec(Rollback);
    return rc;
}

void SqliteRegistry::rollbackBatch() {
    std::lock_guard lock(mutex_);
    if (!inBatch_) return;
    inBatch_ = false;
    exec(Rollback);
}

} // namespace lntc

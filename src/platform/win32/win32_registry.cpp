#include "platform/win32/win32_registry.h"

#include "platform/errors.h"
#include "platform/registry_util.h"
#include "platform/win32/text.h"

#include <algorithm>
#include <stdexcept>
#include <tuple>

namespace lntc {

namespace {

// The system opens or creates at most this many levels in one call.
constexpr size_t kLevelsPerCall = 32;
constexpr DWORD kMaxValueName = 16384;

std::vector<std::wstring> splitWide(const std::wstring& path) {
    std::vector<std::wstring> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find(L'\\', start);
        if (end == std::wstring::npos) end = path.size();
        if (end > start) parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

std::wstring join(const std::wstring& a, const std::wstring& b) {
    if (a.empty()) return b;
    if (b.empty()) return a;
    return a + L'\\' + b;
}

// A path as the system takes it: no empty components, "\" between keys.
std::wstring widePath(std::string_view path) {
    std::wstring out;
    for (auto part : regutil::splitPath(path))
        out = join(out, win32::wideFromText(part));
    return out;
}

// A NUL would end the name early in the system's calls.
bool hasNul(std::string_view s) {
    return s.find('\0') != std::string_view::npos;
}

REGSAM samOf(RegAccess access) {
    return access == RegAccess::Write ? KEY_READ | KEY_WRITE : KEY_READ;
}

bool isText(DWORD type) {
    return type == regtype::Sz || type == regtype::ExpandSz || type == regtype::MultiSz;
}

// Opens a path of any depth, a few levels per call.
LSTATUS openPath(HKEY from, const std::wstring& path, REGSAM sam, HKEY& out) {
    const auto parts = splitWide(path);
    HKEY cur = from;
    size_t i = 0;
    do {
        const size_t n = std::min(kLevelsPerCall, parts.size() - i);
        std::wstring chunk;
        for (size_t j = i; j < i + n; ++j)
            chunk = join(chunk, parts[j]);
        HKEY next = nullptr;
        LSTATUS rc =
            RegOpenKeyExW(cur, chunk.c_str(), 0, i + n == parts.size() ? sam : KEY_READ, &next);
        if (cur != from) RegCloseKey(cur);
        if (rc != ERROR_SUCCESS) return rc;
        cur = next;
        i += n;
    } while (i < parts.size());
    out = cur;
    return ERROR_SUCCESS;
}

std::pair<std::wstring, std::wstring> splitLast(const std::wstring& path) {
    const size_t cut = path.rfind(L'\\');
    if (cut == std::wstring::npos) return {L"", path};
    return {path.substr(0, cut), path.substr(cut + 1)};
}

// Deletes the key at a path of any depth below `from`, with or without what lies below it.
LSTATUS deletePath(HKEY from, const std::wstring& path, bool withSubkeys) {
    auto [parentPath, name] = splitLast(path);
    HKEY parent = nullptr;
    if (LSTATUS rc = openPath(from, parentPath, KEY_READ, parent)) return rc;
    LSTATUS rc =
        withSubkeys ? RegDeleteTreeW(parent, name.c_str()) : RegDeleteKeyW(parent, name.c_str());
    RegCloseKey(parent);
    return rc;
}

LSTATUS readValue(HKEY key, const std::wstring& name, DWORD& type, std::vector<BYTE>& data) {
    data.resize(256);
    for (int attempt = 0;; ++attempt) {
        DWORD size = static_cast<DWORD>(data.size());
        LSTATUS rc = RegQueryValueExW(key, name.c_str(), nullptr, &type, data.data(), &size);
        // The value may grow between two calls; a few rounds settle it.
        if (rc == ERROR_MORE_DATA && attempt < 8) {
            data.resize(size);
            continue;
        }
        if (rc == ERROR_SUCCESS) data.resize(size);
        return rc;
    }
}

// Stored form and the caller's form of a value's data.
std::vector<BYTE> toStored(DWORD type, const void* data, uint32_t size) {
    const auto* bytes = static_cast<const BYTE*>(data);
    if (!isText(type)) return std::vector<BYTE>(bytes, bytes + size);
    const std::wstring wide =
        win32::wideFromText(std::string_view(static_cast<const char*>(data), size));
    const auto* w = reinterpret_cast<const BYTE*>(wide.data());
    return std::vector<BYTE>(w, w + wide.size() * sizeof(wchar_t));
}

// Writes exactly these bytes. The system adds a NUL to text whose bytes are followed by one in
// memory, taking it for a forgotten terminator; a guard after the data keeps text that was
// stored without one as it was.
LSTATUS putValue(HKEY key, const std::wstring& name, DWORD type, const std::vector<BYTE>& data) {
    std::vector<BYTE> guarded(data);
    guarded.insert(guarded.end(), {0xFF, 0xFF});
    return RegSetValueExW(key, name.c_str(), 0, type, guarded.data(),
                          static_cast<DWORD>(data.size()));
}

// UTF-16 text of an odd length (another program's doing) loses its last byte.
std::vector<uint8_t> fromStored(DWORD type, std::vector<BYTE> data) {
    if (!isText(type)) return data;
    std::wstring wide(data.size() / sizeof(wchar_t), L'\0');
    std::copy_n(data.begin(), wide.size() * sizeof(wchar_t), reinterpret_cast<BYTE*>(wide.data()));
    const std::string text = win32::textFromWide(wide);
    return std::vector<uint8_t>(text.begin(), text.end());
}

// Enumeration in the order the interface promises: by name folded to lower case in ASCII (the
// system sorts keys upper-cased, and values not at all). Each entry: folded, text, stored name.
using Names = std::vector<std::tuple<std::string, std::string, std::wstring>>;

LSTATUS sortedNames(HKEY key, bool values, Names& out) {
    std::vector<wchar_t> buf(values ? kMaxValueName : 256);
    for (DWORD i = 0;; ++i) {
        DWORD len = static_cast<DWORD>(buf.size());
        LSTATUS rc =
            values ? RegEnumValueW(key, i, buf.data(), &len, nullptr, nullptr, nullptr, nullptr)
                   : RegEnumKeyExW(key, i, buf.data(), &len, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_NO_MORE_ITEMS) break;
        if (rc != ERROR_SUCCESS) return rc;
        std::wstring wide(buf.data(), len);
        std::string text = win32::textFromWide(wide);
        out.emplace_back(regutil::foldName(text), std::move(text), std::move(wide));
    }
    std::sort(out.begin(), out.end());
    return ERROR_SUCCESS;
}

} // namespace

Win32Registry::Win32Registry(std::string_view base, bool readOnly) : readOnly_(readOnly) {
    const std::wstring path = widePath(base);
    if (path.empty()) {
        root_ = HKEY_LOCAL_MACHINE;
        // Who may not write below SOFTWARE may not configure the product either.
        HKEY probe = nullptr;
        if (!readOnly_ && RegOpenKeyExW(root_, L"SOFTWARE", 0, KEY_WRITE, &probe) == 0)
            RegCloseKey(probe);
        else
            readOnly_ = true;
        return;
    }
    LSTATUS rc = ERROR_ACCESS_DENIED;
    if (!readOnly_)
        rc = RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                             KEY_READ | KEY_WRITE, nullptr, &root_, nullptr);
    if (rc == ERROR_ACCESS_DENIED) {
        readOnly_ = true;
        rc = RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &root_);
    }
    if (rc != ERROR_SUCCESS)
        throw std::runtime_error("registry key HKEY_LOCAL_MACHINE\\" + std::string(base) + ": " +
                                 systemErrorText(static_cast<uint32_t>(rc)));
    ownRoot_ = true;
}

Win32Registry::~Win32Registry() {
    rollbackBatch();
    for (auto& [id, h] : handles_)
        RegCloseKey(h.hkey);
    if (ownRoot_) RegCloseKey(root_);
}

uint32_t Win32Registry::lookup(RegKey key, Handle& h) const {
    if (key == kLocalMachine) {
        h = {root_, readOnly_ ? RegAccess::Read : RegAccess::Write, 0, L""};
        return err::Success;
    }
    auto it = handles_.find(key);
    if (it == handles_.end()) return err::InvalidHandle;
    h = it->second;
    return err::Success;
}

RegKey Win32Registry::newHandle(HKEY hkey, RegAccess access, size_t depth, std::wstring path) {
    RegKey h = nextHandle_++;
    handles_[h] = {hkey, access, depth, std::move(path)};
    return h;
}

uint32_t Win32Registry::openKey(RegKey parent, std::string_view path, RegAccess access,
                                RegKey& out) {
    std::lock_guard lock(mutex_);
    out = kNoKey;
    Handle base;
    if (uint32_t rc = lookup(parent, base)) return rc;
    if (hasNul(path)) return err::InvalidParameter;
    const std::wstring rel = widePath(path);
    const bool refused = access == RegAccess::Write && readOnly_;
    HKEY key = nullptr;
    // A missing key answers 2 even on a read-only store.
    if (LSTATUS rc = openPath(base.hkey, rel, refused ? KEY_READ : samOf(access), key)) return rc;
    if (refused) {
        RegCloseKey(key);
        return err::AccessDenied;
    }
    out = newHandle(key, access, base.depth + splitWide(rel).size(), join(base.path, rel));
    return err::Success;
}

uint32_t Win32Registry::createKey(RegKey parent, std::string_view path, RegAccess access,
                                  RegKey& out, bool* created) {
    std::lock_guard lock(mutex_);
    out = kNoKey;
    if (created) *created = false;
    Handle base;
    if (uint32_t rc = lookup(parent, base)) return rc;
    if (readOnly_) return err::AccessDenied;
    const auto parts = regutil::splitPath(path);
    if (base.depth + parts.size() > kMaxKeyDepth) return err::Badkey;
    for (auto part : parts) {
        if (part.size() > kMaxKeyNameLength) return err::Badkey;
        if (hasNul(part)) return err::InvalidParameter;
    }
    HKEY cur = nullptr;
    if (parts.empty()) {
        if (LSTATUS rc = RegOpenKeyExW(base.hkey, L"", 0, samOf(access), &cur)) return rc;
        out = newHandle(cur, access, base.depth, base.path);
        return err::Success;
    }
    // One level per call: the system takes only a few in one, and this tells which it made.
    std::wstring keyPath = base.path, firstMade;
    bool made = false;
    cur = base.hkey;
    for (size_t i = 0; i < parts.size(); ++i) {
        const std::wstring name = win32::wideFromText(parts[i]);
        const bool last = i + 1 == parts.size();
        HKEY next = nullptr;
        DWORD disposition = 0;
        LSTATUS rc = RegCreateKeyExW(cur, name.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                     last ? samOf(access) : KEY_READ | KEY_CREATE_SUB_KEY, nullptr,
                                     &next, &disposition);
        if (cur != base.hkey) RegCloseKey(cur);
        if (rc != ERROR_SUCCESS) {
            // Nothing half-made stays behind.
            if (!firstMade.empty()) deletePath(root_, firstMade, true);
            return static_cast<uint32_t>(rc);
        }
        cur = next;
        keyPath = join(keyPath, name);
        made = disposition == REG_CREATED_NEW_KEY;
        if (made && firstMade.empty()) firstMade = keyPath;
    }
    if (inBatch_ && !firstMade.empty()) journal_.emplace_back(Undo::RemoveKey, firstMade);
    out = newHandle(cur, access, base.depth + parts.size(), keyPath);
    if (created) *created = made;
    return err::Success;
}

void Win32Registry::closeKey(RegKey key) {
    std::lock_guard lock(mutex_);
    auto it = handles_.find(key);
    if (it == handles_.end()) return;
    RegCloseKey(it->second.hkey);
    handles_.erase(it);
}

uint32_t Win32Registry::queryValue(RegKey key, std::string_view name, uint32_t* type, void* data,
                                   uint32_t* size) {
    std::lock_guard lock(mutex_);
    Handle h;
    if (uint32_t rc = lookup(key, h)) return rc;
    if (hasNul(name)) return err::InvalidParameter;
    DWORD stored = 0;
    std::vector<BYTE> bytes;
    if (LSTATUS rc = readValue(h.hkey, win32::wideFromText(name), stored, bytes)) return rc;
    const std::vector<uint8_t> out = fromStored(stored, std::move(bytes));
    return regutil::copyValueOut(stored, out.data(), out.size(), type, data, size);
}

uint32_t Win32Registry::setValue(RegKey key, std::string_view name, uint32_t type, const void* data,
                                 uint32_t size) {
    std::lock_guard lock(mutex_);
    Handle h;
    if (uint32_t rc = lookup(key, h)) return rc;
    if (readOnly_ || h.access != RegAccess::Write) return err::AccessDenied;
    if ((!data && size) || hasNul(name)) return err::InvalidParameter;
    // Text takes twice its bytes in the registry.
    if (isText(type) && size > UINT32_MAX / sizeof(wchar_t)) return err::InvalidParameter;
    const std::wstring wide = win32::wideFromText(name);
    const std::vector<BYTE> bytes = toStored(type, data, size);
    if (inBatch_) {
        Undo u(Undo::PutValue, h.path);
        u.value.name = wide;
        LSTATUS rc = readValue(h.hkey, wide, u.value.type, u.value.data);
        if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND) return rc;
        u.existed = rc == ERROR_SUCCESS;
        journal_.push_back(std::move(u));
    }
    LSTATUS rc = putValue(h.hkey, wide, type, bytes);
    if (rc != ERROR_SUCCESS && inBatch_) journal_.pop_back();
    return rc;
}

uint32_t Win32Registry::deleteValue(RegKey key, std::string_view name) {
    std::lock_guard lock(mutex_);
    Handle h;
    if (uint32_t rc = lookup(key, h)) return rc;
    if (readOnly_ || h.access != RegAccess::Write) return err::AccessDenied;
    if (hasNul(name)) return err::InvalidParameter;
    const std::wstring wide = win32::wideFromText(name);
    if (inBatch_) {
        Undo u(Undo::PutValue, h.path);
        u.value.name = wide;
        u.existed = true;
        if (LSTATUS rc = readValue(h.hkey, wide, u.value.type, u.value.data)) return rc;
        journal_.push_back(std::move(u));
    }
    LSTATUS rc = RegDeleteValueW(h.hkey, wide.c_str());
    if (rc != ERROR_SUCCESS && inBatch_) journal_.pop_back();
    return rc;
}

uint32_t Win32Registry::deleteKey(RegKey parent, std::string_view path) {
    return removeKey(parent, path, false);
}

uint32_t Win32Registry::deleteTree(RegKey parent, std::string_view path) {
    return removeKey(parent, path, true);
}

uint32_t Win32Registry::removeKey(RegKey parent, std::string_view path, bool withSubkeys) {
    std::lock_guard lock(mutex_);
    Handle base;
    if (uint32_t rc = lookup(parent, base)) return rc;
    if (readOnly_) return err::AccessDenied;
    if (hasNul(path)) return err::InvalidParameter;
    const std::wstring rel = widePath(path);
    // Found through the handle, so that one on a deleted key answers as the system has it.
    HKEY target = nullptr;
    if (LSTATUS rc = openPath(base.hkey, rel, KEY_READ, target)) return rc;
    const std::wstring full = join(base.path, rel);
    if (full.empty()) {
        RegCloseKey(target);
        return err::AccessDenied; // the hive stays
    }
    std::vector<SavedKey> saved;
    LSTATUS rc = inBatch_ ? saveTree(target, full, saved) : ERROR_SUCCESS;
    RegCloseKey(target);
    if (rc != ERROR_SUCCESS) return rc;
    rc = deletePath(root_, full, withSubkeys);
    if (rc == ERROR_SUCCESS && inBatch_) {
        Undo u(Undo::RestoreKeys, full);
        u.keys = std::move(saved);
        journal_.push_back(std::move(u));
    }
    return rc;
}

uint32_t Win32Registry::saveTree(HKEY key, const std::wstring& path, std::vector<SavedKey>& out) {
    SavedKey saved{path, {}};
    Names names;
    if (LSTATUS rc = sortedNames(key, true, names)) return rc;
    for (const auto& [folded, text, wide] : names) {
        Value v;
        v.name = wide;
        if (LSTATUS rc = readValue(key, wide, v.type, v.data)) return rc;
        saved.values.push_back(std::move(v));
    }
    out.push_back(std::move(saved));
    names.clear();
    if (LSTATUS rc = sortedNames(key, false, names)) return rc;
    for (const auto& [folded, text, wide] : names) {
        HKEY sub = nullptr;
        LSTATUS rc = RegOpenKeyExW(key, wide.c_str(), 0, KEY_READ, &sub);
        if (rc == ERROR_SUCCESS) {
            rc = saveTree(sub, join(path, wide), out);
            RegCloseKey(sub);
        }
        if (rc != ERROR_SUCCESS) return rc;
    }
    return ERROR_SUCCESS;
}

void Win32Registry::undo(const Undo& u) {
    if (u.kind == Undo::RemoveKey) {
        deletePath(root_, u.path, true);
        return;
    }
    if (u.kind == Undo::PutValue) {
        HKEY key = nullptr;
        if (openPath(root_, u.path, KEY_READ | KEY_WRITE, key) != ERROR_SUCCESS) return;
        if (u.existed)
            putValue(key, u.value.name, u.value.type, u.value.data);
        else
            RegDeleteValueW(key, u.value.name.c_str());
        RegCloseKey(key);
        return;
    }
    // A deleted tree, parents first: each key made below the last one still open above it.
    std::vector<std::pair<std::wstring, HKEY>> open;
    for (const SavedKey& k : u.keys) {
        while (!open.empty() &&
               !(k.path.size() > open.back().first.size() &&
                 k.path.compare(0, open.back().first.size(), open.back().first) == 0 &&
                 k.path[open.back().first.size()] == L'\\')) {
            RegCloseKey(open.back().second);
            open.pop_back();
        }
        HKEY key = nullptr;
        LSTATUS rc = ERROR_SUCCESS;
        if (open.empty()) {
            auto [parentPath, name] = splitLast(k.path);
            HKEY parent = nullptr;
            rc = openPath(root_, parentPath, KEY_READ | KEY_CREATE_SUB_KEY, parent);
            if (rc == ERROR_SUCCESS) {
                rc = RegCreateKeyExW(parent, name.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                     KEY_READ | KEY_WRITE, nullptr, &key, nullptr);
                RegCloseKey(parent);
            }
        } else {
            const std::wstring name = k.path.substr(open.back().first.size() + 1);
            rc = RegCreateKeyExW(open.back().second, name.c_str(), 0, nullptr,
                                 REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE, nullptr, &key,
                                 nullptr);
        }
        if (rc != ERROR_SUCCESS) break;
        for (const Value& v : k.values)
            putValue(key, v.name, v.type, v.data);
        open.emplace_back(k.path, key);
    }
    for (auto& [path, key] : open)
        RegCloseKey(key);
}

uint32_t Win32Registry::enumKey(RegKey key, uint32_t index, std::string& name) {
    std::lock_guard lock(mutex_);
    Handle h;
    if (uint32_t rc = lookup(key, h)) return rc;
    Names names;
    if (LSTATUS rc = sortedNames(h.hkey, false, names)) return rc;
    if (index >= names.size()) return err::NoMoreItems;
    name = std::get<1>(names[index]);
    return err::Success;
}

uint32_t Win32Registry::enumValue(RegKey key, uint32_t index, std::string& name, uint32_t& type,
                                  std::vector<uint8_t>& data) {
    std::lock_guard lock(mutex_);
    Handle h;
    if (uint32_t rc = lookup(key, h)) return rc;
    Names names;
    if (LSTATUS rc = sortedNames(h.hkey, true, names)) return rc;
    if (index >= names.size()) return err::NoMoreItems;
    DWORD stored = 0;
    std::vector<BYTE> bytes;
    if (LSTATUS rc = readValue(h.hkey, std::get<2>(names[index]), stored, bytes)) return rc;
    name = std::get<1>(names[index]);
    type = stored;
    data = fromStored(stored, std::move(bytes));
    return err::Success;
}

uint32_t Win32Registry::beginSnapshot() {
    return err::NotSupported;
}

uint32_t Win32Registry::beginBatch() {
    std::lock_guard lock(mutex_);
    if (readOnly_) return err::AccessDenied;
    if (inBatch_) return err::InvalidFunction;
    inBatch_ = true;
    journal_.clear();
    return err::Success;
}

uint32_t Win32Registry::commitBatch() {
    std::lock_guard lock(mutex_);
    if (!inBatch_) return err::InvalidFunction;
    inBatch_ = false;
    journal_.clear();
    return err::Success;
}

void Win32Registry::rollbackBatch() {
    std::lock_guard lock(mutex_);
    if (!inBatch_) return;
    inBatch_ = false;
    for (auto it = journal_.rbegin(); it != journal_.rend(); ++it)
        undo(*it);
    journal_.clear();
}

} // namespace lntc

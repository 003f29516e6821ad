#include "support/memory_registry.h"

#include "platform/errors.h"
#include "platform/registry_util.h"

namespace lntc::test {

namespace {
constexpr int64_t kRootId = 1;
using Lock = std::lock_guard<std::recursive_mutex>;
} // namespace

MemoryRegistry::MemoryRegistry() {
    state_.nodes[kRootId] = Node{};
}

void MemoryRegistry::failNext(Op op, uint32_t code) {
    Lock lock(mutex_);
    failures_[op] = code;
}

size_t MemoryRegistry::openHandleCount() const {
    Lock lock(mutex_);
    return handles_.size();
}

bool MemoryRegistry::takeFailure(Op op, uint32_t& code) {
    auto it = failures_.find(op);
    if (it == failures_.end()) return false;
    code = it->second;
    failures_.erase(it);
    return true;
}

void MemoryRegistry::setRaw(std::string_view path, std::string_view name, uint32_t type,
                            std::vector<uint8_t> bytes) {
    Lock lock(mutex_);
    int64_t id = ensurePath(kRootId, path, nullptr);
    Value& v = state_.nodes[id].values[regutil::foldName(name)];
    if (v.name.empty()) v.name = std::string(name);
    v.type = type;
    v.data = std::move(bytes);
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
    Lock lock(mutex_);
    int64_t id = 0;
    return resolve(kRootId, path, id) == err::Success;
}

bool MemoryRegistry::getRaw(std::string_view path, std::string_view name, uint32_t& type,
                            std::vector<uint8_t>& bytes) const {
    Lock lock(mutex_);
    int64_t id = 0;
    if (resolve(kRootId, path, id)) return false;
    const auto& values = state_.nodes.at(id).values;
    auto it = values.find(regutil::foldName(name));
    if (it == values.end()) return false;
    type = it->second.type;
    bytes = it->second.data;
    return true;
}

uint32_t MemoryRegistry::lookup(RegKey key, Handle& h) const {
    if (key == kLocalMachine) {
        h = {kRootId, readOnly_ ? RegAccess::Read : RegAccess::Write};
        return err::Success;
    }
    auto it = handles_.find(key);
    if (it == handles_.end()) return err::InvalidHandle;
    h = it->second;
    return err::Success;
}

uint32_t MemoryRegistry::keyOf(RegKey key, Handle& h) const {
    if (uint32_t rc = lookup(key, h)) return rc;
    return state_.nodes.count(h.id) ? err::Success : err::KeyDeleted;
}

uint32_t MemoryRegistry::resolve(int64_t from, std::string_view path, int64_t& id) const {
    id = from;
    for (auto part : regutil::splitPath(path)) {
        const auto& children = state_.nodes.at(id).children;
        auto it = children.find(regutil::foldName(part));
        if (it == children.end()) return err::FileNotFound;
        id = it->second;
    }
    return err::Success;
}

int64_t MemoryRegistry::ensurePath(int64_t from, std::string_view path, bool* created) {
    int64_t id = from;
    bool made = false;
    for (auto part : regutil::splitPath(path)) {
        const std::string folded = regutil::foldName(part);
        auto& children = state_.nodes.at(id).children;
        auto it = children.find(folded);
        if (it != children.end()) {
            id = it->second;
            made = false;
            continue;
        }
        const int64_t child = nextId_++;
        children[folded] = child;
        Node node;
        node.parent = id;
        node.name = std::string(part);
        state_.nodes[child] = std::move(node);
        id = child;
        made = true;
    }
    if (created) *created = made;
    return id;
}

void MemoryRegistry::removeTree(int64_t id) {
    Node& top = state_.nodes.at(id);
    state_.nodes.at(top.parent).children.erase(regutil::foldName(top.name));
    // A list of its own rather than recursion: any depth costs no call depth.
    std::vector<int64_t> pending{id};
    while (!pending.empty()) {
        const int64_t next = pending.back();
        pending.pop_back();
        for (const auto& [folded, child] : state_.nodes.at(next).children)
            pending.push_back(child);
        state_.nodes.erase(next);
    }
}

uint32_t MemoryRegistry::openKey(RegKey parent, std::string_view path, RegAccess access,
                                 RegKey& out) {
    Lock lock(mutex_);
    out = kNoKey;
    uint32_t code = 0;
    if (takeFailure(Op::OpenKey, code)) return code;
    Handle base;
    if (uint32_t rc = keyOf(parent, base)) return rc;
    int64_t id = 0;
    if (uint32_t rc = resolve(base.id, path, id)) return rc;
    if (access == RegAccess::Write && readOnly_) return err::AccessDenied;
    out = nextHandle_++;
    handles_[out] = {id, access};
    return err::Success;
}

uint32_t MemoryRegistry::createKey(RegKey parent, std::string_view path, RegAccess access,
                                   RegKey& out, bool* created) {
    Lock lock(mutex_);
    out = kNoKey;
    if (created) *created = false;
    uint32_t code = 0;
    if (takeFailure(Op::CreateKey, code)) return code;
    Handle base;
    if (uint32_t rc = lookup(parent, base)) return rc;
    if (readOnly_) return err::AccessDenied;
    if (!state_.nodes.count(base.id)) return err::KeyDeleted;
    const auto parts = regutil::splitPath(path);
    size_t depth = parts.size();
    for (int64_t at = base.id; at != kRootId; at = state_.nodes.at(at).parent)
        ++depth;
    if (depth > kMaxKeyDepth) return err::Badkey;
    for (auto part : parts) {
        if (part.size() > kMaxKeyNameLength) return err::Badkey;
    }
    const int64_t id = ensurePath(base.id, path, created);
    out = nextHandle_++;
    handles_[out] = {id, access};
    return err::Success;
}

void MemoryRegistry::closeKey(RegKey key) {
    Lock lock(mutex_);
    handles_.erase(key);
}

uint32_t MemoryRegistry::queryValue(RegKey key, std::string_view name, uint32_t* type, void* data,
                                    uint32_t* size) {
    Lock lock(mutex_);
    uint32_t code = 0;
    if (takeFailure(Op::QueryValue, code)) return code;
    Handle h;
    if (uint32_t rc = keyOf(key, h)) return rc;
    const auto& values = state_.nodes.at(h.id).values;
    auto it = values.find(regutil::foldName(name));
    if (it == values.end()) return err::FileNotFound;
    const Value& v = it->second;
    return regutil::copyValueOut(v.type, v.data.data(), v.data.size(), type, data, size);
}

uint32_t MemoryRegistry::setValue(RegKey key, std::string_view name, uint32_t type,
                                  const void* data, uint32_t size) {
    Lock lock(mutex_);
    uint32_t code = 0;
    if (takeFailure(Op::SetValue, code)) return code;
    Handle h;
    if (uint32_t rc = lookup(key, h)) return rc;
    if (readOnly_ || h.access != RegAccess::Write) return err::AccessDenied;
    if (!data && size) return err::InvalidParameter;
    if (!state_.nodes.count(h.id)) return err::KeyDeleted;
    auto& values = state_.nodes.at(h.id).values;
    const std::string folded = regutil::foldName(name);
    auto it = values.find(folded);
    if (it == values.end()) it = values.emplace(folded, Value{std::string(name), 0, {}}).first;
    it->second.type = type;
    const auto* bytes = static_cast<const uint8_t*>(data);
    it->second.data.assign(bytes, bytes + size);
    return err::Success;
}

uint32_t MemoryRegistry::deleteValue(RegKey key, std::string_view name) {
    Lock lock(mutex_);
    uint32_t code = 0;
    if (takeFailure(Op::DeleteValue, code)) return code;
    Handle h;
    if (uint32_t rc = lookup(key, h)) return rc;
    if (readOnly_ || h.access != RegAccess::Write) return err::AccessDenied;
    if (!state_.nodes.count(h.id)) return err::KeyDeleted;
    return state_.nodes.at(h.id).values.erase(regutil::foldName(name)) ? err::Success
                                                                       : err::FileNotFound;
}

uint32_t MemoryRegistry::deleteKey(RegKey parent, std::string_view path) {
    return removeKey(Op::DeleteKey, parent, path, false);
}

uint32_t MemoryRegistry::deleteTree(RegKey parent, std::string_view path) {
    return removeKey(Op::DeleteTree, parent, path, true);
}

uint32_t MemoryRegistry::removeKey(Op op, RegKey parent, std::string_view path, bool withSubkeys) {
    Lock lock(mutex_);
    uint32_t code = 0;
    if (takeFailure(op, code)) return code;
    Handle base;
    if (uint32_t rc = lookup(parent, base)) return rc;
    if (readOnly_) return err::AccessDenied;
    if (!state_.nodes.count(base.id)) return err::KeyDeleted;
    int64_t id = 0;
    if (uint32_t rc = resolve(base.id, path, id)) return rc;
    if (id == kRootId) return err::AccessDenied;
    if (!withSubkeys && !state_.nodes.at(id).children.empty()) return err::AccessDenied;
    removeTree(id);
    return err::Success;
}

uint32_t MemoryRegistry::enumKey(RegKey key, uint32_t index, std::string& name) {
    Lock lock(mutex_);
    uint32_t code = 0;
    if (takeFailure(Op::EnumKey, code)) return code;
    Handle h;
    if (uint32_t rc = keyOf(key, h)) return rc;
    const auto& children = state_.nodes.at(h.id).children;
    if (index >= children.size()) return err::NoMoreItems;
    name = state_.nodes.at(std::next(children.begin(), index)->second).name;
    return err::Success;
}

uint32_t MemoryRegistry::enumValue(RegKey key, uint32_t index, std::string& name, uint32_t& type,
                                   std::vector<uint8_t>& data) {
    Lock lock(mutex_);
    uint32_t code = 0;
    if (takeFailure(Op::EnumValue, code)) return code;
    Handle h;
    if (uint32_t rc = keyOf(key, h)) return rc;
    const auto& values = state_.nodes.at(h.id).values;
    if (index >= values.size()) return err::NoMoreItems;
    const Value& v = std::next(values.begin(), index)->second;
    name = v.name;
    type = v.type;
    data = v.data;
    return err::Success;
}

uint32_t MemoryRegistry::beginBatch() {
    Lock lock(mutex_);
    uint32_t code = 0;
    if (takeFailure(Op::BeginBatch, code)) return code;
    if (readOnly_) return err::AccessDenied;
    if (inBatch_) return err::InvalidFunction;
    saved_ = state_;
    inBatch_ = true;
    return err::Success;
}

uint32_t MemoryRegistry::commitBatch() {
    Lock lock(mutex_);
    if (!inBatch_) return err::InvalidFunction;
    uint32_t code = 0;
    if (takeFailure(Op::CommitBatch, code)) {
        // A failed commit lands nothing, as with the database.
        state_ = std::move(saved_);
        inBatch_ = false;
        return code;
    }
    inBatch_ = false;
    saved_ = State{};
    return err::Success;
}

void MemoryRegistry::rollbackBatch() {
    Lock lock(mutex_);
    if (!inBatch_) return;
    state_ = std::move(saved_);
    saved_ = State{};
    inBatch_ = false;
}

} // namespace lntc::test

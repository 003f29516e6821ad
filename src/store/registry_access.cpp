#include "store/registry_access.h"

#include "platform/errors.h"
#include "resources/ids.h"
#include "store/fields.h"
#include "store/records.h"

#include <algorithm>
#include <cstring>
#include <span>
#include <string_view>
#include <strings.h>

namespace lntc {

namespace {
bool isMissing(uint32_t code) {
    return code == err::FileNotFound || code == err::PathNotFound;
}
} // namespace

ValueReader::ValueReader(RegistryRoot& root, RegKey parent, std::string_view subkey) : root_(root) {
    code_ = root.registry().openKey(parent, subkey, RegAccess::Read, key_);
    if (code_ != 0) {
        if (!isMissing(code_)) root.logFailure(code_, str::LogOpenKey);
        key_ = kNoKey;
    }
}

ValueReader::~ValueReader() {
    if (key_ != kNoKey) root_.registry().closeKey(key_);
}

bool ValueReader::query(const char* name, uint32_t& type, uint32_t& size) {
    if (key_ == kNoKey) return false;
    size = sizeof buffer_;
    code_ = root_.registry().queryValue(key_, name ? name : "", &type, buffer_, &size);
    if (code_ != 0) {
        if (!isMissing(code_)) root_.logFailure(code_, str::LogQueryKey);
        return false;
    }
    size = std::min<uint32_t>(size, sizeof buffer_);
    return true;
}

uint32_t ValueReader::dword(const char* name, uint32_t defaultValue) {
    uint32_t type = 0, size = 0;
    if (!query(name, type, size)) return defaultValue;
    if (type != regtype::Dword || size != 4) {
        root_.logFailure(code_, str::LogNotInteger);
        return defaultValue;
    }
    uint32_t value;
    std::memcpy(&value, buffer_, 4);
    return value;
}

std::optional<std::string_view> ValueReader::text(const char* name) {
    uint32_t type = 0, size = 0;
    if (!query(name, type, size)) return std::nullopt;
    if (type != regtype::Sz) {
        root_.logFailure(code_, str::LogNotString);
        return std::nullopt;
    }
    std::string_view value(buffer_, size);
    return value.substr(0, value.find('\0'));
}

uint32_t ReadStringValue(RegistryRoot& root, const char* subkey, const char* name,
                         const char* defaultText, char* dest, uint16_t size) {
    if (dest == nullptr || size == 0) return err::InvalidParameter;
    ValueReader values(root, root.key(), subkey ? subkey : "");
    std::optional<std::string_view> text = values.text(name);
    copyField(dest, size, text && !text->empty() ? *text : (defaultText ? defaultText : ""));
    return values.code();
}

uint32_t ReadDwordValue(RegistryRoot& root, const char* subkey, const char* name,
                        uint32_t defaultValue) {
    ValueReader values(root, root.key(), subkey ? subkey : "");
    return values.dword(name, defaultValue);
}

namespace {

uint32_t writeValue(RegistryRoot& root, const char* subkey, const char* name, uint32_t type,
                    const void* data, uint32_t size) {
    Registry& reg = root.registry();
    RegKey key = kNoKey;
    uint32_t rc = reg.createKey(root.key(), subkey ? subkey : "", RegAccess::Write, key);
    if (rc != 0) {
        root.logFailure(rc, str::LogCreateKey);
        return rc;
    }
    KeyGuard guard(reg, key);
    rc = reg.setValue(key, name ? name : "", type, data, size);
    if (rc != 0) root.logFailure(rc, str::LogSetKey);
    return rc;
}

} // namespace

uint32_t WriteStringValue(RegistryRoot& root, const char* subkey, const char* name,
                          const char* text) {
    const char* t = text ? text : "";
    return writeValue(root, subkey, name, regtype::Sz, t,
                      static_cast<uint32_t>(std::strlen(t) + 1));
}

uint32_t WriteDwordValue(RegistryRoot& root, const char* subkey, const char* name, uint32_t value) {
    return writeValue(root, subkey, name, regtype::Dword, &value, 4);
}

namespace {

// Nothing to delete counts as deleted.
uint32_t deleteValueAt(RegistryRoot& root, const std::string& path, const char* valueName) {
    Registry& reg = root.registry();
    RegKey key = kNoKey;
    uint32_t rc = reg.openKey(root.key(), path, RegAccess::Write, key);
    if (rc != 0) {
        if (isMissing(rc)) return err::Success;
        root.logFailure(rc, str::LogOpenKey);
        return rc;
    }
    KeyGuard guard(reg, key);
    rc = reg.deleteValue(key, valueName);
    if (rc == 0 || isMissing(rc)) return err::Success;
    root.logFailure(rc, str::LogDeleteKey);
    return rc;
}

uint32_t deleteKeyAt(RegistryRoot& root, const std::string& parent, const char* subkey) {
    // An empty name would name the parent itself, and with it every key below.
    if (*subkey == '\0') return err::InvalidParameter;
    Registry& reg = root.registry();
    RegKey key = kNoKey;
    uint32_t rc = reg.openKey(root.key(), parent, RegAccess::Write, key);
    if (rc != 0) {
        if (isMissing(rc)) return err::Success;
        root.logFailure(rc, str::LogOpenKey);
        return rc;
    }
    KeyGuard guard(reg, key);
    // A stray subkey below must not keep a deleted queue alive at the next load.
    rc = reg.deleteTree(key, subkey);
    if (rc == 0 || isMissing(rc)) return err::Success;
    root.logFailure(rc, str::LogDeleteKey);
    return rc;
}

} // namespace

int DeleteRegistryEntry(RegistryRoot& root, const char* key, const char* subkey,
                        const char* valueName) {
    if (key == nullptr) {
        if (subkey == nullptr || valueName == nullptr) return -1;
        deleteValueAt(root, subkey, valueName);
    } else if (subkey == nullptr && valueName == nullptr) {
        deleteKeyAt(root, "", key);
    } else if (subkey != nullptr && valueName != nullptr) {
        deleteValueAt(root, std::string(key) + "\\" + subkey, valueName);
    } else if (subkey != nullptr) {
        deleteKeyAt(root, key, subkey);
    }
    return 0;
}

uint32_t DeleteRegistryValue(RegistryRoot& root, const char* subkey, const char* valueName) {
    if (subkey == nullptr || valueName == nullptr) return err::InvalidParameter;
    return deleteValueAt(root, subkey, valueName);
}

uint32_t DeleteRegistrySubkey(RegistryRoot& root, const char* key, const char* subkey) {
    if (key == nullptr || subkey == nullptr) return err::InvalidParameter;
    return deleteKeyAt(root, key, subkey);
}

WriteBatch::WriteBatch(RegistryRoot& root) : root_(root) {
    status_ = root.registry().beginBatch();
    active_ = status_ == 0;
    if (!active_) root.logFailure(status_, str::LogSetKey);
}

WriteBatch::~WriteBatch() {
    if (active_) root_.registry().rollbackBatch();
}

uint32_t WriteBatch::commit() {
    if (!active_) return status_;
    active_ = false;
    Registry& reg = root_.registry();
    if (status_ != 0) {
        reg.rollbackBatch();
        return status_;
    }
    status_ = reg.commitBatch();
    if (status_ != 0) {
        reg.rollbackBatch();
        root_.logFailure(status_, str::LogSetKey);
    }
    return status_;
}

namespace {
const char* sectionKey(const ValueTableRow& row) {
    return row.section == 0 ? kGeneralKey : kFontsKey;
}

// The choice rows that follow a group row.
std::span<const ValueTableRow> choicesOf(const ValueTableRow& group) {
    const size_t first = static_cast<size_t>(&group - ValueTable.data()) + 1;
    return std::span(ValueTable)
        .subspan(first, std::min<size_t>(group.number, ValueTable.size() - first));
}
} // namespace

uint32_t ReadStringById(RegistryRoot& root, uint16_t id, const char* defaultText, char* dest,
                        uint16_t size) {
    const ValueTableRow* row = FindValueRow(id);
    if (row == nullptr) {
        copyField(dest, size, defaultText ? defaultText : "");
        return err::FileNotFound;
    }
    return ReadStringValue(root, sectionKey(*row), row->name, defaultText, dest, size);
}

uint32_t ReadDwordById(RegistryRoot& root, uint16_t id, uint32_t defaultValue) {
    const ValueTableRow* row = FindValueRow(id);
    if (row == nullptr) return defaultValue;
    return ReadDwordValue(root, sectionKey(*row), row->name, defaultValue);
}

uint32_t WriteStringById(RegistryRoot& root, uint16_t id, const char* text) {
    const ValueTableRow* row = FindValueRow(id);
    if (row == nullptr) return err::FileNotFound;
    return WriteStringValue(root, sectionKey(*row), row->name, text);
}

uint32_t WriteDwordById(RegistryRoot& root, uint16_t id, uint32_t value) {
    const ValueTableRow* row = FindValueRow(id);
    if (row == nullptr) return err::FileNotFound;
    return WriteDwordValue(root, sectionKey(*row), row->name, value);
}

uint16_t ReadCharsetById(RegistryRoot& root, uint16_t groupId, uint16_t defaultCode) {
    const ValueTableRow* group = FindValueRow(groupId);
    if (group == nullptr) return defaultCode;
    char text[40];
    ReadStringValue(root, sectionKey(*group), group->name, "", text, sizeof text);
    std::span<const ValueTableRow> choices = choicesOf(*group);
    for (auto it = choices.rbegin(); it != choices.rend(); ++it) {
        if (strcasecmp(text, it->name) == 0) return it->number;
    }
    return defaultCode;
}

uint32_t WriteCharsetById(RegistryRoot& root, uint16_t groupId, uint16_t code) {
    const ValueTableRow* group = FindValueRow(groupId);
    if (group == nullptr) return err::FileNotFound;
    const char* name = "";
    for (const ValueTableRow& choice : choicesOf(*group)) {
        if (choice.number == code) {
            name = choice.name;
            break;
        }
    }
    return WriteStringValue(root, sectionKey(*group), group->name, name);
}

} // namespace lntc

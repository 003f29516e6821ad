#include "store/registry_access.h"

#include "store/library.h"
#include "store/records.h"

#include <cstring>
#include <strings.h>
#include <string_view>

namespace lntc {

void LogFailure(Library& lib, uint32_t code, uint32_t messageId) {
    lib.product().ztrLogError(code, 0, 0, 0, lib.strings().load(messageId));
}

namespace {

bool isMissing(uint32_t code) { return code == err::FileNotFound || code == err::PathNotFound; }

// Opens root\subkey for reading and queries one value into a buffer of the read size.
uint32_t queryInto(Library& lib, const char* subkey, const char* name, uint32_t& type,
                   uint8_t (&buffer)[kStringReadBuffer], uint32_t& size) {
    Registry& reg = lib.registry();
    RegKey key = kNoKey;
    uint32_t rc = reg.openKey(lib.registryRoot, subkey ? subkey : "", RegAccess::Read, key);
    if (rc != 0) {
        if (!isMissing(rc)) LogFailure(lib, rc, regmsg::OpenKey);
        return rc;
    }
    KeyGuard guard(reg, key);
    size = sizeof buffer;
    rc = reg.queryValue(key, name ? name : "", &type, buffer, &size);
    if (rc != 0 && !isMissing(rc)) LogFailure(lib, rc, regmsg::QueryKey);
    return rc;
}

} // namespace

uint32_t ReadStringValue(Library& lib, const char* subkey, const char* name, const char* defaultText,
                         char* dest, uint16_t size) {
    if (dest == nullptr || size == 0) return err::InvalidParameter;
    uint8_t buffer[kStringReadBuffer];
    uint32_t type = 0, length = 0;
    uint32_t rc = queryInto(lib, subkey, name, type, buffer, length);
    if (rc == 0) {
        if (type != regtype::Sz) {
            LogFailure(lib, rc, regmsg::NotString);
        } else {
            std::string_view text(reinterpret_cast<const char*>(buffer), length);
            text = text.substr(0, text.find('\0'));
            if (!text.empty()) {
                copyField(dest, size, text);
                return rc;
            }
        }
    }
    copyField(dest, size, defaultText ? defaultText : "");
    return rc;
}

uint32_t ReadDwordValue(Library& lib, const char* subkey, const char* name, uint32_t defaultValue) {
    uint8_t buffer[kStringReadBuffer];
    uint32_t type = 0, length = 0;
    uint32_t rc = queryInto(lib, subkey, name, type, buffer, length);
    if (rc != 0) return defaultValue;
    if (type != regtype::Dword || length != 4) {
        LogFailure(lib, rc, regmsg::NotInteger);
        return defaultValue;
    }
    uint32_t value;
    std::memcpy(&value, buffer, 4);
    return value;
}

namespace {

uint32_t writeValue(Library& lib, const char* subkey, const char* name, uint32_t type,
                    const void* data, uint32_t size) {
    Registry& reg = lib.registry();
    RegKey key = kNoKey;
    uint32_t rc = reg.createKey(lib.registryRoot, subkey ? subkey : "", RegAccess::Write, key);
    if (rc != 0) {
        LogFailure(lib, rc, regmsg::CreateKey);
        return rc;
    }
    KeyGuard guard(reg, key);
    rc = reg.setValue(key, name ? name : "", type, data, size);
    if (rc != 0) LogFailure(lib, rc, regmsg::SetValue);
    return rc;
}

} // namespace

uint32_t WriteStringValue(Library& lib, const char* subkey, const char* name, const char* text) {
    const char* t = text ? text : "";
    return writeValue(lib, subkey, name, regtype::Sz, t, static_cast<uint32_t>(std::strlen(t) + 1));
}

uint32_t WriteDwordValue(Library& lib, const char* subkey, const char* name, uint32_t value) {
    return writeValue(lib, subkey, name, regtype::Dword, &value, 4);
}

namespace {

void deleteValueAt(Library& lib, const std::string& path, const char* valueName) {
    Registry& reg = lib.registry();
    RegKey key = kNoKey;
    uint32_t rc = reg.openKey(lib.registryRoot, path, RegAccess::Write, key);
    if (rc != 0) {
        if (!isMissing(rc)) LogFailure(lib, rc, regmsg::OpenKey);
        return;
    }
    KeyGuard guard(reg, key);
    rc = reg.deleteValue(key, valueName);
    if (rc != 0 && !isMissing(rc)) LogFailure(lib, rc, regmsg::DeleteKey);
}

void deleteKeyAt(Library& lib, const std::string& parent, const char* subkey) {
    Registry& reg = lib.registry();
    RegKey key = kNoKey;
    uint32_t rc = reg.openKey(lib.registryRoot, parent, RegAccess::Write, key);
    if (rc != 0) {
        if (!isMissing(rc)) LogFailure(lib, rc, regmsg::OpenKey);
        return;
    }
    KeyGuard guard(reg, key);
    // A stray subkey below must not keep a deleted queue alive at the next load.
    rc = reg.deleteTree(key, subkey);
    if (rc != 0 && !isMissing(rc)) LogFailure(lib, rc, regmsg::DeleteKey);
}

} // namespace

int DeleteRegistryEntry(Library& lib, const char* key, const char* subkey, const char* valueName) {
    if (key == nullptr) {
        if (subkey == nullptr || valueName == nullptr) return -1;
        deleteValueAt(lib, subkey, valueName);
    } else if (subkey == nullptr && valueName == nullptr) {
        deleteKeyAt(lib, "", key);
    } else if (subkey != nullptr && valueName != nullptr) {
        deleteValueAt(lib, std::string(key) + "\\" + subkey, valueName);
    } else if (subkey != nullptr) {
        deleteKeyAt(lib, key, subkey);
    }
    return 0;
}

WriteBatch::WriteBatch(Library& lib) : lib_(lib), active_(lib.registry().beginBatch() == 0) {}

WriteBatch::~WriteBatch() {
    if (!active_) return;
    uint32_t rc = lib_.registry().commitBatch();
    if (rc != 0) {
        lib_.registry().rollbackBatch();
        LogFailure(lib_, rc, regmsg::SetValue);
    }
}

const ValueTableRow ValueTable[kValueTableRows] = {
    {4308, 0, "EnableNotes", 0},
    {4303, 0, "LogonRetries", 0},
    {4301, 0, "PrimaryCacheDir", 0},
    {4304, 0, "QueueDepth", 0},
    {4309, 0, "SuppressAnnotations", 0},
    {4302, 0, "TempFilesDir", 0},
    {4306, 0, "VerboseOnStartup", 0},
    {4307, 0, "VerifyChecksum", 0},
    {4310, 0, "TimeFormat", 0},
    {4311, 0, "TimeString", 0},
    {4300, 0, "ConfigDir", 0},
    {4450, 0, "FormScaling", 0},
    {4451, 0, "COLDScaleFactor", 0},
    {4000, 1, "InstalledKanji", 0},
    {4001, 1, "InstalledGreek", 0},
    {4100, 1, "FormerCharset", 5},
    {4101, 1, "QD_Intl", 2},
    {4102, 1, "ISO_8859_1", 11},
    {4103, 1, "ISO_8859_7", 17},
    {4104, 1, "Shift_JIS", 30},
    {4105, 1, "HP_Roman8", 42},
    {4200, 1, "UseDocCharSet", 0},
    {4203, 1, "DefaultFont", 0},
    {4207, 1, "FontDir", 0},
    {4208, 1, "AutoDownload", 0},
};

const ValueTableRow* FindValueRow(uint16_t id) {
    for (const auto& row : ValueTable) {
        if (row.id == id) return &row;
    }
    return nullptr;
}

namespace {
const char* sectionKey(const ValueTableRow& row) { return row.section == 0 ? kGeneralKey : kFontsKey; }
} // namespace

uint32_t ReadStringById(Library& lib, uint16_t id, const char* defaultText, char* dest,
                        uint16_t size) {
    const ValueTableRow* row = FindValueRow(id);
    if (row == nullptr) {
        copyField(dest, size, defaultText ? defaultText : "");
        return err::FileNotFound;
    }
    return ReadStringValue(lib, sectionKey(*row), row->name, defaultText, dest, size);
}

uint32_t ReadDwordById(Library& lib, uint16_t id, uint32_t defaultValue) {
    const ValueTableRow* row = FindValueRow(id);
    if (row == nullptr) return defaultValue;
    return ReadDwordValue(lib, sectionKey(*row), row->name, defaultValue);
}

uint32_t WriteStringById(Library& lib, uint16_t id, const char* text) {
    const ValueTableRow* row = FindValueRow(id);
    if (row == nullptr) return err::FileNotFound;
    return WriteStringValue(lib, sectionKey(*row), row->name, text);
}

uint32_t WriteDwordById(Library& lib, uint16_t id, uint32_t value) {
    const ValueTableRow* row = FindValueRow(id);
    if (row == nullptr) return err::FileNotFound;
    return WriteDwordValue(lib, sectionKey(*row), row->name, value);
}

uint16_t ReadCharsetById(Library& lib, uint16_t groupId, uint16_t defaultCode) {
    const ValueTableRow* group = FindValueRow(groupId);
    if (group == nullptr) return defaultCode;
    char text[40];
    ReadStringValue(lib, sectionKey(*group), group->name, "", text, sizeof text);
    const ValueTableRow* first = group + 1;
    const ValueTableRow* end = ValueTable + kValueTableRows;
    size_t count = std::min<size_t>(group->number, static_cast<size_t>(end - first));
    for (size_t i = count; i-- > 0;) {
        if (strcasecmp(text, first[i].name) == 0) return first[i].number;
    }
    return defaultCode;
}

uint32_t WriteCharsetById(Library& lib, uint16_t groupId, uint16_t code) {
    const ValueTableRow* group = FindValueRow(groupId);
    if (group == nullptr) return err::FileNotFound;
    const ValueTableRow* first = group + 1;
    const ValueTableRow* end = ValueTable + kValueTableRows;
    size_t count = std::min<size_t>(group->number, static_cast<size_t>(end - first));
    const char* name = "";
    for (size_t i = 0; i < count; ++i) {
        if (first[i].number == code) {
            name = first[i].name;
            break;
        }
    }
    return WriteStringValue(lib, sectionKey(*group), group->name, name);
}

} // namespace lntc

#include "platform/win32/win32_security.h"

#include "platform/win32/text.h"

#include <cstdio>

namespace lntc::win32 {

namespace {

// The rights of full access and of reading, in the terms of the object's kind: generic rights
// in an entry would be kept unmapped by some systems and then read back as nobody's.
struct Rights {
    DWORD full, read;
};

Rights rightsOf(ObjectKind kind) {
    switch (kind) {
    case ObjectKind::File:
    case ObjectKind::Folder:
        return {FILE_ALL_ACCESS, FILE_GENERIC_READ | FILE_GENERIC_EXECUTE};
    case ObjectKind::Mutex:
        return {MUTEX_ALL_ACCESS, SYNCHRONIZE | READ_CONTROL | MUTANT_QUERY_STATE};
    case ObjectKind::Event:
        return {EVENT_ALL_ACCESS, SYNCHRONIZE | READ_CONTROL | 0x1 /* EVENT_QUERY_STATE */};
    case ObjectKind::Mapping:
        break;
    }
    return {SECTION_ALL_ACCESS, READ_CONTROL | SECTION_QUERY | SECTION_MAP_READ};
}

std::vector<BYTE> wellKnown(WELL_KNOWN_SID_TYPE type) {
    std::vector<BYTE> sid(SECURITY_MAX_SID_SIZE);
    DWORD size = static_cast<DWORD>(sid.size());
    if (!CreateWellKnownSid(type, nullptr, sid.data(), &size)) return {};
    sid.resize(size);
    return sid;
}

std::vector<BYTE> processUser() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
    std::vector<BYTE> buf(sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE);
    DWORD size = 0;
    std::vector<BYTE> sid;
    if (GetTokenInformation(token, TokenUser, buf.data(), static_cast<DWORD>(buf.size()), &size)) {
        PSID user = reinterpret_cast<TOKEN_USER*>(buf.data())->User.Sid;
        sid.assign(static_cast<BYTE*>(user), static_cast<BYTE*>(user) + GetLengthSid(user));
    }
    CloseHandle(token);
    return sid;
}

} // namespace

// FNV-1a: a short, stable name for the root.
std::string objectPrefix(const std::string& root) {
    uint64_t h = 1469598103934665603ull;
    for (unsigned char c : root) {
        h ^= c;
        h *= 1099511628211ull;
    }
    char buf[17];
    std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(h));
    return std::string("Local\\lnt.") + buf + ".";
}

std::wstring objectName(const std::string& prefix, const std::string& name, const char* kind) {
    std::string n = prefix;
    for (char c : name)
        n += c == '\\' ? '_' : c;
    if (kind) n += std::string(".") + kind;
    return wideFromText(n);
}

SecurityAttributes::SecurityAttributes(ObjectKind kind, Reach reach) {
    const Rights rights = rightsOf(kind);
    struct Entry {
        std::vector<BYTE> sid;
        DWORD mask;
    };
    std::vector<Entry> entries = {{wellKnown(WinBuiltinAdministratorsSid), rights.full},
                                  {wellKnown(WinLocalSystemSid), rights.full}};
    if (reach == Reach::Machine)
        entries.push_back({wellKnown(WinAuthenticatedUserSid), rights.read});
    else
        entries.push_back({processUser(), rights.full});
    DWORD size = sizeof(ACL);
    for (const Entry& e : entries) {
        if (e.sid.empty()) {
            error_ = GetLastError() ? GetLastError() : ERROR_INVALID_SID;
            return;
        }
        size += sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + static_cast<DWORD>(e.sid.size());
    }
    // What is made in a folder takes its entries.
    const DWORD inherit =
        kind == ObjectKind::Folder ? OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE : 0;
    acl_.resize(size);
    auto* acl = reinterpret_cast<ACL*>(acl_.data());
    bool ok = InitializeAcl(acl, size, ACL_REVISION);
    for (Entry& e : entries)
        ok = ok && AddAccessAllowedAceEx(acl, ACL_REVISION, inherit, e.mask, e.sid.data());
    ok = ok && InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION) &&
         SetSecurityDescriptorDacl(&descriptor_, TRUE, acl, FALSE) &&
         SetSecurityDescriptorControl(&descriptor_, SE_DACL_PROTECTED, SE_DACL_PROTECTED);
    if (!ok) {
        error_ = GetLastError();
        return;
    }
    attributes_.nLength = sizeof attributes_;
    attributes_.lpSecurityDescriptor = &descriptor_;
    attributes_.bInheritHandle = FALSE;
}

} // namespace lntc::win32

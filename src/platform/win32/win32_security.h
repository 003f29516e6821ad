// The machine-wide objects of one installation: their names in the session's namespace and the
// security they are made with.
#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include <windows.h>

namespace lntc::win32 {

// "Local\lnt.<hash of root>.": the objects of one machine root, apart from another root's.
std::string objectPrefix(const std::string& root);
// prefix + name (a backslash, which would name another namespace, becomes "_") [+ "." + kind].
std::wstring objectName(const std::string& prefix, const std::string& name,
                        const char* kind = nullptr);

// What the descriptor's access rights are counted in.
enum class ObjectKind { File, Folder, Mutex, Mapping, Event };
// Machine: Administrators and SYSTEM have full access, other signed-in users may only read (and
// wait on a mutex or event), as the Linux modes 0640/0750 give the installation's group.
// Private: only this process's user, Administrators and SYSTEM, as 0600/0700.
enum class Reach { Machine, Private };

// A security descriptor built from well-known accounts, with nothing inherited from the folder
// above (a folder's entries are inherited by what is made in it). Not copyable: the attributes
// point into it.
class SecurityAttributes {
  public:
    SecurityAttributes(ObjectKind kind, Reach reach);
    SecurityAttributes(const SecurityAttributes&) = delete;
    SecurityAttributes& operator=(const SecurityAttributes&) = delete;
    // Null when the descriptor could not be built (error() says why): the object would then
    // get the system's default, so callers refuse to make it.
    SECURITY_ATTRIBUTES* get() { return error_ ? nullptr : &attributes_; }
    uint32_t error() const { return error_; }

  private:
    std::vector<BYTE> acl_;
    SECURITY_DESCRIPTOR descriptor_{};
    SECURITY_ATTRIBUTES attributes_{};
    uint32_t error_ = 0;
};

} // namespace lntc::win32

// The window classes a process has registered, by name, the way the platform keeps them:
// names compare ignoring case, and registering a taken name fails.
#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace lntc {

class WindowClasses {
  public:
    // Identity of a class's window procedure; what a window of the class runs.
    using Procedure = const void*;

    // The platform's standard edit class, present from the start.
    static constexpr const char* kEditClass = "edit";
    static Procedure editProcedure();

    WindowClasses();
    // 0, or err::ClassAlreadyExists when the name is taken, err::InvalidParameter for an
    // empty name or no procedure.
    uint32_t registerClass(const std::string& name, Procedure procedure);
    // 0, or err::ClassDoesNotExist.
    uint32_t unregisterClass(const std::string& name);
    std::optional<Procedure> find(const std::string& name) const;

  private:
    std::map<std::string, Procedure> classes_; // key: name in lower case
};

} // namespace lntc

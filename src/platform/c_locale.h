// Stored numbers ("7.5" in the registry) are written and read the same way whatever locale the
// calling program has chosen: the code that formats or parses one runs inside a CLocaleScope.
#pragma once

namespace lntc {

// The calling thread formats and parses in the C locale while the scope lives. Only this
// thread is switched, and only for the scope: the program's own locale and its other threads
// never see a change.
class CLocaleScope {
  public:
    CLocaleScope();
    ~CLocaleScope();
    CLocaleScope(const CLocaleScope&) = delete;
    CLocaleScope& operator=(const CLocaleScope&) = delete;

  private:
    void* previous_; // the thread's locale before, in the platform's own terms
};

} // namespace lntc

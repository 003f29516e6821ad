// Named sections and events over the system's named file mappings and mutexes.
#pragma once
#include "platform/sections.h"

#include <string>

namespace lntc {

// Objects live in the session's Local\ namespace: creating a mapping in Global\ needs a
// privilege that an ordinary user's program lacks, and the processes that share a unit (the
// spooler's tools of one user) run in one session. They are scoped to one machine root by a
// hash of it. Administrators may change them, other users only read them (win32_security.h):
// an ordinary user's process cannot open a unit at all, as creating or opening one asks for
// full access.
// The fill lock is a mutex, owned by a thread: the thread that opened (or won) the fill calls
// markFilled().
class Win32Sections : public Sections {
  public:
    explicit Win32Sections(const std::string& root);

    uint32_t openUnit(const std::vector<SectionPart>& parts, std::unique_ptr<Section>& out,
                      bool& created, size_t* failedPart = nullptr) override;
    uint32_t openEvent(const std::string& name, std::unique_ptr<Event>& out,
                       bool& created) override;

    // Object name of a part, of a unit's companion object ("guard", "fill", "state") or of an
    // event: "Local\lnt.<root hash>.<name>[.<kind>]".
    std::wstring objectName(const std::string& name, const char* kind = nullptr) const;

  private:
    std::string prefix_; // "Local\lnt.<hash>."
};

} // namespace lntc

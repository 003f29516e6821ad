// Named sections and events over POSIX shared memory, scoped to one machine root.
#pragma once
#include "platform/sections.h"

#include <string>

namespace lntc {

// The folder of the machine's lock files and window registry: <root>/run, or, when the
// machine root cannot hold it (a read-only root, another user's root), a private folder of
// this user ($XDG_RUNTIME_DIR or /tmp), so that a read-only installation still works.
std::string machineRunDir(const std::string& root);

class PosixSections : public Sections {
  public:
    explicit PosixSections(const std::string& root);

    uint32_t openUnit(const std::vector<SectionPart>& parts, std::unique_ptr<Section>& out,
                      bool& created, size_t* failedPart = nullptr) override;
    uint32_t openEvent(const std::string& name, std::unique_ptr<Event>& out,
                       bool& created) override;

    // Shared-memory object name of a part while a unit whose lock file is lockPath(unit)
    // exists ("/lnt.<root hash>.<token>.<name>"); the token is chosen afresh by every creator
    // so that no other user can take the name beforehand. Empty when no unit is open.
    std::string shmName(const std::string& unit, const std::string& part = {}) const;
    // What every object name of this machine root begins with.
    const std::string& objectPrefix() const { return prefix_; }
    // Companion lock file of a unit (named after its first part).
    std::string lockPath(const std::string& name) const;
    std::string eventLockPath(const std::string& name) const;
    const std::string& runDir() const { return runDir_; }

  private:
    std::string objectName(const std::string& token, const std::string& part) const;

    std::string runDir_;
    std::string prefix_; // "/lnt.<hash>."
};

} // namespace lntc

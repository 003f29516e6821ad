// Named sections and events over POSIX shared memory, scoped to one machine root.
#pragma once
#include "platform/sections.h"

#include <string>

namespace lntc {

class PosixSections : public Sections {
  public:
    explicit PosixSections(const std::string& root);

    uint32_t open(const std::string& name, size_t size, std::unique_ptr<Section>& out,
                  bool& created) override;
    uint32_t openEvent(const std::string& name, std::unique_ptr<Event>& out,
                       bool& created) override;

    // Shared-memory object name of a section ("/lnt.<hash>.<name>").
    std::string shmName(const std::string& name) const;
    // Companion lock file of a section.
    std::string lockPath(const std::string& name) const;
    std::string eventLockPath(const std::string& name) const;

  private:
    uint32_t ensureRunDir() const;

    std::string runDir_;
    std::string prefix_; // "/lnt.<hash>."
};

} // namespace lntc

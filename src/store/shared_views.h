// Writable access to the shared records: the configuration run's views when one runs,
// otherwise temporary views mapped for the length of one operation.
#pragma once
#include "lntc/lntc.h"
#include "platform/sections.h"

namespace lntc {

class Library;

class WritableViews {
  public:
    explicit WritableViews(Library& lib);
    WritableViews(const WritableViews&) = delete;
    WritableViews& operator=(const WritableViews&) = delete;
    ServerConfig* config() const { return config_; }
    QueueRecord* queues() const { return queues_; }

  private:
    ServerConfig* config_ = nullptr;
    QueueRecord* queues_ = nullptr;
    SectionView<ServerConfig> ownConfig_;
    SectionView<QueueRecord> ownQueues_;
};

} // namespace lntc

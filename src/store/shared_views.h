// Writable access to the shared records: the configuration run's views when one runs,
// otherwise temporary views mapped for the length of one operation.
#pragma once
#include "lntc/lntc.h"

namespace lntc {

class Library;

class WritableViews {
public:
    explicit WritableViews(Library& lib);
    ~WritableViews();
    WritableViews(const WritableViews&) = delete;
    WritableViews& operator=(const WritableViews&) = delete;
    ServerConfig* config() const { return config_; }
    QueueRecord* queues() const { return queues_; }

private:
    Library& lib_;
    ServerConfig* config_ = nullptr;
    QueueRecord* queues_ = nullptr;
    bool ownConfig_ = false;
    bool ownQueues_ = false;
};

} // namespace lntc

#include "store/shared_views.h"

#include "store/library.h"

namespace lntc {

WritableViews::WritableViews(Library& lib) : lib_(lib) {
    SharedStore& s = lib.store;
    config_ = s.configWritable;
    queues_ = s.queueWritable;
    uint32_t error = 0;
    if (config_ == nullptr && s.configSection) {
        config_ = static_cast<ServerConfig*>(s.configSection->mapView(true, error));
        ownConfig_ = config_ != nullptr;
    }
    if (queues_ == nullptr && s.queueSection) {
        queues_ = static_cast<QueueRecord*>(s.queueSection->mapView(true, error));
        ownQueues_ = queues_ != nullptr;
    }
}

WritableViews::~WritableViews() {
    if (ownConfig_) lib_.store.configSection->unmapView(config_);
    if (ownQueues_) lib_.store.queueSection->unmapView(queues_);
}

} // namespace lntc

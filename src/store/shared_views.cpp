#include "store/shared_views.h"

#include "store/library.h"

namespace lntc {

WritableViews::WritableViews(Library& lib) {
    SharedStore& s = lib.store;
    config_ = s.configWritable.get();
    queues_ = s.queuesWritable.get();
    uint32_t error = 0;
    if (config_ == nullptr && s.sections) {
        ownConfig_ = SectionView<ServerConfig>(*s.sections, 0, true, error);
        config_ = ownConfig_.get();
    }
    if (queues_ == nullptr && s.sections) {
        ownQueues_ = SectionView<QueueRecord>(*s.sections, 1, true, error);
        queues_ = ownQueues_.get();
    }
}

} // namespace lntc

#include "store/shared_records.h"

#include "platform/environment.h"
#include "platform/errors.h"
#include "product/product.h"
#include "resources/formats.h"
#include "resources/ids.h"
#include "resources/lookup.h"
#include "store/initialise.h"
#include "store/records.h"

#include <algorithm>

namespace lntc {

SharedRecords::SharedRecords(const StoreServices& services, Sections& sections)
    : services_(services), sectionService_(sections) {}

SharedRecords::~SharedRecords() = default;

template <typename T> bool SharedRecords::map(size_t part, bool writable, SectionView<T>& out) {
    uint32_t error = 0;
    out = SectionView<T>(*sections_, part, writable, error);
    if (!out) {
        services_.product.ztrLogError(error, 0, 0, 0, services_.strings.load(str::LogMapView));
        return false;
    }
    return true;
}

void SharedRecords::logOpenFailure(uint32_t rc, size_t failedPart) {
    const char* part = failedPart == 0 ? kConfigSectionName : kQueueSectionName;
    const std::string format =
        services_.strings.load(failedPart == 0 ? str::LogConfigMapping : str::LogQueueMapping);
    ProductLibs& product = services_.product;
    product.ztrLogError(LNTC_E_SECTION, 0, 0, 0,
                        formatMessage(format.c_str(), static_cast<long>(rc)));
    if (rc == err::InvalidOwner) {
        const std::string detail = services_.strings.load(str::LogSectionNotOurs);
        product.ztrLogError(rc, 0, 0, 0, formatMessage(detail.c_str(), part));
    }
}

// Half-filled records are never used: past the give-up time the caller fails instead.
Section::FillState SharedRecords::awaitFill(Section& unit) {
    Section::FillState state = unit.waitFilled(fillWait_);
    if (state != Section::FillState::StillFilling) return state;
    ProductLibs& product = services_.product;
    product.ztrLogError(0, 0, 0, 0, services_.strings.load(str::LogStillFilling));
    state = unit.waitFilled(std::max(fillGiveUp_ - fillWait_, std::chrono::milliseconds(0)));
    if (state == Section::FillState::StillFilling)
        product.ztrLogError(LNTC_E_SECTION, 0, 0, 0, services_.strings.load(str::LogFillAbandoned));
    return state;
}

// Letting go of the unit lets go of the fill too, so that another process can fill in this
// one's place.
uint32_t SharedRecords::releaseOnFailure() {
    queues_.reset();
    config_.reset();
    sections_.reset();
    return LNTC_E_SECTION;
}

uint32_t SharedRecords::initialise() {
    // The two sections are one configuration: created, filled and released together.
    bool created = false;
    size_t failedPart = 0;
    std::unique_ptr<Section> unit;
    uint32_t rc =
        sectionService_.openUnit({{kConfigSectionName, sizeof(ServerConfig)},
                                  {kQueueSectionName, sizeof(QueueRecord) * LNTC_MAX_QUEUES}},
                                 unit, created, &failedPart);
    if (rc != 0) {
        logOpenFailure(rc, failedPart);
        return initStatus_ = LNTC_E_SECTION;
    }

    // The creator fills; a process that finds a fill abandoned by a dead filler takes it over.
    bool filler = created;
    if (!created) {
        switch (awaitFill(*unit)) {
        case Section::FillState::Filled:
            break;
        case Section::FillState::MustFill:
            filler = true;
            break;
        case Section::FillState::StillFilling:
            return initStatus_ = LNTC_E_SECTION;
        }
    }
    sections_ = std::move(unit);
    if (!map(0, filler, config_) || !map(1, filler, queues_))
        return initStatus_ = releaseOnFailure();
    if (!filler) {
        ApplySearchPathRule(services_, *config_.get());
        return initStatus_ = 0;
    }

    const uint32_t status = FillSharedRecords(services_, *config_.get(), queues_.get());

    // From here on this process only reads, like every other.
    config_.reset();
    queues_.reset();
    if (!map(0, false, config_) || !map(1, false, queues_)) return initStatus_ = releaseOnFailure();
    sections_->markFilled();
    return initStatus_ = status;
}

void SharedRecords::release() {
    if (!sections_) return;
    if (config_ && config_.get()->Magic != LNTC_MAGIC)
        services_.product.ztrLogError(0, 0, 0, 0, services_.strings.load(str::Corrupted));
    runQueues_.reset();
    runConfig_.reset();
    queues_.reset();
    config_.reset();
    sections_.reset();
}

bool SharedRecords::beginRun() {
    if (!sections_) return false;
    if (!map(0, true, runConfig_) || !map(1, true, runQueues_)) {
        endRun();
        return false;
    }
    return true;
}

void SharedRecords::endRun() {
    runQueues_.reset();
    runConfig_.reset();
}

SharedRecords::Writable SharedRecords::writable() {
    Writable w;
    w.config = runConfig_.get();
    w.slots = runQueues_.get();
    if (!sections_) {
        w.error = LNTC_E_SECTION;
        return w;
    }
    if (w.config == nullptr) {
        w.ownConfig = SectionView<ServerConfig>(*sections_, 0, true, w.error);
        w.config = w.ownConfig.get();
    }
    if (w.slots == nullptr && w.error == 0) {
        w.ownQueues = SectionView<QueueRecord>(*sections_, 1, true, w.error);
        w.slots = w.ownQueues.get();
    }
    return w;
}

uint32_t SharedRecords::RetainFiles(const char* name, bool retain) {
    if (name == nullptr || *name == '\0' || !sections_) return LNTC_E_NO_QUEUE;
    Writable w = writable();
    if (w.slots == nullptr) return LNTC_E_SECTION;
    const int slot = FindQueueSlot(w.slots, name);
    if (slot == kNoSlot) return LNTC_E_NO_QUEUE;
    QueueRecord& q = w.slots[slot];
    if (retain)
        q.PrintDest |= 2u;
    else
        q.PrintDest &= ~2u;
    q.UpdateTime = static_cast<int32_t>(services_.clock.now());
    return 0;
}

bool SharedRecords::applyOdrName(std::string_view domain, std::string_view organization) {
    Writable w = writable();
    if (w.config == nullptr) return false;
    setField(w.config->Domain, domain);
    setField(w.config->Organization, organization);
    ReadOdrSystemDefaults(services_, *w.config);
    return true;
}

} // namespace lntc

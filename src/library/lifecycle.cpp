#include "library/lifecycle.h"

#include "library/localised.h"
#include "logo/logo.h"
#include "platform/modules.h"
#include "process/process.h"
#include "resources/formats.h"
#include "resources/ids.h"
#include "store/initialise.h"
#include "store/library.h"
#include "store/registry_access.h"

#include <algorithm>

namespace lntc {

std::string HelpFileOf(const std::string& modulePath, const Modules* modules) {
    size_t slash = modulePath.rfind('/');
    std::string name = slash == std::string::npos ? modulePath : modulePath.substr(slash + 1);
    // The library's name without its extension; an installed library's file carries its
    // version after ".so" (liblntc.so.2.0.0.37), and the help file does not.
    size_t so = name.find(".so");
    while (so != std::string::npos && so + 3 < name.size() && name[so + 3] != '.')
        so = name.find(".so", so + 1);
    size_t cut = so != std::string::npos ? so : name.rfind('.');
    if (cut != std::string::npos && cut > 0) name.resize(cut);
    std::string folder = modules                      ? modules->systemFolder()
                         : slash == std::string::npos ? std::string(".")
                                                      : modulePath.substr(0, slash);
    return folder + "/" + name + ".HLP";
}

uint32_t LoadLibrary(Library& lib) {
    if (uint32_t rc = lib.registryRoot().open()) return rc;

    lib.helpFilePath = HelpFileOf(lib.platform().env->modulePath(), lib.platform().modules);

    LoadLocalisedResources(lib);
    uint32_t logoError = 0;
    if (StartLogo(lib, &logoError) == 0) {
        // A failed load is never unloaded: let go of the root here.
        lib.registryRoot().close();
        return logoError;
    }
    return 0;
}

void UnloadLibrary(Library& lib) {
    ReleaseLogo(lib);
    lib.registryRoot().close();
    SharedStore& s = lib.store;
    if (!s.sections) {
        ReleaseLocalisedResources(lib);
        return;
    }
    if (s.config && s.config.get()->Magic != LNTC_MAGIC) {
        lib.product().ztrLogError(0, 0, 0, 0, lib.strings().load(str::Corrupted));
    }
    s.queuesWritable.reset();
    s.configWritable.reset();
    s.queues.reset();
    s.config.reset();
    s.sections.reset();
    lib.defaultMedia.reset();
    if (!s.vxlBrokerWasRunning) KillProcess(lib, kBrokerProcess);
    ReleaseLocalisedResources(lib);
}

namespace {

// Maps a part of the unit, logging a failure.
template <typename T> bool mapOrLog(Library& lib, size_t part, bool writable, SectionView<T>& out) {
    uint32_t error = 0;
    out = SectionView<T>(*lib.store.sections, part, writable, error);
    if (!out) {
        lib.product().ztrLogError(error, 0, 0, 0, lib.strings().load(str::LogMapView));
        return false;
    }
    return true;
}

void logOpenFailure(Library& lib, uint32_t rc, size_t failedPart) {
    const char* part = failedPart == 0 ? kConfigSectionName : kQueueSectionName;
    std::string format =
        lib.strings().load(failedPart == 0 ? str::LogConfigMapping : str::LogQueueMapping);
    ProductLibs& product = lib.product();
    product.ztrLogError(LNTC_E_SECTION, 0, 0, 0,
                        formatMessage(format.c_str(), static_cast<long>(rc)));
    if (rc == err::InvalidOwner) {
        std::string detail = lib.strings().load(str::LogSectionNotOurs);
        product.ztrLogError(rc, 0, 0, 0, formatMessage(detail.c_str(), part));
    }
}

// Waits for another process's first fill. Half-filled records are never used: past the
// give-up time the caller fails instead.
Section::FillState awaitFill(Library& lib, Section& unit) {
    SharedStore& s = lib.store;
    Section::FillState state = unit.waitFilled(s.fillWait);
    if (state != Section::FillState::StillFilling) return state;
    lib.product().ztrLogError(0, 0, 0, 0, lib.strings().load(str::LogStillFilling));
    state = unit.waitFilled(std::max(s.fillGiveUp - s.fillWait, std::chrono::milliseconds(0)));
    if (state == Section::FillState::StillFilling)
        lib.product().ztrLogError(LNTC_E_SECTION, 0, 0, 0,
                                  lib.strings().load(str::LogFillAbandoned));
    return state;
}

} // namespace

uint32_t InitialiseSharedConfig(Library& lib) {
    SharedStore& s = lib.store;
    s.vxlBrokerWasRunning = FindProcess(lib, kBrokerProcess) != 0;

    // The two sections are one configuration: created, filled and released together.
    bool created = false;
    size_t failedPart = 0;
    std::unique_ptr<Section> unit;
    uint32_t rc = lib.platform().sections->openUnit(
        {{kConfigSectionName, sizeof(ServerConfig)},
         {kQueueSectionName, sizeof(QueueRecord) * LNTC_MAX_QUEUES}},
        unit, created, &failedPart);
    if (rc != 0) {
        logOpenFailure(lib, rc, failedPart);
        return LNTC_E_SECTION;
    }

    // The creator fills; a process that finds a fill abandoned by a dead filler takes it over.
    bool filler = created;
    if (!created) {
        switch (awaitFill(lib, *unit)) {
        case Section::FillState::Filled:
            break;
        case Section::FillState::MustFill:
            filler = true;
            break;
        case Section::FillState::StillFilling:
            return LNTC_E_SECTION;
        }
    }
    s.sections = std::move(unit);
    // A failure from here on lets go of the unit, and with it of the fill, so that another
    // process can fill in this one's place.
    auto release = [&] {
        s.queues.reset();
        s.config.reset();
        s.sections.reset();
        return LNTC_E_SECTION;
    };
    if (!mapOrLog(lib, 0, filler, s.config) || !mapOrLog(lib, 1, filler, s.queues))
        return release();
    if (!filler) {
        ApplySearchPathRule(lib, *s.config.get());
        return 0;
    }

    uint32_t status = FillSharedRecords(lib, *s.config.get(), s.queues.get());

    // From here on this process only reads, like every other.
    s.config.reset();
    s.queues.reset();
    if (!mapOrLog(lib, 0, false, s.config) || !mapOrLog(lib, 1, false, s.queues)) return release();
    s.sections->markFilled();
    return status;
}

} // namespace lntc

#include "media/default_media.h"

#include "library/services.h"
#include "media/paper_sizes.h"
#include "resources/ids.h"
#include "store/models.h"
#include "store/records.h"
#include "store/registry_access.h"
#include "ui/message_box.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

namespace lntc {

namespace {

uint16_t clampCount(uint32_t stored, size_t capacity) {
    return static_cast<uint16_t>(std::min<uint32_t>(stored, static_cast<uint32_t>(capacity)));
}

// An index that points at no entry of the list is "none", so that a reader of the table can
// never be sent outside the list.
uint16_t checkedIndex(uint32_t stored, uint16_t count) {
    return stored < count ? static_cast<uint16_t>(stored) : uint16_t{LNTC_MEDIA_NONE};
}

void readTrayList(ValueReader& values, const char* list, MediaTrayList& out) {
    char name[48];
    std::snprintf(name, sizeof name, "Tray%s/NumTrayNames", list);
    out.usNumTrayNames = clampCount(values.dword(name, 0), LNTC_MEDIA_TRAY_NAMES);
    for (uint16_t n = 0; n < out.usNumTrayNames; ++n) {
        std::snprintf(name, sizeof name, "Tray%s/TrayName%u", list, n);
        setField(out.szTrayName[n], values.text(name).value_or(""));
    }
    std::snprintf(name, sizeof name, "Tray%s/TrayNameIndex", list);
    out.usTrayNameIndex = checkedIndex(values.dword(name, LNTC_MEDIA_NONE), out.usNumTrayNames);
}

} // namespace

void ReadModelMedia(ValueReader& values, uint16_t odrGeneration, DefaultMedia& media) {
    char name[48];

    const uint16_t stored = clampCount(values.dword("NumPaperSizes", 0), LNTC_MEDIA_PAPER_SIZES);
    // Where each stored entry ends up once older ODRs' Executive entries are taken out; the
    // trays' indices follow their paper.
    uint16_t position[LNTC_MEDIA_PAPER_SIZES];
    uint16_t count = 0;
    for (uint16_t i = 0; i < stored; ++i) {
        std::snprintf(name, sizeof name, "PaperSize%u", i);
        MediaPaperSize& entry = media.PaperSizes[count];
        ParsePaperSizeValue(values.text(name).value_or(""), entry);
        if (odrGeneration == 1 && equalsIgnoreCase(fieldText(entry.szName), "Executive")) {
            entry = MediaPaperSize{};
            position[i] = LNTC_MEDIA_NONE;
            continue;
        }
        position[i] = count++;
    }
    media.NumPaperSizes = count;

    for (unsigned t = 0; t < LNTC_MEDIA_TRAYS; ++t) {
        std::snprintf(name, sizeof name, "Tray%u/PaperSizeIndex", t);
        uint32_t index = values.dword(name, LNTC_MEDIA_NONE);
        media.Trays[t].usPaperSizeIndex =
            index < stored ? position[index] : uint16_t{LNTC_MEDIA_NONE};
        std::snprintf(name, sizeof name, "Tray%u/Priority", t);
        media.Trays[t].usPriority = static_cast<uint16_t>(values.dword(name, 0));
    }

    readTrayList(values, "EJ", media.EjectTrays);
    readTrayList(values, "QD", media.QDTrays);
    readTrayList(values, "PS", media.PSTrays);
}

namespace {

// A failure the configuration run shows; a caller without windows has it logged.
void reportFailure(const Services& svc, bool show, uint32_t id, const char* arg = "") {
    if (show)
        ErrorIdNoOwner(svc.ui, id, arg);
    else
        svc.ui.logError(0, 0, formatMessage(svc.ui.strings().load(id).c_str(), arg));
}

} // namespace

int32_t GetDefaultMedia(const Services& svc, bool show) {
    const ServerConfig* config = svc.records.config();
    if (config == nullptr) {
        svc.registry.logFailure(LNTC_E_SECTION, str::LogMapView);
        return 0;
    }
    Registry& reg = *svc.platform.registry;
    const std::string mediaPath = std::string(kProductRootPath) + "\\" + kDefaultMediaKey;
    RegKey mediaKey = kNoKey;
    if (reg.openKey(kLocalMachine, mediaPath, RegAccess::Read, mediaKey) != 0) {
        const std::string configDir(fieldText(config->ConfigDir));
        reportFailure(svc, show, str::DefaultMediaMissing, configDir.c_str());
        return 0;
    }
    KeyGuard mediaGuard(reg, mediaKey);

    std::unique_ptr<DefaultMedia[]> table(new (std::nothrow) DefaultMedia[kModelCount]());
    if (!table) {
        reportFailure(svc, show, str::DefaultMediaMemory);
        return 0;
    }
    const uint16_t generation = config->OdrGeneration;
    // One read transaction for the whole table instead of one per value.
    const bool snapshot = reg.beginSnapshot() == 0;
    for (size_t m = 0; m < kModelCount; ++m) {
        // One open per model rather than per value: the table takes some 750 reads.
        ValueReader values(svc.registry, mediaKey, kPrinterModels[m].key);
        ReadModelMedia(values, generation, table[m]);
    }
    if (snapshot) reg.endSnapshot();
    svc.media.defaultMedia = std::move(table);
    return 1;
}

int16_t GetPaperOrientation(const Services& svc, const QueueRecord* queue, const char* paperName) {
    if (!svc.media.defaultMedia) GetDefaultMedia(svc);
    if (!svc.media.defaultMedia || queue == nullptr || paperName == nullptr) return 0;
    int index = ModelIndexOfQueue(*queue);
    if (index < 0 || static_cast<size_t>(index) >= kModelCount) return 0;
    const DefaultMedia& media = svc.media.defaultMedia[static_cast<size_t>(index)];
    const uint16_t count = std::min<uint16_t>(media.NumPaperSizes, LNTC_MEDIA_PAPER_SIZES);
    for (uint16_t i = 0; i < count; ++i) {
        if (equalsIgnoreCase(fieldText(media.PaperSizes[i].szName), paperName))
            return static_cast<int16_t>(media.PaperSizes[i].usOrientation);
    }
    return 0;
}

} // namespace lntc

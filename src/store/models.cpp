#include "store/models.h"

#include "store/library.h"
#include "store/records.h"

#include <cstring>

namespace lntc {

const PrinterModelInfo kPrinterModels[kModelCount] = {
    {32768, "OTHER", 0, "NONE"},
    {32769, "HP_LASERJET_4M", 1, "LJA"},
    {32770, "HP_LASERJET_4MPLUS", 1, "LJA"},
    {32771, "HP_LASERJET_4MV", 1, "LJB"},
    {32772, "HP_LASERJET_4SIMX", 1, "LJC"},
    {32773, "RICOH_LP-M20", 2, "ENGA"},
    {32774, "RICOH_LP-M32", 2, "ENGB"},
    {32775, "XEROX_8840C", 4, "LDPX"},
    {32776, "VERSATEC_8636", 4, "LDPX"},
    {32779, "3M_689_INTL", 4, "LDPX"},
    {32778, "3M_689", 4, "LDPX"},
    {32777, "3M_LBQ", 4, "LDPX"},
    {32780, "RASTER_MASTER", 4, "LDPX"},
    {32782, "DRAWING_MASTER", 4, "LDPX"},
    {32781, "GENERIC_POSTSCRIPT", 8, "GNX"},
};

int ModelIndexOfKey(const char* key) {
    if (key == nullptr) return -1;
    for (size_t i = 0; i < kModelCount; ++i) {
        if (std::strcmp(kPrinterModels[i].key, key) == 0) return static_cast<int>(i);
    }
    return -1;
}

int ModelIndexOfQueue(const QueueRecord& queue) {
    std::string printer(fieldText(queue.Printer));
    if (printer == "OTHER") return ModelIndexOfKey(std::string(fieldText(queue.PrinterAlias)).c_str());
    return ModelIndexOfKey(printer.c_str());
}

int ModelIndexOfDisplayName(const StringLookup& strings, const std::string& text) {
    for (size_t i = 0; i < kModelCount; ++i) {
        if (strings.load(kPrinterModels[i].displayStringId) == text) return static_cast<int>(i);
    }
    return -1;
}

void ModelModuleName(int index, char* dest, size_t size) {
    const char* name =
        index >= 0 && static_cast<size_t>(index) < kModelCount ? kPrinterModels[index].module : "NONE";
    copyField(dest, size, name);
}

uint32_t ModelClassFlags(int index) {
    return index >= 0 && static_cast<size_t>(index) < kModelCount ? kPrinterModels[index].classFlags
                                                                  : 0;
}

} // namespace lntc

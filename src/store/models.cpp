#include "store/models.h"

#include "resources/lookup.h"
#include "store/records.h"

#include <cstring>

namespace lntc {

int ModelIndexOfKey(const char* key) {
    if (key == nullptr) return -1;
    for (size_t i = 0; i < kModelCount; ++i) {
        if (std::strcmp(kPrinterModels[i].key, key) == 0) return static_cast<int>(i);
    }
    return -1;
}

int ModelIndexOfQueue(const QueueRecord& queue) {
    std::string printer(fieldText(queue.Printer));
    if (printer == "OTHER")
        return ModelIndexOfKey(std::string(fieldText(queue.PrinterAlias)).c_str());
    return ModelIndexOfKey(printer.c_str());
}

int ModelIndexOfDisplayName(const StringLookup& strings, const std::string& text) {
    for (size_t i = 0; i < kModelCount; ++i) {
        if (strings.load(kPrinterModels[i].displayStringId) == text) return static_cast<int>(i);
    }
    return -1;
}

std::string ModelDisplayName(const StringLookup& strings, int index) {
    if (index < 0 || static_cast<size_t>(index) >= kModelCount) return {};
    return strings.load(kPrinterModels[index].displayStringId);
}

void ModelModuleName(int index, char* dest, size_t size) {
    const char* name = index >= 0 && static_cast<size_t>(index) < kModelCount
                           ? kPrinterModels[index].module
                           : "NONE";
    copyField(dest, size, name);
}

uint32_t ModelClassFlags(int index) {
    return index >= 0 && static_cast<size_t>(index) < kModelCount ? kPrinterModels[index].classFlags
                                                                  : 0;
}

} // namespace lntc

// The printer models the product supports.
#pragma once
#include "lntc/lntc.h"
#include "resources/ids.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace lntc {

class StringLookup;

namespace modelclass {
inline constexpr uint32_t None = 0;
inline constexpr uint32_t HpLaserJet = 1;
inline constexpr uint32_t Ricoh = 2;
inline constexpr uint32_t LargeDocument = 4;
inline constexpr uint32_t GenericPostScript = 8;
} // namespace modelclass

struct PrinterModelInfo {
    uint32_t displayStringId;
    const char* key;
    uint32_t classFlags;
    const char* module;
};

inline constexpr size_t kModelCount = 15;
// Rows from here on are offered only as another model: a queue of one is saved with "OTHER" as
// its printer and the row's key as its alias.
inline constexpr int kFirstOtherModel = 14;
inline constexpr PrinterModelInfo kPrinterModels[kModelCount] = {
    {str::ModelOther, "OTHER", 0, "NONE"},
    {str::ModelLaserJet4M, "HP_LASERJET_4M", 1, "LJA"},
    {str::ModelLaserJet4MPlus, "HP_LASERJET_4MPLUS", 1, "LJA"},
    {str::ModelLaserJet4MV, "HP_LASERJET_4MV", 1, "LJB"},
    {str::ModelLaserJet4SiMX, "HP_LASERJET_4SIMX", 1, "LJC"},
    {str::ModelRicohM20, "RICOH_LP-M20", 2, "ENGA"},
    {str::ModelRicohM32, "RICOH_LP-M32", 2, "ENGB"},
    {str::ModelXerox8840C, "XEROX_8840C", 4, "LDPX"},
    {str::ModelVersatec8636, "VERSATEC_8636", 4, "LDPX"},
    {str::Model3m689Intl, "3M_689_INTL", 4, "LDPX"},
    {str::Model3m689Us, "3M_689", 4, "LDPX"},
    {str::Model3mLbq, "3M_LBQ", 4, "LDPX"},
    {str::ModelRasterMaster, "RASTER_MASTER", 4, "LDPX"},
    {str::ModelDrawingMaster, "DRAWING_MASTER", 4, "LDPX"},
    {str::ModelGenericPostScript, "GENERIC_POSTSCRIPT", 8, "GNX"},
};

// Row of a queue's model (its alias for an "OTHER" queue), or -1.
int ModelIndexOfQueue(const QueueRecord& queue);
// Row of a model key, or -1 (exact comparison).
int ModelIndexOfKey(const char* key);
// Row whose display text equals the text exactly, or -1.
int ModelIndexOfDisplayName(const StringLookup& strings, const std::string& text);
// The row's display text; "" outside the table.
std::string ModelDisplayName(const StringLookup& strings, int index);
// The row's driver module name, "NONE" outside the table; dest holds 32 bytes.
void ModelModuleName(int index, char* dest, size_t size = 32);
// Class flags of a row; 0 outside the table.
uint32_t ModelClassFlags(int index);

inline bool takesPostScript(uint32_t flags) {
    return (flags & 9) != 0;
}
inline bool isRicohOrLargeDocument(uint32_t flags) {
    return (flags & 6) != 0;
}
inline bool isRicoh(uint32_t flags) {
    return flags == modelclass::Ricoh;
}
inline bool isLargeDocument(uint32_t flags) {
    return flags == modelclass::LargeDocument;
}
inline bool keepsPrinterAlias(uint32_t flags) {
    return (flags & 8) != 0;
}

} // namespace lntc

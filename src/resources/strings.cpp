#include "resources/strings.h"

#include <algorithm>
#include <iterator>

namespace lntc {
namespace {

struct Entry {
    uint32_t id;
    const char* text;
};

// Sorted by number.
constexpr Entry kStrings[] = {
    {32768, "Other"},
    {32769, "HP LaserJet 4M"},
    {32770, "HP LaserJet 4M Plus"},
    {32771, "HP LaserJet 4MV"},
    {32772, "HP LaserJet 4Si MX"},
    {32773, "Ricoh LP-M20 Print Engine"},
    {32774, "Ricoh LP-M32 Print Engine"},
    {32775, "Xerox 8840C  (C-size)"},
    {32776, "Versatec 8636  (E-size)"},
    {32777, "3M LBQ  (C-size)"},
    {32778, "3M 689 US  (C-size)"},
    {32779, "3M 689 INTL  (A2-size)"},
    {32780, "CalComp RasterMaster Model 52236  (E-size)"},
    {32781, "Generic PostScript Level 2"},
    {32782, "CalComp DrawingMaster Model 600  (E-size)"},
    {32788, "An invalid TCP/IP address byte was entered.  The maximum value is 255."},
    {32794, "Error locating the %s queue information."},
    {32798, "LNTC: Error creating registration key"},
    {32820, "Maximum number of queues (%d) exceeded."},
    {32823, "Error reading the Large Document Printer LDPX.CFG file.  Lintora Configuration is "
            "unable to determine the current media configuration.  Please contact your system "
            "administrator."},
    {32849, "Configuration Warning"},
    {32850, "Configuration Error"},
    {32858, "LNTC: Error opening registration key"},
    {32859, "LNTC: Error %ld creating file mapping for configuration data"},
    {32860, "LNTC: Error mapping view of shared memory"},
    {32861, "LNTC: Error %ld creating file mapping for queue data"},
    {32862, "LNTC: Error querying registration key"},
    {32863, "Error %ld getting title strings."},
    {32864, "Error %ld getting performance data."},
    {32865, "Unable to allocate performance data."},
    {32866, "The \\\"Default Media\\\" key is missing from the Registry.  Please contact your "
            "system administrator immediately to run the following program:\nLNTKEY 'Default "
            "Media' %s\\lntmedia.key"},
    {32867, "Error allocating global memory for Default Media."},
    {32868, "A DLL has corrupted the configuration information."},
    {32885, "LNTC: Error linking to RLK abstract"},
    {32886, "LNTC: Unable to retrieve ODR system default values."},
    {32887, "LNTC: Queried key value is not a string"},
    {32888, "LNTC: Queried value is not an integer"},
    {32889, "LNTC: Error setting registration key"},
    {32890, "LNTC: Error deleting registration key"},
    {32895, "Lintora"},
    {32896, "Version"},
};

} // namespace

const char* builtinString(uint32_t id) {
    auto it = std::lower_bound(std::begin(kStrings), std::end(kStrings), id,
                               [](const Entry& e, uint32_t v) { return e.id < v; });
    if (it != std::end(kStrings) && it->id == id) return it->text;
    return nullptr;
}

} // namespace lntc

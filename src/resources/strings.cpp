#include "resources/strings.h"

#include <algorithm>
#include <iterator>

namespace lntc {
namespace {

using Entry = StringEntry;

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
    {32800, "mm/dd/yy, 12hh:mm:ss  (AM/PM)"},
    {32801, "dd/mm/yy, 12hh:mm:ss  (AM/PM)"},
    {32802, "mm/dd/yy, 24hh:mm:ss"},
    {32816, "Cancel"},
    {32817, "Close"},
    {32818, "<no description text>"},
    {32820, "Maximum number of queues (%d) exceeded."},
    {32821, "Please enter a number between 0.0 and 10.0."},
    {32822, "The specified Quendal Job Default Tray is not available."},
    {32823, "Error reading the Large Document Printer LDPX.CFG file.  Lintora Configuration is "
            "unable to determine the current media configuration.  Please contact your system "
            "administrator."},
    {32824, "You must have at least one paper size listed in the Current Paper Sizes (Best "
            "Available) list box."},
    {32825, "%s Paper Media"},
    {32826, "PostScript Printer Configuration"},
    {32827, "Successfully configured Printer Connectivity."},
    {32828, "Raw Binary data encoding is not allowed with TCP Direct Port Connectivity.  Lintora "
            "Configuration will set ASCII 85 instead."},
    {32829, "Print Manager Connectivity"},
    {32830, "The %s printer does not exist in Print Manager."},
    {32831, "LNTC: Error opening the Service Control Manager"},
    // The backslashes before the quotation marks are part of the text.
    {32832, "Printer Connectivity is currently set to use the TCP Direct Port; however, the TCP/IP "
            "Protocol is not installed.  You can install the protocol via the Control Panel "
            "\\\"Network\\\" icon.  Selecting Other/Parallel Port connectivity instead..."},
    {32833, "You must configure the selected Printer Connectivity."},
    {32834, "Error accessing the file:  %s.\nThe TCP Direct Port Name and Address did not get "
            "updated."},
    {32835, "Error allocating memory for the list of Print Manager printer names.  %d bytes are "
            "required."},
    {32836, "Error allocating memory for the list of printer ports.  %d bytes are required."},
    {32837, "You selected Raw Binary image data encoding.  Lintora will use the Tagged Binary "
            "Communication Protocol (TBCP) which is custom to specific HP LaserJet printers.  Do "
            "you wish to change your selection?  "},
    {32838, "All successful Printer Connectivity, Media, and Options changes are complete and will "
            "get updated in the current queue configuration.  However, if you exit now, all other "
            "changes on this screen will be lost.  Do you still wish to exit?"},
    {32839, "%s Printer Configuration"},
    {32840, "All successful Advanced queue option changes are complete and will get updated in the "
            "current queue configuration.  However, if you exit now, all other changes on this "
            "screen will be lost.  Do you still wish to exit?"},
    {32841, "%s Queue Options"},
    {32842, "%s Advanced Queue Options"},
    {32843, "All successful Media and Options changes are complete and will get updated in the "
            "current queue configuration.  However, if you exit now, all other changes on this "
            "screen will be lost.  Do you still wish to exit?"},
    {32849, "Configuration Warning"},
    {32850, "Configuration Error"},
    {32851, "Path doesn't exist.  Do you wish to create '%s'?"},
    {32852, "Path Status"},
    {32855, "Path '%s' doesn't exist."},
    {32856, "The path specifies an existing file.  Please enter a directory name instead."},
    {32857, "Path '%s' is read only."},
    {32858, "LNTC: Error opening registration key"},
    {32859, "LNTC: Error %ld creating file mapping for configuration data"},
    {32860, "LNTC: Error mapping view of shared memory"},
    {32861, "LNTC: Error %ld creating file mapping for queue data"},
    {32862, "LNTC: Error querying registration key"},
    {32863, "Error %ld getting title strings."},
    {32864, "Error %ld getting performance data."},
    {32865, "Unable to allocate performance data."},
    // The backslashes before the quotation marks and before the file name are part of the text.
    {32866,
     "The \\\"Default Media\\\" key is missing from the Registry.  Please contact your system "
     "administrator immediately to run the following program:\nLNTKEY 'Default Media' "
     "%s\\lntmedia.key"},
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
    {32897, "You must edit the Default Media key in the Registry and specify the paper feed "
            "orientation for each size under GENERIC_POSTSCRIPT:  Portrait=0, Landscape=1.  Note "
            "that your speci"
            "fication will apply to all Generic PostScript printer queues on this server."},

    // Main dialog and ODR discovery.
    {33001, "NOTE:  This PC is installed as a standalone Print Server only."},
    {33002, "NOTE:  This PC is installed as a combined ODR and Print Server."},
    {33003, "The ODR software is also installed on this server, but the ODR name is not stored in "
            "the Registry.  Please configure the ODR software and enter the ODR name before "
            "continuing with Lintora Configuration."},
    {33004, "Default ODR Name"},
    {33005, "Invalid ODR name, or Quendal software not running."},
    {33006, "You must still configure %d Quendal queue(s) before the corresponding ODR printer(s) "
            "can be used.  Do you still wish to exit?"},
    {33007, "All successful queue configurations/deletions, Fonts, and Options changes are "
            "complete.  However, if you exit now, all other changes on this screen will be lost.  "
            "Do you still wish to exit?"},
    {33008, "The configuration is not yet initialized with default values.  Errors will occur at "
            "print time!  Please return to the Lintora Configuration dialog and choose OK.  Do you "
            "still wish to exit?"},
    {33009, "The configuration is not yet initialized with default font values.  You may have "
            "installed new fonts recently and have yet to configure them.  Please return to the "
            "Lintora Configuration dialog and choose Fonts.  Do you still wish to exit?"},
    {33010, "Please enter a default ODR name."},
    {33011, "You cannot change the ODR name while the Lintora Administrator program is running."},
    {33012, "Please wait while Lintora Configuration validates the default ODR name, and retrieves "
            "the list of queues which address this print server..."},
    {33013, "No printers are configured on the ODR for this print server."},
    {33014, "The '%s' queue is configured on this print server but not on the current ODR (%s).  "
            "The queue may have recently been deleted from the ODR.  Do you wish to delete the "
            "queue from this print server as well?"},
    {33015, "Error writing the default ODR name '%s' to the Registry."},
    {33016, "Failed to register WNDCLASS for parsed control"},

    // Queue lifecycle.
    {33020, "You cannot configure any new queues while the Lintora Administrator program is "
            "running."},
    {33021, "You cannot change the printer model for any queues while the Lintora Administrator "
            "program is running."},
    {33022, "You selected a new printer model for the %s queue.  If you continue, Lintora "
            "Configuration will reinitialize the queue as if you were creating it for the first "
            "time.  Do you wish to continue?"},
    {33023, "The %s queue was not configured."},
    {33024, "Queue Configuration"},
    {33025, "Successfully imported into the queue %s.  Please choose Configure and customize any "
            "settings specific to the new queue."},
    {33026, "Successfully configured the queue %s."},
    {33027, "You cannot delete any queues while the Lintora Administrator program is running."},
    {33028, "Delete queue %s?"},
    {33029, "Import configuration from queue %s to queue %s?"},

    // Printer models.
    {33040, "The selected queue's printer model, %s, is not displayed in the Printer Model list "
            "box.  The DLL for this printer model may not be installed.  Please contact your "
            "system administrator immediately."},
    {33041, "Please select a printer model."},
    {33042, "The %s.DLL is not installed.  This file is required in order to configure %s "
            "printers.  Please contact your system administrator immediately."},

    // Dialog base, logo, resource module.
    {33050, "ERROR: missing message"},
    {33051, "The message id %d is missing from the string table!"},
    {33052, "(Developer)"},
    {33053, "LNTC: Error loading the resource module %s"},

    // Shared configuration.
    {33060, "LNTC: The shared memory of %s exists but does not belong to this installation"},
    {33061, "LNTC: Still waiting for another process to finish filling the configuration"},
    {33062, "LNTC: Gave up waiting for another process to fill the configuration"},

    // Media dialogs.
    {33063, "LNTC: %d best-available paper sizes of queue %s do not fit its list and were left "
            "out"},
};

} // namespace

std::span<const StringEntry> builtinStrings() {
    return kStrings;
}

const char* builtinString(uint32_t id) {
    auto it = std::lower_bound(std::begin(kStrings), std::end(kStrings), id,
                               [](const Entry& e, uint32_t v) { return e.id < v; });
    if (it != std::end(kStrings) && it->id == id) return it->text;
    return nullptr;
}

} // namespace lntc

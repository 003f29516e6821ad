#include "resources/strings.h"

#include "resources/ids.h"

#include <algorithm>
#include <iterator>

namespace lntc {
namespace {

using Entry = StringEntry;

// Sorted by number.
constexpr Entry kStrings[] = {
    {str::ModelOther, "Other"},
    {str::ModelLaserJet4M, "HP LaserJet 4M"},
    {str::ModelLaserJet4MPlus, "HP LaserJet 4M Plus"},
    {str::ModelLaserJet4MV, "HP LaserJet 4MV"},
    {str::ModelLaserJet4SiMX, "HP LaserJet 4Si MX"},
    {str::ModelRicohM20, "Ricoh LP-M20 Print Engine"},
    {str::ModelRicohM32, "Ricoh LP-M32 Print Engine"},
    {str::ModelXerox8840C, "Xerox 8840C  (C-size)"},
    {str::ModelVersatec8636, "Versatec 8636  (E-size)"},
    {str::Model3mLbq, "3M LBQ  (C-size)"},
    {str::Model3m689Us, "3M 689 US  (C-size)"},
    {str::Model3m689Intl, "3M 689 INTL  (A2-size)"},
    {str::ModelRasterMaster, "CalComp RasterMaster Model 52236  (E-size)"},
    {str::ModelGenericPostScript, "Generic PostScript Level 2"},
    {str::ModelDrawingMaster, "CalComp DrawingMaster Model 600  (E-size)"},
    {str::BadAddressByte, "An invalid TCP/IP address byte was entered.  The maximum value is 255."},
    {str::QueueNotFound, "Error locating the %s queue information."},
    {str::LogCreateKey, "LNTC: Error creating registration key"},
    {str::TimeFormat1, "mm/dd/yy, 12hh:mm:ss  (AM/PM)"},
    {str::TimeFormat2, "dd/mm/yy, 12hh:mm:ss  (AM/PM)"},
    {str::TimeFormat3, "mm/dd/yy, 24hh:mm:ss"},
    {str::CancelCaption, "Cancel"},
    {str::CloseCaption, "Close"},
    {str::NoDescription, "<no description text>"},
    {str::TooManyQueues, "Maximum number of queues (%d) exceeded."},
    {str::OverscanRange, "Please enter a number between 0.0 and 10.0."},
    {str::QdTrayNotAvailable, "The specified Quendal Job Default Tray is not available."},
    {str::LdpxReadError,
     "Error reading the Large Document Printer LDPX.CFG file.  Lintora Configuration is "
     "unable to determine the current media configuration.  Please contact your system "
     "administrator."},
    {str::NoBestAvailSize,
     "You must have at least one paper size listed in the Current Paper Sizes (Best "
     "Available) list box."},
    {str::PaperMediaTitle, "%s Paper Media"},
    {str::PostScriptConfigCaption, "PostScript Printer Configuration"},
    {str::ConnectivityConfigured, "Successfully configured Printer Connectivity."},
    {str::RawBinaryWithTcp,
     "Raw Binary data encoding is not allowed with TCP Direct Port Connectivity.  Lintora "
     "Configuration will set ASCII 85 instead."},
    {str::PrintManagerCaption, "Print Manager Connectivity"},
    {str::PrinterNotInPrintManager, "The %s printer does not exist in Print Manager."},
    {str::LogServiceManager, "LNTC: Error opening the Service Control Manager"},
    // The backslashes before the quotation marks are part of the text.
    {str::TcpIpMissing,
     "Printer Connectivity is currently set to use the TCP Direct Port; however, the TCP/IP "
     "Protocol is not installed.  You can install the protocol via the Control Panel "
     "\\\"Network\\\" icon.  Selecting Other/Parallel Port connectivity instead..."},
    {str::ConfigureConnectivity, "You must configure the selected Printer Connectivity."},
    {str::HostsFileError,
     "Error accessing the file:  %s.\nThe TCP Direct Port Name and Address did not get "
     "updated."},
    {str::PrinterListMemory,
     "Error allocating memory for the list of Print Manager printer names.  %s bytes are "
     "required."},
    {str::PortListMemory,
     "Error allocating memory for the list of printer ports.  %s bytes are required."},
    {str::RawBinaryQuestion,
     "You selected Raw Binary image data encoding.  Lintora will use the Tagged Binary "
     "Communication Protocol (TBCP) which is custom to specific HP LaserJet printers.  Do "
     "you wish to change your selection?  "},
    {str::PrinterConfigClose,
     "All successful Printer Connectivity, Media, and Options changes are complete and will "
     "get updated in the current queue configuration.  However, if you exit now, all other "
     "changes on this screen will be lost.  Do you still wish to exit?"},
    {str::PrinterConfigTitle, "%s Printer Configuration"},
    {str::QueueOptionsClose,
     "All successful Advanced queue option changes are complete and will get updated in the "
     "current queue configuration.  However, if you exit now, all other changes on this "
     "screen will be lost.  Do you still wish to exit?"},
    {str::QueueOptionsTitle, "%s Queue Options"},
    {str::AdvancedOptionsTitle, "%s Advanced Queue Options"},
    {str::LargeDocConfigClose,
     "All successful Media and Options changes are complete and will get updated in the "
     "current queue configuration.  However, if you exit now, all other changes on this "
     "screen will be lost.  Do you still wish to exit?"},
    {str::WarningCaption, "Configuration Warning"},
    {str::ErrorCaption, "Configuration Error"},
    {str::CreatePath, "Path doesn't exist.  Do you wish to create '%s'?"},
    {str::PathStatusCaption, "Path Status"},
    {str::PathMissing, "Path '%s' doesn't exist."},
    {str::PathIsFile,
     "The path specifies an existing file.  Please enter a directory name instead."},
    {str::PathReadOnly, "Path '%s' is read only."},
    {str::LogOpenKey, "LNTC: Error opening registration key"},
    {str::LogConfigMapping, "LNTC: Error %ld creating file mapping for configuration data"},
    {str::LogMapView, "LNTC: Error mapping view of shared memory"},
    {str::LogQueueMapping, "LNTC: Error %ld creating file mapping for queue data"},
    {str::LogQueryKey, "LNTC: Error querying registration key"},
    {str::TitleStrings, "Error %ld getting title strings."},
    {str::PerformanceData, "Error %ld getting performance data."},
    {str::PerformanceMemory, "Unable to allocate performance data."},
    // The backslashes before the quotation marks and before the file name are part of the text.
    {str::DefaultMediaMissing,
     "The \\\"Default Media\\\" key is missing from the Registry.  Please contact your system "
     "administrator immediately to run the following program:\nLNTKEY 'Default Media' "
     "%s\\lntmedia.key"},
    {str::DefaultMediaMemory, "Error allocating global memory for Default Media."},
    {str::Corrupted, "A DLL has corrupted the configuration information."},
    {str::LogRlkLink, "LNTC: Error linking to RLK abstract"},
    {str::LogOdrDefaults, "LNTC: Unable to retrieve ODR system default values."},
    {str::LogNotString, "LNTC: Queried key value is not a string"},
    {str::LogNotInteger, "LNTC: Queried value is not an integer"},
    {str::LogSetKey, "LNTC: Error setting registration key"},
    {str::LogDeleteKey, "LNTC: Error deleting registration key"},
    {str::ProductName, "Lintora"},
    {str::Version, "Version"},
    {str::GenericPostScriptOrientation,
     "You must edit the Default Media key in the Registry and specify the paper feed "
     "orientation for each size under GENERIC_POSTSCRIPT:  Portrait=0, Landscape=1.  Note "
     "that your speci"
     "fication will apply to all Generic PostScript printer queues on this server."},

    // Main dialog and ODR discovery.
    {str::NoteStandalone, "NOTE:  This PC is installed as a standalone Print Server only."},
    {str::NoteCombined, "NOTE:  This PC is installed as a combined ODR and Print Server."},
    {str::OdrNameNotStored,
     "The ODR software is also installed on this server, but the ODR name is not stored in "
     "the Registry.  Please configure the ODR software and enter the ODR name before "
     "continuing with Lintora Configuration."},
    {str::DefaultOdrNameCaption, "Default ODR Name"},
    {str::InvalidOdrName, "Invalid ODR name, or Quendal software not running."},
    {str::QueuesLeft,
     "You must still configure %d Quendal queue(s) before the corresponding ODR printer(s) "
     "can be used.  Do you still wish to exit?"},
    {str::MainClose,
     "All successful queue configurations/deletions, Fonts, and Options changes are "
     "complete.  However, if you exit now, all other changes on this screen will be lost.  "
     "Do you still wish to exit?"},
    {str::NotInitialised,
     "The configuration is not yet initialized with default values.  Errors will occur at "
     "print time!  Please return to the Lintora Configuration dialog and choose OK.  Do you "
     "still wish to exit?"},
    {str::FontsNotInitialised,
     "The configuration is not yet initialized with default font values.  You may have "
     "installed new fonts recently and have yet to configure them.  Please return to the "
     "Lintora Configuration dialog and choose Fonts.  Do you still wish to exit?"},
    {str::EnterOdrName, "Please enter a default ODR name."},
    {str::AdminOdrName,
     "You cannot change the ODR name while the Lintora Administrator program is running."},
    {str::WaitForQueues,
     "Please wait while Lintora Configuration validates the default ODR name, and retrieves "
     "the list of queues which address this print server..."},
    {str::NoPrinters, "No printers are configured on the ODR for this print server."},
    {str::DeleteUnlistedQueue,
     "The '%s' queue is configured on this print server but not on the current ODR (%s).  "
     "The queue may have recently been deleted from the ODR.  Do you wish to delete the "
     "queue from this print server as well?"},
    {str::WriteOdrName, "Error writing the default ODR name '%s' to the Registry."},
    {str::AddressClassFailed, "Failed to register WNDCLASS for parsed control"},
    {str::OdrNameParts,
     "The ODR name '%s' cannot be used.  Please enter it as domain:organization, where the "
     "domain and the organization each have 1 to 19 characters."},

    // Queue lifecycle.
    {str::AdminNewQueue,
     "You cannot configure any new queues while the Lintora Administrator program is "
     "running."},
    {str::AdminModelChange,
     "You cannot change the printer model for any queues while the Lintora Administrator "
     "program is running."},
    {str::ModelChanged,
     "You selected a new printer model for the %s queue.  If you continue, Lintora "
     "Configuration will reinitialize the queue as if you were creating it for the first "
     "time.  Do you wish to continue?"},
    {str::QueueNotConfigured, "The %s queue was not configured."},
    {str::QueueConfigCaption, "Queue Configuration"},
    {str::QueueImported,
     "Successfully imported into the queue %s.  Please choose Configure and customize any "
     "settings specific to the new queue."},
    {str::QueueConfigured, "Successfully configured the queue %s."},
    {str::AdminDelete,
     "You cannot delete any queues while the Lintora Administrator program is running."},
    {str::DeleteQueue, "Delete queue %s?"},
    {str::ImportQueue, "Import configuration from queue %s to queue %s?"},

    // Printer models.
    {str::ModelNotListed,
     "The selected queue's printer model, %s, is not displayed in the Printer Model list "
     "box.  The DLL for this printer model may not be installed.  Please contact your "
     "system administrator immediately."},
    {str::SelectModel, "Please select a printer model."},
    {str::ModuleNotInstalled,
     "The %s.DLL is not installed.  This file is required in order to configure %s "
     "printers.  Please contact your system administrator immediately."},

    // Dialog base, logo, resource module.
    {str::MissingMessage, "ERROR: missing message"},
    {str::MissingMessageId, "The message id %d is missing from the string table!"},
    {str::Developer, "(Developer)"},
    {str::LogResourceModule, "LNTC: Error loading the resource module %s"},

    // Shared configuration.
    {str::LogSectionNotOurs,
     "LNTC: The shared memory of %s exists but does not belong to this installation"},
    {str::LogStillFilling,
     "LNTC: Still waiting for another process to finish filling the configuration"},
    {str::LogFillAbandoned, "LNTC: Gave up waiting for another process to fill the configuration"},

    // Media dialogs.
    {str::LogBestAvailCut,
     "LNTC: %d best-available paper sizes of queue %s do not fit its list and were left out"},

    // TCP Direct connectivity.
    {str::EnterPortName, "Please enter the TCP Direct Port Name."},

    // Saving.
    {str::QueueNotDeleted, "The %s queue was not deleted."},
    {str::GeneralNotSaved,
     "Error writing the font and general options to the Registry.  %s  Your changes are kept; "
     "please correct the problem and try again."},
    {str::LogQueueInSlot, "LNTC: The %s queue already has a slot and was not saved as a new queue"},
    {str::GeneralNotSavedExit,
     "Error writing the font and general options to the Registry.  %s  If you exit now, these "
     "changes will be lost.  Do you still wish to exit?"},

    // Print spooler.
    {str::LogSpoolerFailed, "LNTC: The print spooler could not be asked: %s"},

    // Names that the lists or the records cannot take.
    {str::LogQueueNameRefused,
     "LNTC: The queue %s of the ODR %s cannot be configured: its name is empty, holds a "
     "backslash or a control character, or is longer than 39 characters"},
    {str::LogOdrListFull,
     "LNTC: The ODR %s lists 65535 print queues, the most that can be asked for; any further "
     "queues were left out"},
    {str::LogPortNamesCut,
     "LNTC: Names of the hosts file left out of the port-name list, which holds at most "
     "65535: %d"},

    // Files read and rewritten by the library.
    {str::LogHostsUnreadable, "LNTC: Error reading the hosts file %s: %s"},
    {str::LogHostsNotUpdated, "LNTC: The hosts file %s did not get updated: %s"},
    {str::LogLdpxUnreadable, "LNTC: Error reading the Large Document Printer file %s: %s"},

    // Values of a record that did not come through the dialogs.
    {str::QueueNameUnusable,
     "A queue name must be 1 to 39 characters long, without a backslash or a control "
     "character."},
    {str::PaperNotOffered, "The paper size %s is not one of the printer's paper sizes."},
    {str::TrayPriorities,
     "Each available tray needs a priority of its own, from 1 up to the number of available "
     "trays."},
    {str::TrayNotOffered, "The printer has no tray number %d."},
    {str::DuplexNotAvailable,
     "A queue prints always duplex only when duplex printing is available, which only printers "
     "that take PostScript offer."},
    {str::CharsetNotAvailable, "The character set %s is not available on this print server."},
    {str::FontNotOffered,
     "The default font %s is not offered for the default character set and the installed "
     "fonts."},
};

// Looked up by binary search.
static_assert(std::is_sorted(std::begin(kStrings), std::end(kStrings),
                             [](const Entry& a, const Entry& b) { return a.id < b.id; }));

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

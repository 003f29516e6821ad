// Names of the library's resources: dialog templates, the controls in them, and the numbered
// strings. The dialog logic, the templates, the help file and the localised modules all meet
// on these numbers, so a number never changes once a module has been shipped against it.
//
// Control ids are unique across all dialogs (apart from OK, Cancel and Help), and none equals
// a template id: F1 asks the help file for the focused control's id and the Help button for
// the template id, in one number space.
#pragma once
#include <cstdint>

namespace lntc {

// Dialog templates.
namespace dlg {
inline constexpr uint16_t Main = 203;
inline constexpr uint16_t NewQueue = 301;
inline constexpr uint16_t ImportQueue = 302;
inline constexpr uint16_t PrinterConfig = 400;
inline constexpr uint16_t TcpDirect = 401;
inline constexpr uint16_t NewTcpPort = 402;
inline constexpr uint16_t PrintManager = 403;
inline constexpr uint16_t OtherPort = 404;
inline constexpr uint16_t TrayMedia = 405;
inline constexpr uint16_t QueueOptions = 406;
inline constexpr uint16_t AdvancedQueueOptions = 407;
inline constexpr uint16_t LargeDocConfig = 500;
inline constexpr uint16_t EjectMedia = 501;
inline constexpr uint16_t BestAvailMedia = 502;
inline constexpr uint16_t OtherModel = 602;
inline constexpr uint16_t Fonts = 700;
inline constexpr uint16_t GeneralOptions = 800;
inline constexpr uint16_t Wait = 900;
inline constexpr uint16_t OdrAddress = 1100;
} // namespace dlg

// Other resources.
namespace res {
inline constexpr uint16_t ConfigIcon = 52;   // class icon of the configuration run
inline constexpr uint16_t LogoBitmap = 1000; // start-up logo
} // namespace res

// MainConfigDialog (203).
namespace mainctl {
inline constexpr uint16_t OdrNameLabel = 2001;
inline constexpr uint16_t OdrName = 2002;
inline constexpr uint16_t ToConfigureLabel = 2003;
inline constexpr uint16_t ToConfigure = 2004; // queues the ODR assigns here, not configured yet
inline constexpr uint16_t CurrentLabel = 2005;
inline constexpr uint16_t Current = 2006; // queues configured on this print server
inline constexpr uint16_t ModelLabel = 2007;
inline constexpr uint16_t Model = 2008;
inline constexpr uint16_t DescriptionLabel = 2009;
inline constexpr uint16_t Description = 2010;
inline constexpr uint16_t Configure = 2011;
inline constexpr uint16_t Delete = 2012;
inline constexpr uint16_t Fonts = 2013;
inline constexpr uint16_t Options = 2014;
inline constexpr uint16_t Note = 2015; // installation note, set at start-up
} // namespace mainctl

// NewQueueDialog (301). "&Create" is the OK button.
namespace newqueuectl {
inline constexpr uint16_t QueueName = 3011;
inline constexpr uint16_t Import = 3012;
} // namespace newqueuectl

// ImportQueueDialog (302).
namespace importctl {
inline constexpr uint16_t From = 3021;
inline constexpr uint16_t To = 3022;
} // namespace importctl

// PrinterConfigDialog (400).
namespace printerctl {
inline constexpr uint16_t QueueName = 4401;
inline constexpr uint16_t PrintManager = 4402; // connectivity 0, first of its group
inline constexpr uint16_t TcpDirect = 4403;    // connectivity 1
inline constexpr uint16_t OtherPort = 4404;    // connectivity 2
inline constexpr uint16_t Configure = 4405;
inline constexpr uint16_t RawBinary = 4406; // encoding 0, first of its group
inline constexpr uint16_t AsciiHex = 4407;  // encoding 1
inline constexpr uint16_t Ascii85 = 4408;   // encoding 2
inline constexpr uint16_t WaitTimeout = 4409;
inline constexpr uint16_t WaitTimeoutSpin = 4410;
inline constexpr uint16_t CenterImage = 4411;
inline constexpr uint16_t Media = 4412;
inline constexpr uint16_t Options = 4413;
} // namespace printerctl

// TcpDirectDialog (401).
namespace tcpctl {
inline constexpr uint16_t PortName = 4451;
inline constexpr uint16_t Address = 4452; // "lnt_tcp_edit"
inline constexpr uint16_t SocketLabel = 4453;
inline constexpr uint16_t Socket = 4454;
} // namespace tcpctl

// NewTcpPortDialog (402). "&Yes" is OK, "&No" is Cancel.
namespace newportctl {
inline constexpr uint16_t PortName = 4481;
inline constexpr uint16_t Address = 4482;
} // namespace newportctl

// PrintManagerDialog (403).
namespace pmctl {
inline constexpr uint16_t Printer = 4501;
inline constexpr uint16_t Refresh = 4502;
} // namespace pmctl

// OtherPortDialog (404).
namespace portctl {
inline constexpr uint16_t Port = 4521;
} // namespace portctl

// TrayMediaDialog (405). The three input trays have the same controls, Third = Top + 20.
namespace trayctl {
inline constexpr uint16_t QueueName = 4601;
inline constexpr uint16_t TopAvailable = 4611;
inline constexpr uint16_t TopPriorityLabel = 4612;
inline constexpr uint16_t TopPriority1 = 4613;
inline constexpr uint16_t TopPriority2 = 4614;
inline constexpr uint16_t TopPriority3 = 4615;
inline constexpr uint16_t TopPaperLabel = 4616;
inline constexpr uint16_t TopPaper = 4617;
inline constexpr uint16_t BottomAvailable = 4621;
inline constexpr uint16_t BottomPriorityLabel = 4622;
inline constexpr uint16_t BottomPriority1 = 4623;
inline constexpr uint16_t BottomPriority2 = 4624;
inline constexpr uint16_t BottomPriority3 = 4625;
inline constexpr uint16_t BottomPaperLabel = 4626;
inline constexpr uint16_t BottomPaper = 4627;
inline constexpr uint16_t ThirdAvailable = 4631;
inline constexpr uint16_t ThirdPriorityLabel = 4632;
inline constexpr uint16_t ThirdPriority1 = 4633;
inline constexpr uint16_t ThirdPriority2 = 4634;
inline constexpr uint16_t ThirdPriority3 = 4635;
inline constexpr uint16_t ThirdPaperLabel = 4636;
inline constexpr uint16_t ThirdPaper = 4637;
inline constexpr uint16_t TrayStride = 10;       // from one tray's control to the next tray's
inline constexpr uint16_t EjectAvailable = 4641; // hidden
inline constexpr uint16_t EjectTray = 4642;      // hidden
inline constexpr uint16_t QdTrayLabel = 4643;
inline constexpr uint16_t QdTray = 4644;
inline constexpr uint16_t Overscan = 4645;
inline constexpr uint16_t OverscanSpin = 4646;
} // namespace trayctl

// QueueOptionsDialog (406).
namespace qoptctl {
inline constexpr uint16_t QueueName = 4701;
inline constexpr uint16_t PrinterOnly = 4702; // first of its group
inline constexpr uint16_t DiskOnly = 4703;
inline constexpr uint16_t PrinterAndDisk = 4704;
inline constexpr uint16_t DuplexGroup = 4705;
inline constexpr uint16_t DuplexAvailable = 4706;
inline constexpr uint16_t AlwaysDuplex = 4707;
inline constexpr uint16_t SameBinding = 4708;     // hidden
inline constexpr uint16_t TopEdgeBinding = 4709;  // hidden
inline constexpr uint16_t LeftEdgeBinding = 4710; // hidden
inline constexpr uint16_t AlternateOrientation = 4711;
inline constexpr uint16_t Timeout = 4712;
inline constexpr uint16_t TimeoutSpin = 4713;
inline constexpr uint16_t Advanced = 4714;
} // namespace qoptctl

// AdvancedQueueOptionsDialog (407).
namespace advctl {
inline constexpr uint16_t QueueName = 4751;
inline constexpr uint16_t DisplayXform = 4752;
inline constexpr uint16_t Rotate180 = 4753;
} // namespace advctl

// LargeDocConfigDialog (500).
namespace largedocctl {
inline constexpr uint16_t QueueName = 5001;
inline constexpr uint16_t InitTimeout = 5002;
inline constexpr uint16_t InitTimeoutSpin = 5003;
inline constexpr uint16_t Media = 5004;
inline constexpr uint16_t Options = 5005;
} // namespace largedocctl

// EjectMediaDialog (501).
namespace ejectctl {
inline constexpr uint16_t QueueName = 5101;
inline constexpr uint16_t EjectTrayLabel = 5102;
inline constexpr uint16_t EjectTray = 5103;
inline constexpr uint16_t Switch = 5104;
inline constexpr uint16_t PagesLabel = 5105;
inline constexpr uint16_t Pages = 5106;
inline constexpr uint16_t PagesSpin = 5107;
inline constexpr uint16_t QdTrayLabel = 5108;
inline constexpr uint16_t QdTray = 5109;
inline constexpr uint16_t PsTrayLabel = 5110;
inline constexpr uint16_t PsTray = 5111;
inline constexpr uint16_t Overscan = 5112;
inline constexpr uint16_t OverscanSpin = 5113;
} // namespace ejectctl

// BestAvailMediaDialog (502).
namespace bestctl {
inline constexpr uint16_t QueueName = 5201;
inline constexpr uint16_t EjectTrayLabel = 5202;
inline constexpr uint16_t EjectTray = 5203;
inline constexpr uint16_t QdPaper = 5204;
inline constexpr uint16_t PsPaper = 5205;
inline constexpr uint16_t Overscan = 5206;
inline constexpr uint16_t OverscanSpin = 5207;
inline constexpr uint16_t Current = 5208;
inline constexpr uint16_t Additional = 5209;
inline constexpr uint16_t Remove = 5210;
inline constexpr uint16_t Add = 5211;
} // namespace bestctl

// OtherModelDialog (602).
namespace othermodelctl {
inline constexpr uint16_t QueueName = 6021;
inline constexpr uint16_t Model = 6022;
} // namespace othermodelctl

// FontsDialog (700).
namespace fontctl {
inline constexpr uint16_t QuendalIntl = 4101; // character set 2, first of its group
inline constexpr uint16_t Iso8859_1 = 4102;   // 11
inline constexpr uint16_t Iso8859_7 = 4103;   // 17
inline constexpr uint16_t ShiftJis = 4104;    // 30
inline constexpr uint16_t HpRoman8 = 4105;    // 42
inline constexpr uint16_t AlwaysDefaultCharset = 4200;
inline constexpr uint16_t PcodeGroup = 4201;
inline constexpr uint16_t FontNameLabel = 4202;
inline constexpr uint16_t FontName = 4203;
inline constexpr uint16_t PointSizeLabel = 4204;
inline constexpr uint16_t PointSize = 4205;
inline constexpr uint16_t PointSizeSpin = 4206;
inline constexpr uint16_t FontDir = 4207;
inline constexpr uint16_t AutoDownload = 4208;
inline constexpr uint16_t FontFiles = 4209;
} // namespace fontctl

// GeneralOptionsDialog (800).
namespace genctl {
inline constexpr uint16_t ExecutableRoot = 4300;
inline constexpr uint16_t PrimaryCache = 4301;
inline constexpr uint16_t TempFiles = 4302;
inline constexpr uint16_t DataRoot = 4303;
inline constexpr uint16_t QueueDepth = 4304;
inline constexpr uint16_t QueueDepthSpin = 4305;
inline constexpr uint16_t Verbose = 4306;
inline constexpr uint16_t VerifyChecksum = 4307;
inline constexpr uint16_t EnableNotes = 4308;
inline constexpr uint16_t SuppressAnnotations = 4309;
inline constexpr uint16_t TimeFormat = 4310;
} // namespace genctl

// Value-table rows of the values no control edits. They are numbered among the controls of the
// dialog of their section, and may equal the id of a control that shows something else.
namespace valueid {
inline constexpr uint16_t InstalledKanji = 4000;
inline constexpr uint16_t InstalledGreek = 4001;
inline constexpr uint16_t FormerCharset = 4100; // the group of the character-set choices
inline constexpr uint16_t ConfigDir = 4300;
inline constexpr uint16_t LogonRetries = 4303;
inline constexpr uint16_t TimeString = 4311;
inline constexpr uint16_t FormScaling = 4450;
inline constexpr uint16_t COLDScaleFactor = 4451;
} // namespace valueid

// WaitDialog (900).
namespace waitctl {
inline constexpr uint16_t Message = 9001;
} // namespace waitctl

// OdrAddressDialog (1100).
namespace odrctl {
inline constexpr uint16_t OdrName = 1101;
inline constexpr uint16_t Address = 1102; // "lnt_tcp_edit"
} // namespace odrctl

// Numbered strings. 32768 to 32897 are the product's own numbers; from 33001 on are the
// messages that had none, grouped by the dialogs that show them.
namespace str {
// Printer model display names (catalogue rows name them by these numbers).
inline constexpr uint32_t ModelOther = 32768;
inline constexpr uint32_t ModelLaserJet4M = 32769;
inline constexpr uint32_t ModelLaserJet4MPlus = 32770;
inline constexpr uint32_t ModelLaserJet4MV = 32771;
inline constexpr uint32_t ModelLaserJet4SiMX = 32772;
inline constexpr uint32_t ModelRicohM20 = 32773;
inline constexpr uint32_t ModelRicohM32 = 32774;
inline constexpr uint32_t ModelXerox8840C = 32775;
inline constexpr uint32_t ModelVersatec8636 = 32776;
inline constexpr uint32_t Model3mLbq = 32777;
inline constexpr uint32_t Model3m689Us = 32778;
inline constexpr uint32_t Model3m689Intl = 32779;
inline constexpr uint32_t ModelRasterMaster = 32780;
inline constexpr uint32_t ModelGenericPostScript = 32781;
inline constexpr uint32_t ModelDrawingMaster = 32782;

inline constexpr uint32_t BadAddressByte = 32788; // address control
inline constexpr uint32_t QueueNotFound = 32794;  // %s queue name
inline constexpr uint32_t LogCreateKey = 32798;   // "LNTC: ..." log texts
inline constexpr uint32_t TimeFormat1 = 32800;    // date/time list of General Options
inline constexpr uint32_t TimeFormat2 = 32801;
inline constexpr uint32_t TimeFormat3 = 32802;
inline constexpr uint32_t CancelCaption = 32816; // "Cancel"
inline constexpr uint32_t CloseCaption = 32817;  // "Close"
inline constexpr uint32_t NoDescription = 32818; // "<no description text>"
inline constexpr uint32_t TooManyQueues = 32820; // %d limit
inline constexpr uint32_t OverscanRange = 32821;
inline constexpr uint32_t QdTrayNotAvailable = 32822;
inline constexpr uint32_t LdpxReadError = 32823;
inline constexpr uint32_t NoBestAvailSize = 32824;
inline constexpr uint32_t PaperMediaTitle = 32825; // %s model
inline constexpr uint32_t PostScriptConfigCaption = 32826;
inline constexpr uint32_t ConnectivityConfigured = 32827;
inline constexpr uint32_t RawBinaryWithTcp = 32828;
inline constexpr uint32_t PrintManagerCaption = 32829;
inline constexpr uint32_t PrinterNotInPrintManager = 32830; // %s printer
inline constexpr uint32_t LogServiceManager = 32831;
inline constexpr uint32_t TcpIpMissing = 32832;
inline constexpr uint32_t ConfigureConnectivity = 32833;
inline constexpr uint32_t HostsFileError = 32834;    // %s path
inline constexpr uint32_t PrinterListMemory = 32835; // %s byte count, as text
inline constexpr uint32_t PortListMemory = 32836;    // %s byte count, as text
inline constexpr uint32_t RawBinaryQuestion = 32837;
inline constexpr uint32_t PrinterConfigClose = 32838;
inline constexpr uint32_t PrinterConfigTitle = 32839; // %s model
inline constexpr uint32_t QueueOptionsClose = 32840;
inline constexpr uint32_t QueueOptionsTitle = 32841;    // %s model
inline constexpr uint32_t AdvancedOptionsTitle = 32842; // %s model
inline constexpr uint32_t LargeDocConfigClose = 32843;
inline constexpr uint32_t WarningCaption = 32849;
inline constexpr uint32_t ErrorCaption = 32850;
inline constexpr uint32_t CreatePath = 32851; // %s path
inline constexpr uint32_t PathStatusCaption = 32852;
inline constexpr uint32_t PathMissing = 32855; // %s path
inline constexpr uint32_t PathIsFile = 32856;
inline constexpr uint32_t PathReadOnly = 32857; // %s path
inline constexpr uint32_t LogOpenKey = 32858;
inline constexpr uint32_t LogConfigMapping = 32859; // %ld code
inline constexpr uint32_t LogMapView = 32860;
inline constexpr uint32_t LogQueueMapping = 32861; // %ld code
inline constexpr uint32_t LogQueryKey = 32862;
inline constexpr uint32_t TitleStrings = 32863;    // %ld code
inline constexpr uint32_t PerformanceData = 32864; // %ld code
inline constexpr uint32_t PerformanceMemory = 32865;
inline constexpr uint32_t DefaultMediaMissing = 32866; // %s configuration directory
inline constexpr uint32_t DefaultMediaMemory = 32867;
inline constexpr uint32_t Corrupted = 32868;
inline constexpr uint32_t LogRlkLink = 32885;
inline constexpr uint32_t LogOdrDefaults = 32886;
inline constexpr uint32_t LogNotString = 32887;
inline constexpr uint32_t LogNotInteger = 32888;
inline constexpr uint32_t LogSetKey = 32889;
inline constexpr uint32_t LogDeleteKey = 32890;
inline constexpr uint32_t ProductName = 32895; // logo
inline constexpr uint32_t Version = 32896;     // logo
inline constexpr uint32_t GenericPostScriptOrientation = 32897;

// Main dialog and ODR discovery.
inline constexpr uint32_t NoteStandalone = 33001;
inline constexpr uint32_t NoteCombined = 33002;
inline constexpr uint32_t OdrNameNotStored = 33003;
inline constexpr uint32_t DefaultOdrNameCaption = 33004;
inline constexpr uint32_t InvalidOdrName = 33005;
inline constexpr uint32_t QueuesLeft = 33006; // %d queues
inline constexpr uint32_t MainClose = 33007;
inline constexpr uint32_t NotInitialised = 33008;
inline constexpr uint32_t FontsNotInitialised = 33009;
inline constexpr uint32_t EnterOdrName = 33010;
inline constexpr uint32_t AdminOdrName = 33011;
inline constexpr uint32_t WaitForQueues = 33012;
inline constexpr uint32_t NoPrinters = 33013;
inline constexpr uint32_t DeleteUnlistedQueue = 33014; // %s queue, %s ODR name
inline constexpr uint32_t WriteOdrName = 33015;        // %s ODR name
inline constexpr uint32_t AddressClassFailed = 33016;
inline constexpr uint32_t OdrNameParts = 33017; // %s ODR name
// Queue lifecycle.
inline constexpr uint32_t AdminNewQueue = 33020;
inline constexpr uint32_t AdminModelChange = 33021;
inline constexpr uint32_t ModelChanged = 33022;       // %s queue
inline constexpr uint32_t QueueNotConfigured = 33023; // %s queue
inline constexpr uint32_t QueueConfigCaption = 33024;
inline constexpr uint32_t QueueImported = 33025;   // %s queue
inline constexpr uint32_t QueueConfigured = 33026; // %s queue
inline constexpr uint32_t AdminDelete = 33027;
inline constexpr uint32_t DeleteQueue = 33028; // %s queue
inline constexpr uint32_t ImportQueue = 33029; // %s source, %s new queue
// Printer models.
inline constexpr uint32_t ModelNotListed = 33040; // %s model
inline constexpr uint32_t SelectModel = 33041;
inline constexpr uint32_t ModuleNotInstalled = 33042; // %s module, %s model
// Dialog base, logo, resource module.
inline constexpr uint32_t MissingMessage = 33050;
inline constexpr uint32_t MissingMessageId = 33051;  // %d id
inline constexpr uint32_t Developer = 33052;         // logo, in place of an empty version
inline constexpr uint32_t LogResourceModule = 33053; // %s module path
// Shared configuration.
inline constexpr uint32_t LogSectionNotOurs = 33060; // %s section name
inline constexpr uint32_t LogStillFilling = 33061;
inline constexpr uint32_t LogFillAbandoned = 33062;
// Media dialogs.
inline constexpr uint32_t LogBestAvailCut = 33063; // %d names left out, %s queue
// TCP Direct connectivity.
inline constexpr uint32_t EnterPortName = 33070;
// Saving.
inline constexpr uint32_t QueueNotDeleted = 33080;     // %s queue
inline constexpr uint32_t GeneralNotSaved = 33081;     // %s system message
inline constexpr uint32_t LogQueueInSlot = 33082;      // %s queue
inline constexpr uint32_t GeneralNotSavedExit = 33083; // %s system message
// Print spooler.
inline constexpr uint32_t LogSpoolerFailed = 33085; // %s system message
// Names the ODR or the hosts file give that the lists or the records cannot take.
inline constexpr uint32_t LogQueueNameRefused = 33090; // %s quoted queue name, %s ODR
inline constexpr uint32_t LogOdrListFull = 33091;      // %s ODR
inline constexpr uint32_t LogPortNamesCut = 33092;     // %d names left out
// Files read and rewritten by the library.
inline constexpr uint32_t LogHostsUnreadable = 33100; // %s path, %s reason
inline constexpr uint32_t LogHostsNotUpdated = 33101; // %s path, %s reason
inline constexpr uint32_t LogLdpxUnreadable = 33102;  // %s path, %s reason
// Values of a record that did not come through the dialogs, which offer no way to them.
inline constexpr uint32_t QueueNameUnusable = 33110;
inline constexpr uint32_t PaperNotOffered = 33111; // %s paper name
inline constexpr uint32_t TrayPriorities = 33112;
inline constexpr uint32_t TrayNotOffered = 33113; // %d tray number
inline constexpr uint32_t DuplexNotAvailable = 33114;
inline constexpr uint32_t CharsetNotAvailable = 33115; // %s character set keyword
inline constexpr uint32_t FontNotOffered = 33116;      // %s font
} // namespace str

// Texts of the dialog framework itself.
namespace fwstr {
inline constexpr uint32_t ParseInt = 61712;        // "Please enter an integer."
inline constexpr uint32_t ParseReal = 61713;       // "Please enter a number."
inline constexpr uint32_t ParseIntRange = 61714;   // "... integer between %1 and %2."
inline constexpr uint32_t ParseRealRange = 61715;  // "... number between %1 and %2."
inline constexpr uint32_t ParseStringSize = 61716; // "... no more than %1 characters."
inline constexpr uint32_t AppName = 61717;         // caption of the framework's boxes
} // namespace fwstr

} // namespace lntc

/*
 * liblntc: configuration library of the Lintora print server.
 *
 * The configuration lives in two shared-memory sections that every product process
 * reads through the functions below. The record layouts are an interface between
 * separately built programs: never reorder, resize or pad a field.
 */
#ifndef LNTC_LNTC_H
#define LNTC_LNTC_H

#include <stddef.h>
#include <stdint.h>

/* On Windows the functions are lntc.dll's, called with the platform's one calling convention
 * of x64 (no __stdcall or __cdecl is named); LNTC_BUILDING_DLL is defined only while the DLL
 * itself is built. */
#if defined(_WIN32)
#if defined(LNTC_BUILDING_DLL)
#define LNTC_API __declspec(dllexport)
#else
#define LNTC_API __declspec(dllimport)
#endif
#elif defined(__GNUC__)
#define LNTC_API __attribute__((visibility("default")))
#else
#define LNTC_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Status codes of the exports. */
#define LNTC_OK 0u
#define LNTC_E_VERSION 0xCF190001u    /* the caller's version constant does not match */
#define LNTC_E_NO_QUEUE 0xCF190002u   /* index out of range, slot free, or no such name */
#define LNTC_E_SECTION 0xCF190003u    /* a shared section could not be created or mapped */
#define LNTC_E_ARGUMENT 0xCF190004u   /* a required pointer argument was null */
#define LNTC_E_NOT_LOADED 0xCF190005u /* the library could not open its registry root at load */

/* Version constants callers pass to prove their build matches these layouts. */
#define LNTC_CONFIG_VERSION 2003u
#define LNTC_QUEUE_VERSION 3004u

#define LNTC_MAGIC 0x56981342u
#define LNTC_MAX_QUEUES 16
#define LNTC_FONT_COUNT 25

#pragma pack(push, 1)

typedef struct ServerConfig {
    uint32_t Magic;
    uint16_t EnableNotes;
    uint16_t LogonRetries;
    char PrimaryCacheDir[256];
    uint16_t QueueDepth;
    uint16_t SuppressAnnotations;
    char TempFilesDir[256];
    uint16_t VerboseOnStartup;
    uint16_t VerifyChecksum;
    uint16_t AutoDownload;
    char DefaultFont[64];
    uint16_t FormerCharset;
    uint16_t SystemCharset;
    uint16_t UseDocCharSet;
    char Organization[20];
    char Domain[20];
    char DefaultODR[40];
    uint32_t OdrSystemWord;
    uint16_t OdrRelease;
    uint16_t OdrGeneration;
    char ConfigDir[256];
    char FontDir[256];
    char Fonts[LNTC_FONT_COUNT][64]; /* Font1 .. Font25 */
    uint16_t QueueCount;
    uint16_t TimeFormat;
    char TimeString[32];
    uint32_t InstalledKanji;
    uint32_t InstalledGreek;
    int32_t UpdateTime;
    uint16_t FormScaling;
    uint16_t COLDScaleFactor;
} ServerConfig;

typedef struct QueueRecord {
    int32_t UpdateTime;
    char Name[40];
    char Printer[64];
    char Description[128];
    char DeviceName[256];
    char ImageHardware[32];
    uint32_t PrintDest;
    int16_t QDDefaultTray;
    int16_t EjectTray;
    uint32_t EjectTraySwitch;
    uint16_t EjectTrayPages;
    uint16_t PrinterStatusTimeout;
    uint16_t UseAlternateOrientation;
    uint16_t Reserved1;
    double OverscanAmt;
    uint32_t DuplexAvailable;
    uint32_t DuplexPrint;
    uint32_t DuplexBinding;
    char PrinterAlias[64];
    char Tray1_Top[64];
    char Tray2_Bottom[64];
    char Tray3_Third[64];
    uint32_t CenterImage;
    uint32_t DataEncode;
    uint16_t WaitTimeout;
    uint16_t TCP_SocketNumber;
    uint32_t Connectivity;
    uint16_t PrinterInitTimeout;
    uint16_t PaperTrays;
    int16_t PSDefaultTray;
    uint16_t Reserved2;
    uint32_t UseDisplayXform;
    uint32_t Rotate180;
    char QDDefaultPaperSize[32];
    char PSDefaultPaperSize[32];
    char BestAvailPaperSizes[256];
    uint16_t BestAvailPaperSizesCnt;
    uint16_t Reserved3;
    uint32_t GlobalArea; /* handle of the queue's 56-byte cross-process area */
    uint32_t Reserved4;
} QueueRecord;

#pragma pack(pop)

/* General record and queue slots. Every pointer handed out points into a read-only view. */
/* The first call sets up the shared records. A status from the ODR name service (neither 0
 * nor LNTC_E_*) means the records were filled without the ODR's system defaults: the address
 * is stored all the same, and every later call of the process returns that status again. On
 * any LNTC_E_* status no address is stored. */
LNTC_API uint32_t LNTC_GetConfig(const ServerConfig** config, uint32_t version);
LNTC_API uint32_t LNTC_GetQueueName(int32_t index, const char** name);
LNTC_API uint32_t LNTC_GetQueue(const char* name, const QueueRecord** queue, uint32_t version);
LNTC_API uint32_t LNTC_RetainFiles(const char* name, int32_t retain);
LNTC_API uint32_t LNTC_IsPostScriptPrinter(const char* name);
LNTC_API uint32_t LNTC_NeedKanjiDiskFonts(int32_t clear);

/* Processes by image name (without extension, compared ignoring case). */
LNTC_API uint32_t LNTC_FindProcess(const char* name);
LNTC_API uint32_t LNTC_KillProcess(const char* name);

/* Closes the start-up logo if it is shown. */
LNTC_API void LNTC_EndLogo(void);

/* The configuration run: the modal main dialog, owned by the parent window (an opaque handle of
 * the caller's toolkit, or none). 1 when it ended with OK, 0 otherwise; also 0 at once when the
 * shared configuration cannot be set up or no window can be shown. */
LNTC_API uint32_t LNTC_ConfigDialog(void* parent);

#ifdef __cplusplus
} /* extern "C" */
#define LNTC_STATIC_ASSERT static_assert
#else
#define LNTC_STATIC_ASSERT _Static_assert
#endif

#define LNTC_FIELD(rec, field, off)                                                                \
    LNTC_STATIC_ASSERT(offsetof(rec, field) == (off), #rec "::" #field " moved")

LNTC_FIELD(ServerConfig, Magic, 0);
LNTC_FIELD(ServerConfig, EnableNotes, 4);
LNTC_FIELD(ServerConfig, LogonRetries, 6);
LNTC_FIELD(ServerConfig, PrimaryCacheDir, 8);
LNTC_FIELD(ServerConfig, QueueDepth, 264);
LNTC_FIELD(ServerConfig, SuppressAnnotations, 266);
LNTC_FIELD(ServerConfig, TempFilesDir, 268);
LNTC_FIELD(ServerConfig, VerboseOnStartup, 524);
LNTC_FIELD(ServerConfig, VerifyChecksum, 526);
LNTC_FIELD(ServerConfig, AutoDownload, 528);
LNTC_FIELD(ServerConfig, DefaultFont, 530);
LNTC_FIELD(ServerConfig, FormerCharset, 594);
LNTC_FIELD(ServerConfig, SystemCharset, 596);
LNTC_FIELD(ServerConfig, UseDocCharSet, 598);
LNTC_FIELD(ServerConfig, Organization, 600);
LNTC_FIELD(ServerConfig, Domain, 620);
LNTC_FIELD(ServerConfig, DefaultODR, 640);
LNTC_FIELD(ServerConfig, OdrSystemWord, 680);
LNTC_FIELD(ServerConfig, OdrRelease, 684);
LNTC_FIELD(ServerConfig, OdrGeneration, 686);
LNTC_FIELD(ServerConfig, ConfigDir, 688);
LNTC_FIELD(ServerConfig, FontDir, 944);
LNTC_FIELD(ServerConfig, Fonts, 1200);
LNTC_FIELD(ServerConfig, QueueCount, 2800);
LNTC_FIELD(ServerConfig, TimeFormat, 2802);
LNTC_FIELD(ServerConfig, TimeString, 2804);
LNTC_FIELD(ServerConfig, InstalledKanji, 2836);
LNTC_FIELD(ServerConfig, InstalledGreek, 2840);
LNTC_FIELD(ServerConfig, UpdateTime, 2844);
LNTC_FIELD(ServerConfig, FormScaling, 2848);
LNTC_FIELD(ServerConfig, COLDScaleFactor, 2850);
LNTC_STATIC_ASSERT(sizeof(ServerConfig) == 2852, "ServerConfig size");

LNTC_FIELD(QueueRecord, UpdateTime, 0);
LNTC_FIELD(QueueRecord, Name, 4);
LNTC_FIELD(QueueRecord, Printer, 44);
LNTC_FIELD(QueueRecord, Description, 108);
LNTC_FIELD(QueueRecord, DeviceName, 236);
LNTC_FIELD(QueueRecord, ImageHardware, 492);
LNTC_FIELD(QueueRecord, PrintDest, 524);
LNTC_FIELD(QueueRecord, QDDefaultTray, 528);
LNTC_FIELD(QueueRecord, EjectTray, 530);
LNTC_FIELD(QueueRecord, EjectTraySwitch, 532);
LNTC_FIELD(QueueRecord, EjectTrayPages, 536);
LNTC_FIELD(QueueRecord, PrinterStatusTimeout, 538);
LNTC_FIELD(QueueRecord, UseAlternateOrientation, 540);
LNTC_FIELD(QueueRecord, Reserved1, 542);
LNTC_FIELD(QueueRecord, OverscanAmt, 544);
LNTC_FIELD(QueueRecord, DuplexAvailable, 552);
LNTC_FIELD(QueueRecord, DuplexPrint, 556);
LNTC_FIELD(QueueRecord, DuplexBinding, 560);
LNTC_FIELD(QueueRecord, PrinterAlias, 564);
LNTC_FIELD(QueueRecord, Tray1_Top, 628);
LNTC_FIELD(QueueRecord, Tray2_Bottom, 692);
LNTC_FIELD(QueueRecord, Tray3_Third, 756);
LNTC_FIELD(QueueRecord, CenterImage, 820);
LNTC_FIELD(QueueRecord, DataEncode, 824);
LNTC_FIELD(QueueRecord, WaitTimeout, 828);
LNTC_FIELD(QueueRecord, TCP_SocketNumber, 830);
LNTC_FIELD(QueueRecord, Connectivity, 832);
LNTC_FIELD(QueueRecord, PrinterInitTimeout, 836);
LNTC_FIELD(QueueRecord, PaperTrays, 838);
LNTC_FIELD(QueueRecord, PSDefaultTray, 840);
LNTC_FIELD(QueueRecord, Reserved2, 842);
LNTC_FIELD(QueueRecord, UseDisplayXform, 844);
LNTC_FIELD(QueueRecord, Rotate180, 848);
LNTC_FIELD(QueueRecord, QDDefaultPaperSize, 852);
LNTC_FIELD(QueueRecord, PSDefaultPaperSize, 884);
LNTC_FIELD(QueueRecord, BestAvailPaperSizes, 916);
LNTC_FIELD(QueueRecord, BestAvailPaperSizesCnt, 1172);
LNTC_FIELD(QueueRecord, Reserved3, 1174);
LNTC_FIELD(QueueRecord, GlobalArea, 1176);
LNTC_FIELD(QueueRecord, Reserved4, 1180);
LNTC_STATIC_ASSERT(sizeof(QueueRecord) == 1184, "QueueRecord size");

#undef LNTC_FIELD

/* Default media of the printer models: what paper each model takes, its input trays and its
 * tray-name lists. The table is local to the process that builds it. */
#define LNTC_MEDIA_PAPER_SIZES 30
#define LNTC_MEDIA_TRAYS 3
#define LNTC_MEDIA_TRAY_NAMES 10
#define LNTC_MEDIA_NAME_SIZE 64
#define LNTC_MEDIA_NONE 0xFFFFu

#ifdef __cplusplus
extern "C" {
#endif

typedef struct MediaPaperSize {
    char szName[LNTC_MEDIA_NAME_SIZE];
    uint16_t usOrientation; /* 0 portrait, 1 landscape */
} MediaPaperSize;

typedef struct MediaTray {
    uint16_t usPaperSizeIndex; /* into PaperSizes; LNTC_MEDIA_NONE for none */
    uint16_t usPriority;
} MediaTray;

typedef struct MediaTrayList {
    uint16_t usNumTrayNames;
    char szTrayName[LNTC_MEDIA_TRAY_NAMES][LNTC_MEDIA_NAME_SIZE];
    uint16_t usTrayNameIndex; /* default name; LNTC_MEDIA_NONE for none */
} MediaTrayList;

typedef struct DefaultMedia {
    uint16_t NumPaperSizes;
    MediaPaperSize PaperSizes[LNTC_MEDIA_PAPER_SIZES];
    MediaTray Trays[LNTC_MEDIA_TRAYS];
    MediaTrayList EjectTrays;
    MediaTrayList QDTrays;
    MediaTrayList PSTrays;
} DefaultMedia;

/* Builds this process's default media table from the store: 1 built, 0 failed (the user has
 * been told why). The shared configuration must already be set up (LNTC_GetConfig). */
LNTC_API int32_t LNTC_GetDefaultMedia(void);
/* Orientation of a paper size on the queue's printer model: 0 portrait (also for a name the
 * model does not list), 1 landscape. */
LNTC_API int16_t LNTC_GetPaperOrientation(const QueueRecord* queue, const char* paperName);

#ifdef __cplusplus
} /* extern "C" */
#endif

LNTC_STATIC_ASSERT(sizeof(MediaPaperSize) == 66, "MediaPaperSize size");
LNTC_STATIC_ASSERT(offsetof(MediaPaperSize, usOrientation) == 64, "MediaPaperSize layout");
LNTC_STATIC_ASSERT(sizeof(MediaTray) == 4, "MediaTray size");
LNTC_STATIC_ASSERT(offsetof(MediaTray, usPriority) == 2, "MediaTray layout");
LNTC_STATIC_ASSERT(sizeof(MediaTrayList) == 644, "MediaTrayList size");
LNTC_STATIC_ASSERT(offsetof(MediaTrayList, szTrayName) == 2, "MediaTrayList layout");
LNTC_STATIC_ASSERT(offsetof(MediaTrayList, usTrayNameIndex) == 642, "MediaTrayList layout");
LNTC_STATIC_ASSERT(offsetof(DefaultMedia, PaperSizes) == 2, "DefaultMedia layout");
LNTC_STATIC_ASSERT(offsetof(DefaultMedia, Trays) == 1982, "DefaultMedia layout");
LNTC_STATIC_ASSERT(offsetof(DefaultMedia, EjectTrays) == 1994, "DefaultMedia layout");
LNTC_STATIC_ASSERT(offsetof(DefaultMedia, QDTrays) == 2638, "DefaultMedia layout");
LNTC_STATIC_ASSERT(offsetof(DefaultMedia, PSTrays) == 3282, "DefaultMedia layout");
LNTC_STATIC_ASSERT(sizeof(DefaultMedia) == 3926, "DefaultMedia size");

#endif /* LNTC_LNTC_H */

/*
 * liblntc's administration interface: what the configuration tools need beyond lntc.h.
 *
 * Exported by the same liblntc.so as lntc.h and working on the same instance of the library,
 * but not part of the product's interface: only the tools built with this library use it, and
 * it may change with any release. Every call takes LNTC_ADMIN_VERSION and refuses any other
 * value with LNTC_E_VERSION; no call throws; texts handed out are the caller's to release with
 * LNTC_AdminFreeText.
 */
#ifndef LNTC_ADMIN_H
#define LNTC_ADMIN_H

#include "lntc/lntc.h"

#ifdef __cplusplus
extern "C" {
#endif

#define LNTC_ADMIN_VERSION 4003u

/* Beyond lntc.h's statuses. */
#define LNTC_ADMIN_NO_MORE_ITEMS 259u    /* an index past the last item */
#define LNTC_ADMIN_E_FAILED 0xCF190101u  /* the call failed; its report says why */
#define LNTC_ADMIN_E_DISPLAY 0xCF190102u /* no window can be shown on this process's display */

typedef struct LNTC_AdminText {
    char* data; /* terminated; NULL when empty */
    size_t size;
} LNTC_AdminText;

LNTC_API void LNTC_AdminFreeText(LNTC_AdminText* text);

/* Text from outside (arguments, files) made safe for a terminal: control bytes and bytes that
 * are not UTF-8 become \xNN; with quoted, in single quotes. */
LNTC_API uint32_t LNTC_AdminPrintable(uint32_t version, const char* text, size_t size,
                                      int32_t quoted, LNTC_AdminText* out);
/* What an export's status means, as "0xCF190002 (no such queue)" or "success". */
LNTC_API uint32_t LNTC_AdminStatusText(uint32_t version, uint32_t status, LNTC_AdminText* out);

/* The default media of each printer model of the catalogue, once LNTC_GetDefaultMedia built
 * the table (LNTC_E_ARGUMENT before). index counts from 0; past the last model
 * LNTC_ADMIN_NO_MORE_ITEMS. */
LNTC_API uint32_t LNTC_AdminModelMedia(uint32_t version, uint32_t index, const char** modelKey,
                                       const DefaultMedia** media);

/* A paper size of the catalogue by name (when name is not NULL) or by id. 0 for a size of the
 * catalogue, else LNTC_E_ARGUMENT; the name is filled in either way (the catalogue's name of
 * the unknown size for an id outside it). */
typedef struct LNTC_AdminPaperSize {
    uint32_t id;
    const char* name;
    double width, height; /* inches */
} LNTC_AdminPaperSize;
LNTC_API uint32_t LNTC_AdminFindPaperSize(uint32_t version, const char* name, uint32_t id,
                                          LNTC_AdminPaperSize* size);

/* Reads the model's section of ldpx.cfg in the configuration directory of the shared records
 * (set up first with LNTC_GetConfig). The reader's status (0, 0xFFFFFFFF, 0xCF070002), with
 * the report as JSON (the status, the path and, when the file was found, every value read)
 * and, on a failure, the message the library gives for it. */
LNTC_API uint32_t LNTC_AdminReadLdpx(uint32_t version, const char* model, LNTC_AdminText* report,
                                     LNTC_AdminText* message);

/* Registry files of the common registry editors, against the machine root's registry. Failures
 * return LNTC_ADMIN_E_FAILED (LNTC_E_NOT_LOADED without a registry) with the reason in why. */
#define LNTC_ADMIN_REGEDIT4 0u /* "REGEDIT4", single-byte */
#define LNTC_ADMIN_REG_V5 1u   /* "Windows Registry Editor Version 5.00", UTF-16LE */
/* The whole file or nothing of it; path "-" reads standard input. Files larger than 16 MiB
 * are refused. */
LNTC_API uint32_t LNTC_AdminImportRegistry(uint32_t version, const char* path, LNTC_AdminText* why);
/* KEY ("HKEY_LOCAL_MACHINE\..." or "HKLM\...") and everything below it: into the file at path,
 * written whole (a device or a pipe directly), or, when path is NULL, into out. */
LNTC_API uint32_t LNTC_AdminExportRegistry(uint32_t version, const char* key, uint32_t format,
                                           const char* path, LNTC_AdminText* out,
                                           LNTC_AdminText* why);
/* 0 when the registry may be written; else LNTC_ADMIN_E_FAILED, with why it may not. */
LNTC_API uint32_t LNTC_AdminRegistryWritable(uint32_t version, LNTC_AdminText* why);

/* Installs the demo under the machine root from the folder shareDir/demo, unless it is there
 * already and force is 0. 0 with what was done in report, or LNTC_ADMIN_E_FAILED with why. */
LNTC_API uint32_t LNTC_AdminDemoSetup(uint32_t version, const char* shareDir, int32_t force,
                                      LNTC_AdminText* report);

/* A program that decides when and how the library starts (once its arguments are found good;
 * on the display, over VNC, by a script; on which machine root) defines this symbol with the
 * value LNTC_ADMIN_VERSION and exports it: loading the library then neither starts it nor
 * shows the logo, and nothing is created under any machine root. LNTC_AdminConfigure starts
 * it with the host the run needs, or LNTC_AdminStart as it starts on load. Before that, only
 * the calls that need no library answer: LNTC_AdminFreeText, LNTC_AdminPrintable,
 * LNTC_AdminStatusText, LNTC_AdminRecordValue, LNTC_AdminFindPaperSize, LNTC_AdminModelKey,
 * LNTC_AdminMachineRoot and the galleries; the others return LNTC_E_NOT_LOADED. On Windows the
 * program exports the symbol (__declspec(dllexport)), where the library looks for it by name. */
extern const uint32_t LNTC_AdminDeferredLoad;

/* In such a program, starts the library as loading it would have, on the machine root root
 * (NULL: the default one, see LNTC_AdminMachineRoot). Not while it runs (LNTC_E_ARGUMENT):
 * once, or again once LNTC_AdminConfigure has ended its run. 0, or the load's status with why it
 * failed in why; when only the load failed, the registry calls still work. */
LNTC_API uint32_t LNTC_AdminStart(uint32_t version, const char* root, LNTC_AdminText* why);

/* The machine root in use; before the library started, the one it starts on by default:
 * LNT_ROOT when set, else /var/lib/lintora for root and for a member of the group lintora who
 * may enter it, else the user's own ($XDG_DATA_HOME/lintora or ~/.local/share/lintora). */
LNTC_API uint32_t LNTC_AdminMachineRoot(uint32_t version, LNTC_AdminText* root);

/* The registry keyword of each printer model of the catalogue ("HP_LASERJET_4M"). index counts
 * from 0; past the last model LNTC_ADMIN_NO_MORE_ITEMS. */
LNTC_API uint32_t LNTC_AdminModelKey(uint32_t version, uint32_t index, const char** key);

/* Whether another process holds the shared records too (*held 1): a change made only in them
 * (LNTC_RetainFiles) lasts while some process holds them. LNTC_E_SECTION while this process
 * holds none (before LNTC_GetConfig). */
LNTC_API uint32_t LNTC_AdminHeldElsewhere(uint32_t version, int32_t* held);

typedef struct LNTC_AdminRun {
    /* NULL: the run is shown on this process's display (QT_QPA_PLATFORM chooses Qt's
     * platform); else the script's text, played on the headless host. */
    const char* script;
    size_t scriptSize;
    /* With a script: where its JSON transcript goes ("-" standard output), or NULL. A place
     * that cannot take it is found before anything runs; a file is written whole. */
    const char* transcript;
    /* Each line to show the user (warnings, why the run failed), when it arises. */
    void (*report)(void* context, const char* line);
    void* context;
    /* The machine root of the run, or NULL for the default one (see LNTC_AdminMachineRoot). */
    const char* root;
    /* With a script: what the history names its saves after ("script NAME"), NULL "script". */
    const char* name;
    uint32_t flags; /* LNTC_ADMIN_RUN_ATOMIC, LNTC_ADMIN_RUN_TERMINAL */
} LNTC_AdminRun;

/* A script that fails leaves the configuration as the run found it once the shared records were
 * set up: what it saved is changed back, recorded in the history as "script rolled back". Hosts
 * lines its TCP Direct ports added stay. */
#define LNTC_ADMIN_RUN_ATOMIC 1u
/* Without a script: the run is shown on the terminal of standard input and output (the
 * terminal module, liblntc-tui.so) instead of the display. The terminal is restored when the
 * run ends, and when the process ends on a signal meanwhile. */
#define LNTC_ADMIN_RUN_TERMINAL 2u

#define LNTC_ADMIN_DISPLAY_USABLE 0u
#define LNTC_ADMIN_DISPLAY_DISABLED 1u    /* LNTC_NO_GUI asks for none */
#define LNTC_ADMIN_DISPLAY_NONE 2u        /* none is named */
#define LNTC_ADMIN_DISPLAY_UNREACHABLE 3u /* the display named does not answer */
#define LNTC_ADMIN_DISPLAY_TERMINAL 4u    /* the terminal cannot be used; the report says why */

/* The configuration run: load, set-up of the shared records, the main dialog, unload. 0 when it
 * ran, with *ended 1 when it ended with OK, 0 otherwise. LNTC_ADMIN_E_DISPLAY (the verdict in
 * *display) when no window can be shown, LNTC_E_NOT_LOADED or LNTC_E_SECTION when the library
 * or the shared records could not start, LNTC_ADMIN_E_FAILED when the script failed or the
 * transcript could not be written; the run's report says why. */
LNTC_API uint32_t LNTC_AdminConfigure(uint32_t version, const LNTC_AdminRun* run, uint32_t* ended,
                                      uint32_t* display);

/* A PNG of every dialog template and of the logo, "<id>-<title>.png" and "logo.png", written by
 * the Qt host into the folder dir (which must exist). 0 when all were written, else
 * LNTC_ADMIN_E_FAILED. written gets the paths, failed what was not written and why: a line
 * each. */
LNTC_API uint32_t LNTC_AdminWriteGallery(uint32_t version, const char* dir, LNTC_AdminText* written,
                                         LNTC_AdminText* failed);

/* The same for the terminal: the screen of every dialog template and of the logo on an 80x24
 * terminal as UTF-8 text, "<id>-<title>.txt" and "logo.txt", written by the terminal module. */
LNTC_API uint32_t LNTC_AdminWriteTextGallery(uint32_t version, const char* dir,
                                             LNTC_AdminText* written, LNTC_AdminText* failed);

/* The configuration of this server as a document (the registry's names, enumerations by
 * keyword): LNTC_ADMIN_DOC_SHOW with the values the library fills and the status of the set-up,
 * LNTC_ADMIN_DOC_DUMP only what can be applied, LNTC_ADMIN_DOC_LIST one row per queue; JSON, or
 * YAML with LNTC_ADMIN_DOC_YAML. queue names one queue (SHOW and DUMP), NULL all.
 * LNTC_E_NO_QUEUE for a queue not configured, LNTC_ADMIN_E_FAILED with why. */
#define LNTC_ADMIN_DOC_SHOW 0u
#define LNTC_ADMIN_DOC_DUMP 1u
#define LNTC_ADMIN_DOC_LIST 2u
#define LNTC_ADMIN_DOC_YAML 0x100u
LNTC_API uint32_t LNTC_AdminDocument(uint32_t version, uint32_t form, const char* queue,
                                     LNTC_AdminText* out, LNTC_AdminText* why);

/* Makes the configuration what the document (YAML or JSON, in the dump's form) says of it:
 * parts and queues it leaves out stay, a queue given as null is deleted. The whole change is
 * held to the dialogs' rules and lands in one registry batch and one update of the shared
 * records, recorded in the history under source; or nothing changes. plan gets its lines, one
 * a line (empty: nothing to change). 0 when applied, planned or nothing to do;
 * LNTC_ADMIN_E_FAILED with why. */
#define LNTC_ADMIN_CHANGE_DRY_RUN 1u     /* plan only */
#define LNTC_ADMIN_CHANGE_PRUNE 2u       /* queues the document leaves out are deleted */
#define LNTC_ADMIN_CHANGE_NEW_QUEUES 4u  /* every queue named must be new */
#define LNTC_ADMIN_CHANGE_HELD_QUEUES 8u /* every queue named must be configured */
LNTC_API uint32_t LNTC_AdminChange(uint32_t version, const char* text, size_t size, uint32_t flags,
                                   const char* source, LNTC_AdminText* plan, LNTC_AdminText* why);

/* The history of committed changes as JSON: entry 0 the last 50, newest first (Number, Time,
 * User, Source, Changes), else that entry. LNTC_ADMIN_E_FAILED with why. */
LNTC_API uint32_t LNTC_AdminHistory(uint32_t version, uint32_t entry, LNTC_AdminText* out,
                                    LNTC_AdminText* why);
/* The configuration as it was after the entry's change, applied as LNTC_AdminChange does (with
 * LNTC_ADMIN_CHANGE_DRY_RUN, planned only), itself recorded. */
LNTC_API uint32_t LNTC_AdminRestore(uint32_t version, uint32_t entry, uint32_t flags,
                                    LNTC_AdminText* plan, LNTC_AdminText* why);

/* text written whole to the file at path (mode 0600 when new; a device or pipe directly), or
 * LNTC_ADMIN_E_FAILED with why. */
LNTC_API uint32_t LNTC_AdminWriteText(uint32_t version, const char* path, const char* text,
                                      size_t size, LNTC_AdminText* why);

/* text (one line) appended to the error log of the machine root the library runs on, as the
 * library logs its own errors. LNTC_E_NOT_LOADED when it does not run. */
LNTC_API uint32_t LNTC_AdminLogError(uint32_t version, const char* text);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* LNTC_ADMIN_H */

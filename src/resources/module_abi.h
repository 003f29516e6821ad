/* The interface of a localised resource module: a shared object in the library's folder that
 * exports one C function, LNTC_RESOURCE_ENTRY, returning its table. The library copies what it
 * needs when it loads the module, so the table only has to live until the call returns; plain
 * static data is the usual way.
 *
 * Control kinds are numbered as lntc::ControlKind and style bits are those of lntc::cs and
 * lntc::ds (resources/templates.h); texts are UTF-8. A module may leave out any string or
 * template: the built-in one is used then. */
#ifndef LNTC_RESOURCES_MODULE_ABI_H
#define LNTC_RESOURCES_MODULE_ABI_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define LNTC_RESOURCE_ABI_VERSION 1u
#define LNTC_RESOURCE_ENTRY "lntc_resources"

typedef struct LntcStringResource {
    uint32_t id;
    const char* text;
} LntcStringResource;

typedef struct LntcControlResource {
    uint16_t id;
    uint8_t kind;
    uint8_t reserved; /* 0 */
    int16_t x, y, cx, cy;
    uint32_t style;
    const char* caption; /* NULL for none */
} LntcControlResource;

typedef struct LntcDialogResource {
    uint16_t id;
    uint16_t fontPoints;
    int16_t cx, cy;
    uint32_t style;
    const char* title;    /* NULL for none */
    const char* fontName; /* NULL for the built-in template's font */
    uint32_t controlCount;
    const LntcControlResource* controls;
} LntcDialogResource;

typedef struct LntcResourceTable {
    uint32_t abiVersion; /* LNTC_RESOURCE_ABI_VERSION */
    uint32_t stringCount;
    const LntcStringResource* strings;
    uint32_t dialogCount;
    const LntcDialogResource* dialogs;
} LntcResourceTable;

typedef const LntcResourceTable* (*LntcResourcesFunction)(void);

#if defined(_WIN32)
#define LNTC_MODULE_EXPORT __declspec(dllexport)
#elif defined(__GNUC__)
#define LNTC_MODULE_EXPORT __attribute__((visibility("default")))
#else
#define LNTC_MODULE_EXPORT
#endif

#ifdef __cplusplus
}
#endif

#endif

// Reader of the large-document printer configuration file "ldpx.cfg": one model's section
// into the LDPX command record and the paper-size defaults around it.
#pragma once
#include "lntc/lntc.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace lntc {

struct Services;

inline constexpr const char* kLdpxFileName = "ldpx.cfg";
inline constexpr uint32_t kLdpxNoConfigDir = 0xCF070002;
inline constexpr uint32_t kLdpxFailed = 0xFFFFFFFF;
// Longest path to the file that the reader opens.
inline constexpr size_t kLdpxMaxPath = 83;
// Characters taken by one physical read; a longer line is read as several lines.
inline constexpr size_t kLdpxReadLimit = 79;

inline constexpr size_t kLdpxTableEntries = 40; // 39 rows and the closing entry
inline constexpr size_t kLdpxBestAvailEntries = 40;
inline constexpr uint16_t kLdpxTableEnd = 0xFFFF;
inline constexpr uint32_t kLdpxListEnd = 0xFFFFFFFF;

namespace dpi {
inline constexpr int16_t Dpi200 = 0x1, Dpi300 = 0x2, Dpi400 = 0x4;
} // namespace dpi

// Flag bits of the keys.
namespace ldpxkey {
inline constexpr uint32_t PsizeFixed = 0x0001, PsizeVar = 0x0002, Dpi = 0x0004, DpiFixed = 0x0008,
                          DpiVar200 = 0x0010, DpiVar400 = 0x0020, MaxCopy = 0x0040,
                          CopyFixed = 0x0080, CopyVar1 = 0x0100, MaxTrays = 0x0200,
                          QDDefault = 0x0400, PSDefault = 0x0800, BestAvail = 0x1000,
                          PlotModeOnly = 0x2000;
} // namespace ldpxkey

struct LdpxPaperEntry {
    uint16_t PaperSizeId; // kLdpxTableEnd closes the table
    char szCmd[8];
};

// The LDPX command record.
struct CmdInfo {
    struct {
        int16_t sDpi;
        char szFixedPart[16];
        char szVarPartFor200[8];
        char szVarPartFor400[8];
    } Dpi;
    struct {
        char szFixedPart[16];
        char szVarPart[8];
        LdpxPaperEntry PaperSizes[kLdpxTableEntries];
    } Psize;
    struct {
        int32_t nMaxCopy;
        char szFixedPart[16];
        char szVarPartFor1[8];
    } CopyCount;
};

// Everything the reader keeps. Starts empty with both lists closed; a read overwrites what
// its section holds and leaves the rest as it was.
struct LdpxConfig {
    LdpxConfig();
    CmdInfo cmd;
    int32_t max_trays = 0;
    int32_t plot_mode_only = 0;
    uint32_t QDDefaultPaperSize = 0;
    uint32_t PSDefaultPaperSize = 0;
    uint32_t BestAvailPaperSizes[kLdpxBestAvailEntries];
};

// Reads the section of a model from the file's text into config. 0 when the section was
// found and every key checked out, kLdpxFailed otherwise.
uint32_t ParseLdpxConfig(std::string_view fileText, std::string_view modelKey, LdpxConfig& config);

// Reads "<dir>\ldpx.cfg" into the library's record. kLdpxNoConfigDir for an empty dir
// (nothing is opened), kLdpxFailed when the file cannot be read or the section is missing or
// faulty, else 0.
uint32_t ReadLdpxCfgFile(const Services& svc, const char* configDir, const char* modelKey);

// What the reader kept (null before the first read): the paper-size ids of the table in file
// order; Executive and Executive_L are left out for ODR releases below 310. Result 0.
uint32_t GetLdpxPaperSizes(const LdpxConfig* config, uint16_t odrRelease, uint16_t& count,
                           uint16_t (&ids)[kLdpxTableEntries]);
// The best-available ids in order. Result 0.
uint32_t GetLdpxBAPaperSizes(const LdpxConfig* config, uint16_t& count,
                             uint32_t (&ids)[kLdpxBestAvailEntries]);
uint16_t GetLdpxQDDefaultPaperSize(const LdpxConfig* config);
uint16_t GetLdpxPSDefaultPaperSize(const LdpxConfig* config);

} // namespace lntc

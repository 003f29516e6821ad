// The ODR directory: what the RLK name service would answer, read from
// <machine root>/odr/directory.json, and the RLK function table that answers from it.
//
// File format (JSON, UTF-8). Unknown keys are ignored; the types of known keys are checked
// strictly and any violation makes the whole file malformed.
//
//   {
//     "default": "Alpha:Quendal",
//     "odrs": [
//       { "domain": "Alpha", "organization": "Quendal",
//         "answers": true, "address": "127.0.0.1",
//         "systemDefaults": { "release": "3.1.0", "charset": 2, "systemWord": 0,
//                             "foundCode": false },
//         "queues": [ { "name": "LASER_1", "printServer": "myhost" },
//                     { "name": "OTHER_SITE", "printServer": "elsewhere" } ] } ]
//   }
//
// Top level (an object):
//   default  string "domain:organization" (both parts non-empty) or null/absent. The
//            default ODR; when absent the first ODR of "odrs" is the default.
//   odrs     array of ODR objects, may be absent (no ODR at all).
// ODR object:
//   domain, organization  non-empty strings; required. Matched ignoring case; two ODRs
//            with the same pair are an error.
//   answers  boolean, default true. false makes the ODR silent (see below).
//   address  IPv4 dotted quad "a.b.c.d", or null/absent: where its RLK server listens.
//   systemDefaults  object or null/absent (then all zero, no release):
//     release     string "major[.minor[.patch]]" of decimal numbers, or null/absent;
//                 minor and patch 0 to 9, major * 100 + minor * 10 + patch below 65536.
//     charset     integer 0..65535, default 0.
//     systemWord  integer 0..4294967295, default 0.
//     foundCode   boolean, default false: true makes the system defaults query answer
//                 0x9C000019 (found attribute) instead of 0.
//   queues   array of queue objects, may be absent:
//     name         non-empty string; required; unique within the ODR ignoring case.
//     printServer  string (at most 255 characters) or null/absent.
//
// Reachability: a query without a server address reaches an ODR when "answers" is true;
// a query with a server address reaches it only when the address equals its "address",
// whether or not it answers. An ODR not reached answers 0x9C00001A (no answer). Names
// longer than the RLK name fields (19 characters for domain and organization, 39 for
// objects) are compared and reported cut to the field. Queue names and "qd_system" are
// matched ignoring case too.
//
// A missing file is an empty directory (links succeed, queries find nothing). A malformed
// or unreadable file makes the link fail with 0x9C000002 and logs one line to error.log
// naming the file and the offending key. The file is read again on every link.
#pragma once
#include "platform/machine_files.h"
#include "product/product.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace lntc {

struct OdrRelease {
    uint32_t major = 0;
    uint32_t minor = 0;
    uint32_t patch = 0;
};

struct OdrQueue {
    std::string name;
    std::optional<std::string> printServer;
};

struct Odr {
    std::string domain;
    std::string organization;
    bool answers = true;
    std::optional<std::array<uint8_t, 4>> address;
    std::optional<OdrRelease> release;
    uint16_t charset = 0;
    uint32_t systemWord = 0;
    bool foundCode = false;
    std::vector<OdrQueue> queues;
    // Position in queues by the name as the RLK compares it (cut to the field, lower case);
    // filled by the parser, so that a lookup costs the same however many queues there are.
    std::unordered_map<std::string, size_t> queueIndex;
};

struct OdrDirectory {
    // Empty when the file names no default.
    std::string defaultDomain;
    std::string defaultOrganization;
    std::vector<Odr> odrs;

    // Both compared ignoring case, cut to the RLK field length.
    const Odr* find(std::string_view organization, std::string_view domain) const;
};

// Parses the file's text; on failure returns false and a message naming the offending
// key ("odrs[0].queues[1].name: expected a non-empty string").
bool parseOdrDirectory(std::string_view text, OdrDirectory& out, std::string& error);

enum class OdrLoad { Loaded, Missing, Malformed };
// Where the file lies under the machine root.
inline constexpr const char* kOdrDirectoryFile = "odr/directory.json";
// Reads and parses the file. Missing yields an empty directory; Malformed also covers a
// file that exists but cannot be read.
OdrLoad loadOdrDirectory(const MachineFiles& files, OdrDirectory& out, std::string& error);

// The RLK table answers from a process-wide "current link": the table's entries take no
// context. Each link replaces the current directory (so a relink sees a changed file) and
// nests; the last unlink drops it. Entries called while nothing is linked answer
// kRlkNoLibrary.
namespace rlk {

// Only "RLK" at version 2 is available.
bool linkable(const char* name, uint32_t version);
// Installs the directory and this print server's name, counts the link, stores the table.
void link(std::shared_ptr<const OdrDirectory> directory, std::string printServerName,
          const RlkTable** table);
// Counts the link down and clears *table; a null or cleared table is ignored.
void unlink(const RlkTable** table);
int linkDepth();
// The table itself, for callers that need to compare against it.
const RlkTable& table();

} // namespace rlk

} // namespace lntc

// How a PostScript queue may reach its printer: the rules the connectivity dialogs hold a
// person to, shared with the check of a record that did not come through them.
#pragma once
#include "lntc/lntc.h"
#include "resources/value_range.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace lntc {

struct Services;

namespace connectivity {
inline constexpr uint32_t PrintManager = 0;
inline constexpr uint32_t TcpDirect = 1;
inline constexpr uint32_t OtherPort = 2;
} // namespace connectivity

namespace encoding {
inline constexpr uint32_t RawBinary = 0;
inline constexpr uint32_t AsciiHex = 1;
inline constexpr uint32_t Ascii85 = 2;
} // namespace encoding

inline constexpr ValueRange kSocketRange{1, 65535};
// An HP LaserJet listens on this socket only: its dialog offers no other.
inline constexpr uint32_t kLaserJetSocket = 9100;
// The longest port name of TCP Direct and of Other/Parallel.
inline constexpr int kPortNameMax = 40;

// Raw binary data does not go over a TCP Direct port.
constexpr bool EncodingAllowed(uint32_t connectivity, uint32_t dataEncode) {
    return !(connectivity == connectivity::TcpDirect && dataEncode == encoding::RawBinary);
}

// Always Print Duplex needs a printer that takes PostScript with duplex printing available.
bool DuplexAllowed(uint32_t classFlags, uint32_t duplexAvailable);

// Whether a TCP Direct port name was given at all (blanks and tabs are none).
bool PortNameGiven(std::string_view name);

// 0 when the spooler opens the printer of that name, 2 when it has none, else its error.
uint32_t OpenPrintManagerPrinter(const Services& svc, const std::string& name);

// Whether the machine has the TCP/IP service that TCP Direct needs; false when it cannot be
// asked (why is logged).
bool TcpIpPresent(const Services& svc);

// The connectivity of a PostScript queue as its dialogs hold it: empty when it keeps every
// rule, else the message of the first it breaks.
std::string CheckConnectivity(const Services& svc, const QueueRecord& q);

} // namespace lntc

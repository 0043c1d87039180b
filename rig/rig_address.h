#pragma once
// The radio as the operator names it for Hamlib: a running rigctld reached over the network, or
// a rig model on a device.

#include <optional>
#include <string>
#include <string_view>

namespace mosaic {

// Hamlib's rig model for a running rigctld reached over the network.
inline constexpr int kRigctldModel = 2;
inline constexpr char kRigctldDefaultHost[] = "localhost";
inline constexpr int kRigctldDefaultPort = 4532;

// A transceiver reached through Hamlib: its rig model, the device or "host:port" it is reached
// on, and the serial speed (0 leaves the rig model's own).
struct RigAddress {
  int model = 0;
  std::string pathname;
  int baudRate = 0;
  bool operator==(const RigAddress&) const = default;
};

// The rig for the typed text, taken exactly as typed (no trimming):
//   "rigctld" or "rigctld:HOST[:PORT]"    -> a running rigctld (localhost and 4532 when left out;
//                                            an IPv6 address goes in brackets: "[::1]:4532");
//   "hamlib:MODEL@DEVICE[,BAUD]"          -> that rig model on DEVICE, at BAUD if given.
// Anything else gives nothing.
std::optional<RigAddress> rigAddressForText(std::string_view text);

// "rigctld at HOST:PORT" or "rig model M on DEVICE", for messages.
std::string rigPlaceName(const RigAddress& address);

}  // namespace mosaic

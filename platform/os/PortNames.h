#pragma once
// Mapping of the library's port names ("Com1" ... "Com26") to device paths.
//
// A per-user folder holds links named com1 ... com26, each pointing at a device
// (a USB adapter, or the pseudo-terminal of the virtual scoreboard). The folder is
// $ORVANE_PORTS_DIR when set, else $XDG_CONFIG_HOME/orvane/ports, else
// ~/.config/orvane/ports. Without a link, ComN is the conventional /dev/ttyS<N-1>.
#include <string>

namespace os {

// The folder of port links (not created here).
std::string PortsDirectory();

// Where the link for port number n (1-26) lives; empty for other numbers.
std::string PortLinkPath(int number);

// Device path for a port name "ComN" (N = 1..26, case-insensitive "com"); empty
// when the name is not such a port ("N.C.", "", "Com27").
std::string DevicePathForPortName(const std::string& name);

}  // namespace os

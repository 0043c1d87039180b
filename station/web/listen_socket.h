#pragma once
// The web page's listening socket, made here so that a port in use or an address the machine
// does not have is reported with its reason before the server starts.

#include "station/host_port.h"

#include <string>

namespace mosaic::web {

// A TCP socket bound to `address` and listening; -1 with `error` set for the operator
// ("127.0.0.1 port 8080 is in use by another program") when it cannot be had.
int listenOn(const station::HostPort& address, std::string& error);

// The port a listening socket is bound to (the one the system chose for port 0).
int boundPort(int socket);

}  // namespace mosaic::web

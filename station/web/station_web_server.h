#pragma once
// The receiving station's web page: an HTTP server on a thread of its own that shows the newest
// aligned picture as it arrives, the station's tuning, clock, signal-to-noise ratio and lock,
// and the saved pictures, newest first, each opening full size with its details.
//
// How the station uses it:
//   StationWebServer web(picturesFolder);
//   std::string error;
//   if (!web.start(address, error)) { report `error`; exit with status 2; }
//   after each buffer:         web.publishStatus(status);
//   for each new aligned frame: web.publishPicture(image);
//   at the end:                 web.stop();  (the destructor stops it too)
// The publish calls never wait for the network or for a client: they copy a few fields under a
// lock that the server holds only while it copies them in turn. They may come before start().
//
// The page is read-only. It serves its own page, style and script, the live picture
// (/live.png), the status (/status.json), the gallery, and the PNG files directly in the
// pictures folder (/pictures/NAME.png, details at /view/NAME.png); no other file, no path
// out of the folder, no link followed. A busy or hostile client cannot stop reception, which
// never waits for the server, nor hold the page for long: see WebLimits.

#include "station/host_port.h"
#include "station/web/station_status.h"

#include <QImage>
#include <QString>

#include <memory>
#include <string>

namespace mosaic::web {

class StationSite;

struct WebLimits {
  unsigned connections = 64;            // open at once, from all clients
  unsigned connectionsPerAddress = 16;  // from one address, so that one host cannot take all
  unsigned idleSeconds = 15;            // a connection waiting this long for a request is closed
  unsigned requestSeconds = 30;  // to send a request and take its whole answer; a client that
                                 // trickles its request in or reads the answer slowly is cut off
  std::size_t requestBytes = 16384;  // room for a request's line and headers (URL: about half)
  int galleryPageSize = 48;          // pictures to a page of the gallery
};

class StationWebServer {
 public:
  explicit StationWebServer(const QString& picturesFolder, const WebLimits& limits = {});
  ~StationWebServer();
  StationWebServer(const StationWebServer&) = delete;
  StationWebServer& operator=(const StationWebServer&) = delete;

  // Listens on `address` and serves until stop(). False, with `error` saying why for the
  // operator (the port in use, an address the machine does not have), when it cannot.
  bool start(const station::HostPort& address, std::string& error);
  // Closes every connection and the port; publishing may go on.
  void stop();
  // The port listened on (the one the system chose when asked for port 0); 0 when stopped.
  int port() const { return port_; }

  // The newest aligned picture: the page shows it within half a second.
  void publishPicture(const QImage& picture);
  void publishStatus(const StationStatus& status);

 private:
  class Serving;

  WebLimits limits_;
  std::unique_ptr<StationSite> site_;
  std::unique_ptr<Serving> serving_;
  int port_ = 0;
};

}  // namespace mosaic::web

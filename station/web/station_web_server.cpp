#include "station/web/station_web_server.h"

#include "station/web/listen_socket.h"
#include "station/web/station_site.h"

#include <fcntl.h>
#include <microhttpd.h>
#include <poll.h>
#include <pthread.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstring>
#include <thread>
#include <unordered_map>

namespace mosaic::web {

namespace {

using Clock = std::chrono::steady_clock;

// Scripts and styles from the page itself only, no frames, no forms: escaped text that still
// got through could run nothing.
constexpr const char* kContentPolicy =
    "default-src 'none'; img-src 'self' data:; style-src 'self'; script-src 'self'; "
    "connect-src 'self'; base-uri 'none'; form-action 'none'; frame-ancestors 'none'";

// How often overdue requests are looked for when nothing else wakes the server.
constexpr int kDeadlineCheckMs = 250;

// Makes the coming close of a connection to a client that has been cut off an abort: what still
// waits in the socket's buffer is thrown away instead of trickling out to a slow reader for
// minutes after the server let the connection go.
void abortWhenClosed(int socket) {
  const linger abort{1, 0};
  ::setsockopt(socket, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
}

MHD_Result send(MHD_Connection* connection, WebReply reply) {
  MHD_Response* response = nullptr;
  if (reply.file >= 0) {
    const int file = reply.releaseFile();
    response = MHD_create_response_from_fd64(reply.fileSize, file);
    if (!response) ::close(file);
  } else {
    response = MHD_create_response_from_buffer(reply.body.size(), reply.body.data(),
                                               MHD_RESPMEM_MUST_COPY);
  }
  if (!response) return MHD_NO;
  MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, reply.contentType.c_str());
  MHD_add_response_header(response, MHD_HTTP_HEADER_CACHE_CONTROL,
                          reply.caching == WebReply::Caching::Static ? "max-age=600" : "no-store");
  MHD_add_response_header(response, "X-Content-Type-Options", "nosniff");
  MHD_add_response_header(response, "Referrer-Policy", "no-referrer");
  MHD_add_response_header(response, "Content-Security-Policy", kContentPolicy);
  if (reply.status == MHD_HTTP_METHOD_NOT_ALLOWED)
    MHD_add_response_header(response, MHD_HTTP_HEADER_ALLOW, "GET, HEAD");
  const MHD_Result queued =
      MHD_queue_response(connection, static_cast<unsigned>(reply.status), response);
  MHD_destroy_response(response);
  return queued;
}

}  // namespace

// The HTTP server's daemon and the thread that runs it. Everything here but construction,
// start() and destruction runs on that thread.
class StationWebServer::Serving {
 public:
  Serving(StationSite& site, const WebLimits& limits) : site_(site), limits_(limits) {}

  bool start(int listenSocket, std::string& error) {
    if (::pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) {
      error = std::string("The web page cannot start: ") + std::strerror(errno);
      ::close(listenSocket);
      return false;
    }
    daemon_ = MHD_start_daemon(MHD_USE_EPOLL, 0, nullptr, nullptr, &Serving::onRequest, this,  //
                               MHD_OPTION_LISTEN_SOCKET, listenSocket,                         //
                               MHD_OPTION_CONNECTION_LIMIT, limits_.connections,               //
                               MHD_OPTION_PER_IP_CONNECTION_LIMIT, limits_.connectionsPerAddress,
                               MHD_OPTION_CONNECTION_TIMEOUT, limits_.idleSeconds,          //
                               MHD_OPTION_CONNECTION_MEMORY_LIMIT, limits_.requestBytes,    //
                               MHD_OPTION_NOTIFY_CONNECTION, &Serving::onConnection, this,  //
                               MHD_OPTION_NOTIFY_COMPLETED, &Serving::onCompleted, this,    //
                               MHD_OPTION_SIGPIPE_HANDLED_BY_APP, 1,                        //
                               MHD_OPTION_END);
    if (!daemon_) {
      // The library may already have closed the socket it was given; it is left to it.
      error = "The web page cannot start: the HTTP server library refused its settings.";
      return false;
    }
    thread_ = std::thread([this] { serve(); });
    return true;
  }

  ~Serving() {
    if (thread_.joinable()) {
      stopping_ = true;
      const char wake = 1;
      [[maybe_unused]] const auto written = ::write(wake_[1], &wake, 1);
      thread_.join();
    }
    if (daemon_) MHD_stop_daemon(daemon_);
    for (const int fd : wake_)
      if (fd >= 0) ::close(fd);
  }

 private:
  struct Tracked {
    int socket = -1;
    Clock::time_point since;  // the connection opened or its last request was answered
    bool cutOff = false;
  };

  void serve() {
    // Writes to a client that has gone raise SIGPIPE; on this thread it is ignored, and the
    // library sees the failed write instead.
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
    const MHD_DaemonInfo* info = MHD_get_daemon_info(daemon_, MHD_DAEMON_INFO_EPOLL_FD);
    pollfd waits[2] = {{info->epoll_fd, POLLIN, 0}, {wake_[0], POLLIN, 0}};
    while (!stopping_) {
      MHD_UNSIGNED_LONG_LONG libraryMs = 0;
      int waitMs = kDeadlineCheckMs;
      if (MHD_get_timeout(daemon_, &libraryMs) == MHD_YES)
        waitMs = static_cast<int>(std::min<MHD_UNSIGNED_LONG_LONG>(libraryMs, waitMs));
      ::poll(waits, 2, waitMs);
      if (stopping_) break;
      MHD_run(daemon_);
      cutOffOverdue();
    }
  }

  // A connection whose request has taken longer than `requestSeconds` (a client sending it a
  // byte at a time, or reading the answer that slowly) is shut down; the library then sees
  // it closed and frees it.
  void cutOffOverdue() {
    const Clock::time_point now = Clock::now();
    const auto allowed = std::chrono::seconds(limits_.requestSeconds);
    for (auto& [connection, tracked] : connections_) {
      if (tracked.cutOff || now - tracked.since <= allowed) continue;
      abortWhenClosed(tracked.socket);
      ::shutdown(tracked.socket, SHUT_RDWR);
      tracked.cutOff = true;
    }
  }

  // Called once the request's headers are in, and again for its body, if any. A request to
  // change anything is refused at once (and its connection closed after the answer); a read is
  // answered on the second call, since the library closes a connection answered on the first.
  static MHD_Result onRequest(void* self, MHD_Connection* connection, const char* url,
                              const char* method, const char*, const char*, std::size_t*,
                              void** request) {
    auto& serving = *static_cast<Serving*>(self);
    if (std::strcmp(method, MHD_HTTP_METHOD_GET) != 0 &&
        std::strcmp(method, MHD_HTTP_METHOD_HEAD) != 0) {
      WebReply refusal;
      refusal.status = MHD_HTTP_METHOD_NOT_ALLOWED;
      refusal.body = "The station's page can only be read.";
      refusal.contentType = "text/plain; charset=utf-8";
      return send(connection, std::move(refusal));
    }
    if (*request == nullptr) {
      *request = &serving;
      return MHD_YES;
    }
    const char* page = MHD_lookup_connection_value(connection, MHD_GET_ARGUMENT_KIND, "page");
    return send(connection, serving.site_.reply(url, page ? page : ""));
  }

  static void onConnection(void* self, MHD_Connection* connection, void**,
                           MHD_ConnectionNotificationCode code) {
    auto& connections = static_cast<Serving*>(self)->connections_;
    if (code == MHD_CONNECTION_NOTIFY_CLOSED) {
      connections.erase(connection);
      return;
    }
    const MHD_ConnectionInfo* info =
        MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD);
    connections[connection] = {info ? info->connect_fd : -1, Clock::now(), false};
  }

  // A request that ended otherwise than answered (the idle time passed, the client failed)
  // aborts its connection.
  static void onCompleted(void* self, MHD_Connection* connection, void**,
                          MHD_RequestTerminationCode ending) {
    auto& connections = static_cast<Serving*>(self)->connections_;
    const auto found = connections.find(connection);
    if (found == connections.end()) return;
    found->second.since = Clock::now();
    if (ending != MHD_REQUEST_TERMINATED_COMPLETED_OK) abortWhenClosed(found->second.socket);
  }

  StationSite& site_;
  const WebLimits limits_;
  MHD_Daemon* daemon_ = nullptr;
  int wake_[2] = {-1, -1};
  std::atomic<bool> stopping_ = false;
  std::thread thread_;
  std::unordered_map<MHD_Connection*, Tracked> connections_;
};

StationWebServer::StationWebServer(const QString& picturesFolder, const WebLimits& limits)
    : limits_(limits),
      site_(std::make_unique<StationSite>(picturesFolder, limits.galleryPageSize)) {}

StationWebServer::~StationWebServer() { stop(); }

bool StationWebServer::start(const station::HostPort& address, std::string& error) {
  stop();
  if (MHD_is_feature_supported(MHD_FEATURE_EPOLL) != MHD_YES) {
    error = "The web page cannot start: the HTTP server library was built without epoll.";
    return false;
  }
  const int socket = listenOn(address, error);
  if (socket < 0) return false;
  const int port = boundPort(socket);
  auto serving = std::make_unique<Serving>(*site_, limits_);
  if (!serving->start(socket, error)) return false;
  serving_ = std::move(serving);
  port_ = port;
  return true;
}

void StationWebServer::stop() {
  serving_.reset();
  port_ = 0;
}

void StationWebServer::publishPicture(const QImage& picture) { site_->publishPicture(picture); }

void StationWebServer::publishStatus(const StationStatus& status) { site_->publishStatus(status); }

}  // namespace mosaic::web

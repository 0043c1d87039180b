#pragma once
// One answer of the web page, before it is handed to the HTTP server.

#include <unistd.h>

#include <cstdint>
#include <string>
#include <utility>

namespace mosaic::web {

struct WebReply {
  enum class Caching {
    None,    // changes at any time: the live picture, the status, pages listing pictures
    Static,  // the page's own style and script, and saved pictures, which are never rewritten
  };

  int status = 200;
  std::string contentType = "text/html; charset=utf-8";
  Caching caching = Caching::None;
  std::string body;  // sent when `file` is -1
  int file = -1;     // an open file to send instead, owned by the reply
  std::uint64_t fileSize = 0;

  WebReply() = default;
  WebReply(WebReply&& other) noexcept { *this = std::move(other); }
  WebReply& operator=(WebReply&& other) noexcept {
    if (this != &other) {
      closeFile();
      status = other.status;
      contentType = std::move(other.contentType);
      caching = other.caching;
      body = std::move(other.body);
      file = std::exchange(other.file, -1);
      fileSize = other.fileSize;
    }
    return *this;
  }
  WebReply(const WebReply&) = delete;
  WebReply& operator=(const WebReply&) = delete;
  ~WebReply() { closeFile(); }

  // Hands the file over to whoever sends it.
  int releaseFile() { return std::exchange(file, -1); }

 private:
  void closeFile() {
    if (file >= 0) ::close(file);
    file = -1;
  }
};

}  // namespace mosaic::web

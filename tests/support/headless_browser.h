#pragma once
// Debian's chromium, headless, driven over its DevTools protocol on a pipe (no port opened):
// the page loads and runs its scripts as in a user's browser, the test evaluates expressions in
// it and takes screenshots.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace mosaic::test {

class HeadlessBrowser {
 public:
  // The browser's path, or empty when it is not installed.
  static QString executable() { return QStandardPaths::findExecutable(QStringLiteral("chromium")); }

  // Starts the browser with a fresh profile and opens `url` in a tab of `width` x `height`.
  bool open(const std::string& url, int width = 1100, int height = 1150) {
    int toBrowser[2], fromBrowser[2];
    if (::pipe2(toBrowser, O_CLOEXEC) != 0 || ::pipe2(fromBrowser, O_CLOEXEC) != 0) return false;
    const std::string profile = "--user-data-dir=" + profile_.path().toStdString();
    const std::string size =
        "--window-size=" + std::to_string(width) + "," + std::to_string(height);
    const std::string path = executable().toStdString();
    std::vector<std::string> args = {path,
                                     "--headless",
                                     "--no-sandbox",
                                     "--disable-gpu",
                                     "--disable-quic",
                                     "--no-first-run",
                                     "--disable-background-networking",
                                     "--disable-component-update",
                                     "--disable-sync",
                                     "--remote-debugging-pipe",
                                     profile,
                                     size,
                                     "about:blank"};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, toBrowser[0], 3);
    posix_spawn_file_actions_adddup2(&actions, fromBrowser[1], 4);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const bool spawned =
        posix_spawn(&pid_, path.c_str(), &actions, nullptr, argv.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    ::close(toBrowser[0]);
    ::close(fromBrowser[1]);
    commands_ = toBrowser[1];
    answers_ = fromBrowser[0];
    if (!spawned) return false;
    const auto target = call("Target.createTarget", {{"url", QString::fromStdString(url)}});
    if (!target) return false;
    const auto session =
        call("Target.attachToTarget", {{"targetId", (*target)["targetId"]}, {"flatten", true}});
    if (!session) return false;
    session_ = (*session)["sessionId"].toString();
    return true;
  }

  ~HeadlessBrowser() {
    if (pid_ > 0) {
      session_.clear();  // a command to the browser itself, not to the tab
      call("Browser.close", {}, 5000);
      for (int i = 0; i < 100 && ::waitpid(pid_, nullptr, WNOHANG) == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
      if (::kill(pid_, SIGKILL) == 0) ::waitpid(pid_, nullptr, 0);
    }
    if (commands_ >= 0) ::close(commands_);
    if (answers_ >= 0) ::close(answers_);
  }

  // The value of a JavaScript expression in the page (promises awaited).
  std::optional<QJsonValue> evaluate(const QString& expression) {
    const auto result =
        call("Runtime.evaluate",
             {{"expression", expression}, {"returnByValue", true}, {"awaitPromise", true}});
    if (!result || result->contains("exceptionDetails")) return std::nullopt;
    return (*result)["result"].toObject()["value"];
  }

  // Waits until `condition` is true in the page.
  bool waitFor(const QString& condition, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
      const auto value = evaluate(condition);
      if (value && value->toBool()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  }

  // The tab as a PNG.
  QByteArray screenshot() {
    const auto shot = call("Page.captureScreenshot", {{"format", "png"}});
    return shot ? QByteArray::fromBase64((*shot)["data"].toString().toLatin1()) : QByteArray();
  }

 private:
  // Sends a command and waits for its result, skipping the events between.
  std::optional<QJsonObject> call(const char* method, const QJsonObject& params,
                                  int timeoutMs = 30000) {
    QJsonObject message{{"id", ++lastId_}, {"method", method}, {"params", params}};
    if (!session_.isEmpty()) message["sessionId"] = session_;
    QByteArray bytes = QJsonDocument(message).toJson(QJsonDocument::Compact);
    bytes.append('\0');
    if (::write(commands_, bytes.constData(), bytes.size()) != bytes.size()) return std::nullopt;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (true) {
      for (qsizetype end; (end = received_.indexOf('\0')) >= 0;) {
        const QJsonObject answer = QJsonDocument::fromJson(received_.left(end)).object();
        received_.remove(0, end + 1);
        if (answer["id"].toInt() == lastId_) {
          if (answer.contains("error")) return std::nullopt;
          return answer["result"].toObject();
        }
      }
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      pollfd p{answers_, POLLIN, 0};
      if (left.count() <= 0 || ::poll(&p, 1, int(left.count())) <= 0) return std::nullopt;
      char chunk[65536];
      const ssize_t n = ::read(answers_, chunk, sizeof chunk);
      if (n <= 0) return std::nullopt;
      received_.append(chunk, n);
    }
  }

  QTemporaryDir profile_;
  pid_t pid_ = -1;
  int commands_ = -1;
  int answers_ = -1;
  int lastId_ = 0;
  QString session_;
  QByteArray received_;
};

}  // namespace mosaic::test

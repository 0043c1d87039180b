// `mosaic monitor` as a program on a machine without a display: a still picture sent over UDP on
// the loopback (in datagrams of any length, some out of order) is on disk within 20 frames, a pause
// in the stream and SIGTERM save what it holds, a sender at another rate is not taken for a signal,
// a recording gets the radio's dial from a real rigctld (and goes on without one), and wrong
// options end it with status 2.

#include "tests/station/station_signals.h"
#include "tests/support/loopback_address.h"
#include "tests/support/rigctld_daemon.h"
#include "tests/tools/tool_runner.h"

#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImageReader>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace mosaic {
namespace {

using std::chrono::milliseconds;

// The environment of a service on a machine without a display: no display, no platform named.
QProcessEnvironment headless() {
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
    environment.remove(QString::fromLatin1(name));
  return environment;
}

std::vector<QJsonObject> logEvents(const QByteArray& text) {
  std::vector<QJsonObject> events;
  for (const QByteArray& line : text.split('\n')) {
    if (line.isEmpty()) continue;
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(line, &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << line.toStdString();
    events.push_back(document.object());
  }
  return events;
}

QStringList eventNames(const std::vector<QJsonObject>& events) {
  QStringList names;
  for (const auto& e : events) names << e[QStringLiteral("event")].toString();
  return names;
}

// A UDP port on the loopback that nothing uses now.
int freeUdpPort() {
  const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  sockaddr_in address = test::loopback(0);
  socklen_t length = sizeof address;
  ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  ::close(fd);
  return ntohs(address.sin_port);
}

// Sends 16-bit little-endian samples as an SDR program would, in datagrams of every length, some
// odd, some empty, one huge, and now and then two out of order, `speed` times faster than real
// time at `rateHz`.
class UdpSender {
 public:
  explicit UdpSender(int port)
      : fd_(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0)), to_(test::loopback(port)) {}
  ~UdpSender() { ::close(fd_); }

  void send(const std::vector<float>& samples, int rateHz, double speed) {
    std::vector<std::uint8_t> bytes;
    for (float s : samples) {
      const auto v = static_cast<std::uint16_t>(roundToSample(s));
      bytes.push_back(static_cast<std::uint8_t>(v & 0xFF));
      bytes.push_back(static_cast<std::uint8_t>(v >> 8));
    }
    struct Datagram {
      std::size_t at, size;
    };
    std::vector<Datagram> datagrams;
    QRandomGenerator random(11);
    for (std::size_t at = 0; at < bytes.size();) {
      const std::size_t n = datagrams.size();
      std::size_t size = n % 97 == 0 ? 0 : n == 500 ? 60000 : random.bounded(1, 1400);
      size = std::min(size, bytes.size() - at);
      datagrams.push_back({at, size});
      // The last byte of an odd datagram is left out by the receiver: the next one has it again.
      at += size - size % 2;
    }
    for (std::size_t n = 0; n + 1 < datagrams.size(); n += 53)
      std::swap(datagrams[n], datagrams[n + 1]);
    const auto start = std::chrono::steady_clock::now();
    for (const Datagram& d : datagrams) {
      ::sendto(fd_, bytes.data() + d.at, d.size, 0, reinterpret_cast<const sockaddr*>(&to_),
               sizeof to_);
      std::this_thread::sleep_until(
          start + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                      std::chrono::duration<double>(d.at / 2.0 / rateHz / speed)));
    }
  }

 private:
  int fd_;
  sockaddr_in to_;
};

class MonitorRun {
 public:
  explicit MonitorRun(const QStringList& args) {
    process.setProcessEnvironment(headless());
    process.start(QStringLiteral(MOSAIC_TOOL_PATH), QStringList{QStringLiteral("monitor")} + args);
    EXPECT_TRUE(process.waitForStarted());
  }
  ~MonitorRun() {
    if (process.state() != QProcess::NotRunning) {
      process.kill();
      process.waitForFinished();
    }
  }
  // Sends `signal` and waits for the end; the exit status, -1 for a crash or a time-out.
  int stop(int signal) {
    ::kill(static_cast<pid_t>(process.processId()), signal);
    return finish();
  }
  int finish(int timeoutMs = 30000) {
    if (!process.waitForFinished(timeoutMs)) return -1;
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  }

  QProcess process;
};

// Waits up to `seconds` for the log file to hold the event `name`; the events so far.
std::vector<QJsonObject> waitForEvent(const QString& logPath, const char* name, double seconds) {
  QElapsedTimer timer;
  timer.start();
  std::vector<QJsonObject> events;
  do {
    QFile file(logPath);
    if (file.open(QIODevice::ReadOnly)) events = logEvents(file.readAll());
    if (eventNames(events).contains(QLatin1String(name))) break;
    std::this_thread::sleep_for(milliseconds(50));
  } while (timer.elapsed() < seconds * 1000);
  return events;
}

TEST(Monitor, AStillPictureOverUdpIsOnDiskWithinTwentyFramesAndSigtermSavesWhatItHolds) {
  QTemporaryDir dir;
  const QString pictures = dir.filePath(QStringLiteral("pictures"));
  const QString logPath = dir.filePath(QStringLiteral("log.jsonl"));
  const QString hooked = dir.filePath(QStringLiteral("hooked"));
  QFile hook(dir.filePath(QStringLiteral("hook")));
  ASSERT_TRUE(hook.open(QIODevice::WriteOnly));
  hook.write(QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$1\" >> '%1'\n").arg(hooked).toUtf8());
  hook.close();
  hook.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

  // The test card for 20 frames at 15 dB, and after a pause the ramps for 8 at 20 dB.
  const auto sent = test::sentCardThenRamps(28, 20);
  const auto split = sent.begin() + 20 * kFrameSamples;
  const auto card = test::throughNoise(std::vector<float>(sent.begin(), split), 15.0);
  const auto ramps = test::throughNoise(std::vector<float>(split, sent.end()), 20.0);

  const int port = freeUdpPort();
  MonitorRun monitor({"--udp", QStringLiteral("127.0.0.1:%1").arg(port), "--pictures", pictures,
                      "--log", logPath, "--on-picture", hook.fileName()});
  ASSERT_TRUE(eventNames(waitForEvent(logPath, "started", 10)).contains(QStringLiteral("started")));
  UdpSender sender(port);
  sender.send(card, kTxSampleRateHz, 4.0);
  // Saved by the 16-frame rule, not because the stream stopped (after 2 s without a datagram).
  auto events = waitForEvent(logPath, "picture_saved", 1.5);
  QStringList names = eventNames(events);
  ASSERT_TRUE(names.contains(QStringLiteral("picture_saved"))) << names.join(' ').toStdString();
  EXPECT_FALSE(names.contains(QStringLiteral("stream_stopped")));
  EXPECT_EQ(names.mid(0, 2), (QStringList{"started", "locked"}));

  events = waitForEvent(logPath, "stream_stopped", 5);
  sender.send(ramps, kTxSampleRateHz, 4.0);
  EXPECT_EQ(monitor.stop(SIGTERM), 0) << monitor.process.readAllStandardError().toStdString();

  events = waitForEvent(logPath, "stopped", 1);
  names = eventNames(events);
  EXPECT_EQ(names.count(QStringLiteral("picture_saved")), 2) << names.join(' ').toStdString();
  EXPECT_TRUE(names.contains(QStringLiteral("stream_resumed")));
  EXPECT_EQ(names.count(QStringLiteral("locked")), 2) << "and again after the pause";
  ASSERT_EQ(names.back(), QStringLiteral("stopped"));
  EXPECT_EQ(events.back()[QStringLiteral("reason")].toString(), QStringLiteral("SIGTERM"));
  EXPECT_EQ(events.back()[QStringLiteral("pictures_saved")].toInt(), 2);
  QStringList saved;
  for (const auto& e : events)
    if (e[QStringLiteral("event")] == QStringLiteral("picture_saved"))
      saved << e[QStringLiteral("path")].toString();
  EXPECT_EQ(QDir(pictures).entryList(QDir::Files).size(), 2);
  for (const QString& path : saved)
    EXPECT_FALSE(QImageReader(path).read().isNull()) << path.toStdString();
  QFile ran(hooked);
  ASSERT_TRUE(ran.open(QIODevice::ReadOnly));
  EXPECT_EQ(QString::fromUtf8(ran.readAll()), saved.join('\n') + '\n')
      << "the command ran for each";
}

TEST(Monitor, ASenderAtAnotherRateIsNotTakenForASignal) {
  QTemporaryDir dir;
  const QString logPath = dir.filePath(QStringLiteral("log.jsonl"));
  const int port = freeUdpPort();
  MonitorRun monitor({"--udp", QString::number(port), "--pictures",
                      dir.filePath(QStringLiteral("pictures")), "--log", logPath});
  ASSERT_TRUE(eventNames(waitForEvent(logPath, "started", 10)).contains(QStringLiteral("started")));
  // A sender set to 9600 Hz while the monitor expects 48000 Hz: every tone five times too high.
  const auto heard = test::at9600(test::throughNoise(test::sentCardThenRamps(6, 6), 30.0));
  std::vector<float> sound;
  while (sound.size() < 34u * kTxSampleRateHz)
    sound.insert(sound.end(), heard.begin(), heard.end());
  UdpSender(port).send(sound, kTxSampleRateHz, 8.0);
  waitForEvent(logPath, "no_signal", 5);
  EXPECT_EQ(monitor.stop(SIGINT), 0);
  const auto events = waitForEvent(logPath, "stopped", 1);
  const QStringList names = eventNames(events);
  EXPECT_TRUE(names.contains(QStringLiteral("no_signal"))) << names.join(' ').toStdString();
  EXPECT_FALSE(names.contains(QStringLiteral("locked")));
  EXPECT_EQ(events.back()[QStringLiteral("reason")].toString(), QStringLiteral("SIGINT"));
  EXPECT_EQ(events.back()[QStringLiteral("pictures_saved")].toInt(), 0);
}

TEST(Monitor, ARecordingGetsTheRadiosDialAndARadioThatIsNotThereStopsNothing) {
  QTemporaryDir dir;
  const QString recording = dir.filePath(QStringLiteral("card.wav"));
  test::writeSentWav(recording, test::throughNoise(test::sentCardThenRamps(8, 8), 25.0));
  test::RigctldDaemon daemon;
  ASSERT_TRUE(daemon.start()) << "rigctld (libhamlib-utils) did not start";
  ASSERT_EQ(daemon.tell("F 14230000"), "RPRT 0");
  ASSERT_EQ(daemon.tell("M USB 2400"), "RPRT 0");
  test::RigctldDaemon nobody;  // a free port with nothing behind it

  for (const bool reachable : {true, false}) {
    const QString pictures =
        dir.filePath(reachable ? QStringLiteral("with") : QStringLiteral("without"));
    QProcess process;
    process.setProcessEnvironment(headless());
    process.start(QStringLiteral(MOSAIC_TOOL_PATH),
                  {"monitor", "--input", recording, "--pictures", pictures, "--log", "-", "--rig",
                   QString::fromStdString(reachable ? daemon.portText() : nobody.portText())});
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    const auto events = logEvents(process.readAllStandardOutput());
    const QStringList names = eventNames(events);
    EXPECT_EQ(names.contains(QStringLiteral("rig_unreachable")), !reachable)
        << names.join(' ').toStdString();
    ASSERT_EQ(names.count(QStringLiteral("picture_saved")), 1) << names.join(' ').toStdString();
    const QJsonObject saved = events[std::size_t(names.indexOf(QStringLiteral("picture_saved")))];
    const QImage picture = QImageReader(saved[QStringLiteral("path")].toString()).read();
    if (reachable) {
      EXPECT_EQ(saved[QStringLiteral("dial_hz")].toDouble(), 14230000.0);
      EXPECT_EQ(saved[QStringLiteral("mode")].toString(), QStringLiteral("USB"));
      EXPECT_EQ(picture.text(QStringLiteral("Dial frequency")), QStringLiteral("14.230000 MHz"));
      EXPECT_EQ(picture.text(QStringLiteral("Mode")), QStringLiteral("USB"));
    } else {
      EXPECT_FALSE(saved.contains(QStringLiteral("dial_hz")));
      EXPECT_TRUE(picture.text(QStringLiteral("Dial frequency")).isEmpty());
    }
    EXPECT_EQ(events.back()[QStringLiteral("reason")].toString(), QStringLiteral("end of input"));
  }
}

TEST(Monitor, WrongOptionsAndATakenPortEndItWithStatusTwo) {
  const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  sockaddr_in address = test::loopback(0);
  socklen_t length = sizeof address;
  ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  const QString taken = QStringLiteral("127.0.0.1:%1").arg(ntohs(address.sin_port));
  const std::pair<QStringList, const char*> cases[] = {
      {{}, "no source"},
      {{"--udp", taken}, "another program receives on that port"},
      {{"--udp", "7355", "--input", "x.wav"}, "two sources"},
      {{"--udp", "70000"}, "--udp wants"},
      {{"--udp", "7355", "--rate", "100"}, "--rate wants"},
      {{"--input", "x.wav", "--rate", "8000"}, "--rate is the rate of --udp"},
      {{"--udp", "7355", "--realtime"}, "--realtime is for --input"},
      {{"--udp", "7355", "--rig", "rigctld:"}, "--rig wants"},
      {{"--udp", "7355", "--threshold", "50"}, "--threshold wants"},
      {{"--udp", "7355", "--every", "0"}, "--every wants"},
      {{"--udp", "7355", "--fine", "0.01"}, "--fine wants"},
      {{"--udp", "7355", "--log"}, "--log needs a value"},
      {{"--udp", "7355", "--frames", "3"}, "unknown option --frames"},
  };
  for (const auto& [args, message] : cases) {
    const auto run = test::runProgram(QStringLiteral(MOSAIC_TOOL_PATH),
                                      QStringList{"monitor"} + args, headless(), 20000);
    EXPECT_EQ(run.exitCode, 2) << message;
    EXPECT_TRUE(run.standardError.contains(QLatin1String(message)))
        << run.standardError.toStdString();
    EXPECT_TRUE(run.standardError.contains(QStringLiteral("usage: mosaic monitor")));
  }
  ::close(fd);
  const auto missing =
      test::runProgram(QStringLiteral(MOSAIC_TOOL_PATH),
                       {"monitor", "--input", "/no/such/recording.wav"}, headless());
  EXPECT_EQ(missing.exitCode, 1) << "an input that cannot be read";
}

}  // namespace
}  // namespace mosaic

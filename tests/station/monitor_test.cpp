// `mosaic monitor` as a program on a machine without a display: a still picture sent over UDP on
// the loopback (in datagrams of any length, some out of order) is on disk within 20 frames, a
// pause in the stream and SIGTERM save what it holds, a sender at another rate is not taken for
// a signal, a recording gets the radio's dial from a real rigctld (and goes on without one), and
// wrong options end it with status 2.

#include "tests/station/station_signals.h"
#include "tests/support/monitor_run.h"
#include "tests/support/rigctld_daemon.h"
#include "tests/support/udp_sender.h"
#include "tests/tools/tool_runner.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace mosaic {
namespace {

const QString kTool = QStringLiteral(MOSAIC_TOOL_PATH);
using test::headless;
using test::MonitorLog;
using test::MonitorRun;

// Sends samples at `rateHz` as an SDR program would, `speed` times faster than real time, in
// datagrams of every length, some odd (the receiver leaves out the last byte: the next datagram
// has it again), some empty, one huge, and now and then two out of order.
void sendLikeAnSdr(int port, const std::vector<float>& samples, int rateHz, double speed) {
  std::vector<std::int16_t> rounded(samples.size());
  for (std::size_t i = 0; i < samples.size(); ++i) rounded[i] = roundToSample(samples[i]);
  const std::vector<std::uint8_t> bytes = test::littleEndian(rounded);
  std::vector<std::pair<std::size_t, std::size_t>> datagrams;  // where, how long
  QRandomGenerator random(11);
  for (std::size_t at = 0; at < bytes.size(); at += datagrams.back().second / 2 * 2) {
    const std::size_t n = datagrams.size();
    const std::size_t size = n % 97 == 0 ? 0 : n == 500 ? 60000 : random.bounded(1, 1400);
    datagrams.emplace_back(at, std::min(size, bytes.size() - at));
  }
  for (std::size_t n = 0; n + 1 < datagrams.size(); n += 53)
    std::swap(datagrams[n], datagrams[n + 1]);
  const test::UdpSender sender(port);
  const auto start = std::chrono::steady_clock::now();
  for (const auto& [at, size] : datagrams) {
    sender.send(bytes.data() + at, size);
    std::this_thread::sleep_until(
        start + std::chrono::microseconds(static_cast<long long>(at / 2.0 / rateHz / speed * 1e6)));
  }
}

TEST(Monitor, AStillPictureOverUdpIsOnDiskWithinTwentyFramesAndSigtermSavesWhatItHolds) {
  QTemporaryDir dir;
  const QString pictures = dir.filePath(QStringLiteral("pictures"));
  const QString logPath = dir.filePath(QStringLiteral("log.jsonl"));
  QFile hook(dir.filePath(QStringLiteral("hook")));
  ASSERT_TRUE(hook.open(QIODevice::WriteOnly));
  hook.write(
      QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$1\" >> '%1/hooked'\n").arg(dir.path()).toUtf8());
  hook.close();
  hook.setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
  // The test card for 20 frames at 15 dB, and after a pause the ramps for 8 at 20 dB.
  const auto sent = test::sentCardThenRamps(28, 20);
  const auto split = sent.begin() + 20 * kFrameSamples;

  const int port = test::freeUdpPort();
  MonitorRun monitor(kTool, {"--udp", QStringLiteral("127.0.0.1:%1").arg(port), "--pictures",
                             pictures, "--log", logPath, "--on-picture", hook.fileName()});
  ASSERT_TRUE(
      MonitorLog::waitFor(logPath, "started", 10).names.contains(QStringLiteral("started")));
  sendLikeAnSdr(port, test::throughNoise({sent.begin(), split}, 15.0), kTxSampleRateHz, 4.0);
  // Saved by the 16-frame rule, not because the stream stopped (2 s after the last datagram).
  MonitorLog log = MonitorLog::waitFor(logPath, "picture_saved", 1.5);
  EXPECT_EQ(log.names, (QStringList{"started", "locked", "picture_saved"}));

  MonitorLog::waitFor(logPath, "stream_stopped", 5);
  sendLikeAnSdr(port, test::throughNoise({split, sent.end()}, 20.0), kTxSampleRateHz, 4.0);
  EXPECT_EQ(monitor.stop(SIGTERM), 0) << monitor.process.readAllStandardError().toStdString();

  log = MonitorLog::waitFor(logPath, "stopped", 1);
  EXPECT_EQ(log.names,
            (QStringList{"started", "locked", "picture_saved", "stream_stopped", "signal_lost",
                         "stream_resumed", "locked", "picture_saved", "stopped"}));
  EXPECT_EQ(log.all("stopped", "reason"), QStringList("SIGTERM"));
  const QStringList saved = log.all("picture_saved", "path");
  EXPECT_EQ(QDir(pictures).entryList(QDir::Files).size(), 2);
  for (const QString& path : saved)
    EXPECT_FALSE(QImageReader(path).read().isNull()) << path.toStdString();
  QFile ran(dir.filePath(QStringLiteral("hooked")));
  ASSERT_TRUE(ran.open(QIODevice::ReadOnly));
  EXPECT_EQ(QString::fromUtf8(ran.readAll()), saved.join('\n') + '\n')
      << "the command ran for each";
}

TEST(Monitor, ASenderAtAnotherRateIsNotTakenForASignal) {
  QTemporaryDir dir;
  const QString logPath = dir.filePath(QStringLiteral("log.jsonl"));
  const int port = test::freeUdpPort();
  MonitorRun monitor(kTool, {"--udp", QString::number(port), "--pictures", dir.filePath("pictures"),
                             "--log", logPath});
  ASSERT_TRUE(
      MonitorLog::waitFor(logPath, "started", 10).names.contains(QStringLiteral("started")));
  // A sender set to 9600 Hz while the monitor expects 48000 Hz: every tone five times too high.
  const auto heard = test::at9600(test::throughNoise(test::sentCardThenRamps(6, 6), 30.0));
  std::vector<float> sound;
  while (sound.size() < 34u * kTxSampleRateHz)
    sound.insert(sound.end(), heard.begin(), heard.end());
  sendLikeAnSdr(port, sound, kTxSampleRateHz, 8.0);
  MonitorLog::waitFor(logPath, "no_signal", 5);
  EXPECT_EQ(monitor.stop(SIGINT), 0);
  const MonitorLog log = MonitorLog::waitFor(logPath, "stopped", 1);
  EXPECT_TRUE(log.names.contains(QStringLiteral("no_signal"))) << log.text();
  EXPECT_FALSE(log.names.contains(QStringLiteral("locked"))) << log.text();
  EXPECT_EQ(log.all("stopped", "reason"), QStringList("SIGINT"));
  EXPECT_EQ(log.all("stopped", "pictures_saved"), QStringList("0"));
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
    const auto run =
        test::runProgram(kTool,
                         {"monitor", "--input", recording, "--pictures",
                          dir.filePath(reachable ? "with" : "without"), "--log", "-", "--rig",
                          QString::fromStdString((reachable ? daemon : nobody).portText())},
                         headless(), 60000);
    EXPECT_EQ(run.exitCode, 0) << run.standardError.toStdString();
    const MonitorLog log(run.standardOutput.toUtf8());
    EXPECT_EQ(log.names.contains(QStringLiteral("rig_unreachable")), !reachable) << log.text();
    ASSERT_EQ(log.all("picture_saved", "path").size(), 1) << log.text();
    EXPECT_EQ(log.all("picture_saved", "dial_hz"), QStringList(reachable ? "14230000" : ""));
    EXPECT_EQ(log.all("picture_saved", "mode"), QStringList(reachable ? "USB" : ""));
    const QImage picture = QImageReader(log.all("picture_saved", "path")[0]).read();
    EXPECT_EQ(picture.size(), QSize(kAlignedColumns * 3, kAlignedRows * 3));
    EXPECT_EQ(picture.text(QStringLiteral("Dial frequency")), reachable ? "14.230000 MHz" : "");
    EXPECT_EQ(picture.text(QStringLiteral("Mode")), reachable ? "USB" : "");
    EXPECT_GT(picture.text(QStringLiteral("Frames combined")).toInt(), 1) << "combined by default";
    const double snr = picture.text(QStringLiteral("SNR")).section(' ', 0, 0).toDouble();
    EXPECT_NEAR(snr, 25.0, 1.5);
    EXPECT_NEAR(snr, log.all("picture_saved", "snr_db")[0].toDouble(), 0.051) << "as logged";
    EXPECT_NEAR(picture.text(QStringLiteral("Tuning")).section(' ', 0, 0).toDouble(), 0.0, 0.1);
    EXPECT_EQ(log.all("stopped", "reason"), QStringList("end of input"));
  }
}

TEST(Monitor, AWeakStillPictureIsKeptOnlyWhenItsFramesAreCombined) {
  QTemporaryDir dir;
  const QString recording = dir.filePath(QStringLiteral("weak.wav"));
  test::writeSentWav(recording, test::throughNoise(test::sentCardThenRamps(12, 4), 9.0));
  for (const char* integrate : {"0", "8"}) {
    const auto run = test::runProgram(kTool,
                                      {"monitor", "--input", recording, "--integrate", integrate,
                                       "--pictures", dir.filePath(integrate), "--log", "-"},
                                      headless(), 60000);
    EXPECT_EQ(run.exitCode, 0) << run.standardError.toStdString();
    const MonitorLog log(run.standardOutput.toUtf8());
    EXPECT_EQ(log.all("started", "integrate"), QStringList(integrate));
    const QStringList saved = log.all("picture_saved", "path");
    if (QString(integrate) == "0") {
      EXPECT_TRUE(saved.isEmpty()) << "9 dB is below the threshold for one frame\n" << log.text();
      continue;
    }
    ASSERT_FALSE(saved.isEmpty()) << log.text();
    const int frames = log.all("picture_saved", "frames_combined")[0].toInt();
    EXPECT_GE(frames, 4) << log.text();
    EXPECT_EQ(QImageReader(saved[0]).read().text(QStringLiteral("Frames combined")),
              QString::number(frames));
  }
}

TEST(Monitor, WithRealtimeARecordingPlaysAtItsOwnSpeed) {
  QTemporaryDir dir;
  const QString recording = dir.filePath(QStringLiteral("three.wav"));
  test::writeSentWav(recording, test::throughNoise(test::sentCardThenRamps(3, 3), 25.0));
  QElapsedTimer timer;
  timer.start();
  const auto run = test::runProgram(kTool,
                                    {"monitor", "--input", recording, "--realtime", "--pictures",
                                     dir.filePath("p"), "--log", "-"},
                                    headless());
  EXPECT_EQ(run.exitCode, 0) << run.standardError.toStdString();
  // Three frames less the third of one that the recording starts into: 3.4 s, the last piece
  // read 0.34 s before its end.
  EXPECT_GE(timer.elapsed(), 3000);
  EXPECT_EQ(MonitorLog(run.standardOutput.toUtf8()).all("stopped", "received_s"),
            QStringList("2.56"))
      << "two whole buffers";
}

TEST(Monitor, WrongOptionsAndATakenPortEndItWithStatusTwo) {
  int port = 0, webPort = 0;
  const int holder = test::boundUdpSocket(port);
  const int webHolder = test::listeningOnLoopback(webPort);
  const QString taken = QStringLiteral("127.0.0.1:%1").arg(port);
  const std::pair<QStringList, const char*> cases[] = {
      {{"--udp", taken}, "another program receives on that port"},
      {{"--web", QString::number(webPort)}, "the port is in use by another program"},
      {{"--udp", "7355", "--input", "x.wav"}, "sources of their own"},
      {{"--device", "radio", "--udp", "7355"}, "sources of their own"},
      {{"--web", "localhost:"}, "--web wants"},
      {{"--udp", "70000"}, "--udp wants"},
      {{"--udp", "7355", "--rate", "100"}, "--rate wants"},
      {{"--input", "x.wav", "--rate", "8000"}, "--rate is the rate of --udp"},
      {{"--udp", "7355", "--realtime"}, "--realtime is for --input"},
      {{"--udp", "7355", "--rig", "rigctld:"}, "--rig wants"},
      {{"--udp", "7355", "--threshold", "50"}, "--threshold wants"},
      {{"--udp", "7355", "--integrate", "17"}, "--integrate wants"},
      {{"--udp", "7355", "--every", "0"}, "--every wants"},
      {{"--udp", "7355", "--fine", "0.01"}, "--fine wants"},
      {{"--udp", "7355", "--log"}, "--log needs a value"},
      {{"--udp", "7355", "--frames", "3"}, "unknown option --frames"},
  };
  for (const auto& [args, message] : cases) {
    const auto run = test::runProgram(kTool, QStringList{"monitor"} + args, headless(), 20000);
    EXPECT_EQ(run.exitCode, 2) << message;
    EXPECT_TRUE(run.standardError.contains(QLatin1String(message)))
        << run.standardError.toStdString();
    EXPECT_TRUE(run.standardError.contains(QStringLiteral("usage: mosaic monitor")));
  }
  ::close(holder);
  ::close(webHolder);
  EXPECT_EQ(test::runProgram(kTool, {"monitor", "--input", "/no/such.wav"}, headless()).exitCode, 1)
      << "an input that cannot be read";
}

}  // namespace
}  // namespace mosaic

// CPU of the station's web page while clients poll it as the page's script does (the status
// every 400 ms, the live picture whenever it changes), with a new picture and status published
// every frame (1.28 s). The clients run in a child process, so the figure is the server's and the
// publisher's alone: "cpu_percent" is the share of one core over the run.
// MOSAIC_WEB_BENCH_SECONDS sets the length of each run (default 20).

#include "station/web/station_web_server.h"
#include "tests/support/http_client.h"

#include <benchmark/benchmark.h>

#include <QImage>
#include <QTemporaryDir>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

using namespace mosaic;
using Clock = std::chrono::steady_clock;

constexpr auto kFrame = std::chrono::milliseconds(1280);
constexpr auto kPoll = std::chrono::milliseconds(400);

double runSeconds() {
  const char* text = std::getenv("MOSAIC_WEB_BENCH_SECONDS");
  return text ? std::max(1.0, std::atof(text)) : 20.0;
}

double cpuSeconds() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         1e-6 * static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec);
}

// A received picture's size (47 x 36 at scale 4) with a block that moves from frame to frame;
// each one published is encoded afresh.
QImage framePicture(int frame) {
  QImage picture(188, 144, QImage::Format_RGB888);
  for (int y = 0; y < picture.height(); ++y)
    for (int x = 0; x < picture.width(); ++x) picture.setPixel(x, y, qRgb(x, y, (x * y) & 255));
  const int left = (frame * 9) % 160, top = (frame * 5) % 120;
  for (int y = top; y < top + 20; ++y)
    for (int x = left; x < left + 24; ++x) picture.setPixel(x, y, qRgb(250, 40, 40));
  return picture;
}

// One browser's page: the status on a kept-open connection, the live picture when it changed.
// Counts the answers it had.
void pollLikeThePage(int port, double seconds, std::atomic<long>& answers) {
  test::HttpConnection connection(port);
  std::string shown;
  const auto end = Clock::now() + std::chrono::duration<double>(seconds);
  while (Clock::now() < end) {
    const auto status = connection.get("/status.json");
    if (!status) return;
    ++answers;
    const auto at = status->body.find("\"picture\":");
    const std::string number = status->body.substr(at + 10, status->body.find(',', at) - at - 10);
    if (number != shown && number != "0" && connection.get("/live.png?n=" + number)) {
      shown = number;
      ++answers;
    }
    std::this_thread::sleep_for(kPoll);
  }
}

// Forks the clients before the server's thread exists; returns the child's pid. The port
// reaches the child through `pipes[0]`, the count of answers comes back through `pipes[1]`.
pid_t startClients(int clients, double seconds, int pipes[2][2]) {
  const pid_t child = ::fork();
  if (child != 0) return child;
  int port = 0;
  if (::read(pipes[0][0], &port, sizeof port) != sizeof port) ::_exit(1);
  std::atomic<long> answers = 0;
  std::vector<std::thread> pages;
  for (int i = 0; i < clients; ++i)
    pages.emplace_back(pollLikeThePage, port, seconds, std::ref(answers));
  for (auto& page : pages) page.join();
  const long total = answers;
  [[maybe_unused]] const auto sent = ::write(pipes[1][1], &total, sizeof total);
  ::_exit(0);
}

void BM_ServerWithPollingClients(benchmark::State& state) {
  const int clients = static_cast<int>(state.range(0));
  const double seconds = runSeconds();
  for (auto _ : state) {
    int pipes[2][2];
    if (::pipe(pipes[0]) != 0 || ::pipe(pipes[1]) != 0) return state.SkipWithError("no pipe");
    const pid_t child = clients > 0 ? startClients(clients, seconds, pipes) : -1;
    QTemporaryDir pictures;
    web::StationWebServer server(pictures.path());
    std::string error;
    if (!server.start({"127.0.0.1", 0}, error)) return state.SkipWithError(error.c_str());
    std::vector<QImage> frames;
    for (int frame = 0; frame < 16; ++frame) frames.push_back(framePicture(frame));
    const int port = server.port();
    [[maybe_unused]] const auto sent = ::write(pipes[0][1], &port, sizeof port);
    const double cpuBefore = cpuSeconds();
    const auto start = Clock::now();
    web::StationStatus status;
    status.lock = web::LockState::Locked;
    for (int frame = 0; Clock::now() - start < std::chrono::duration<double>(seconds); ++frame) {
      status.snrDb = 15.0 + frame % 5;
      server.publishStatus(status);
      server.publishPicture(frames[frame % frames.size()]);
      std::this_thread::sleep_until(start + (frame + 1) * kFrame);
    }
    const double wall = std::chrono::duration<double>(Clock::now() - start).count();
    state.counters["cpu_percent"] = 100.0 * (cpuSeconds() - cpuBefore) / wall;
    long answers = 0;
    if (child > 0 && ::read(pipes[1][0], &answers, sizeof answers) == sizeof answers)
      ::waitpid(child, nullptr, 0);
    state.counters["answers_per_second"] = static_cast<double>(answers) / wall;
    for (auto& pipe : pipes) ::close(pipe[0]), ::close(pipe[1]);
  }
}
BENCHMARK(BM_ServerWithPollingClients)
    ->Arg(0)
    ->Arg(1)
    ->Arg(10)
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

}  // namespace

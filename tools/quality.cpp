// mosaic quality: how the picture survives a radio channel, measured through the real chain
// (transmit chain, channel, receiver) over a sweep of channels and signal-to-noise ratios, and
// published as a page with tables, plots and received pictures.

#include "tools/arguments.h"
#include "tools/command.h"
#include "tools/quality/quality_report.h"
#include "tools/quality/sweep_runner.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace mosaic::tool {

namespace {

const char* const kDetails =
    "  -o DIR    where the page (quality.md), its plots and picture strips go\n"
    "  --quick   a small subset (three channels, four SNRs, few seeds): under a minute\n"
    "The full sweep takes a few minutes on two cores.\n";

// Two threads: the sweep shares the machine with whatever else runs.
constexpr int kMaxThreads = 2;

}  // namespace

int runQuality(const std::vector<std::string>& argv) {
  const Command& cmd = commandNamed("quality");
  if (helpRequested(argv)) return showHelp(cmd, kDetails);
  Arguments args(argv);
  std::string dir;
  bool quick = false;
  while (args.more()) {
    bool missing = false;
    if (auto v = args.option("-o", missing)) {
      dir = *v;
    } else if (missing) {
      return usageError(cmd, "-o needs a folder");
    } else if (args.flag("--quick")) {
      quick = true;
    } else {
      return usageError(cmd, "unexpected argument " + args.peek());
    }
  }
  if (dir.empty()) return usageError(cmd, "no output folder (-o DIR)");
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (ec) return failure("cannot create " + dir + ": " + ec.message());

  const SweepPlan plan = quick ? quickPlan() : fullPlan();
  const SweepResult result = runSweep(plan, sweepThreads(kMaxThreads), [](const std::string& line) {
    std::fprintf(stderr, "mosaic: %s\n", line.c_str());
  });
  std::string error;
  if (!writeQualityReport(result, dir, error)) return failure(error);
  std::printf("%s", headlineText(result).c_str());
  std::printf("%lld trials in %.1f s; page: %s\n", result.trials, result.seconds,
              (std::filesystem::path(dir) / "quality.md").string().c_str());
  return kExitOk;
}

}  // namespace mosaic::tool

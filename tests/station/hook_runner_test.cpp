// The operator's command for each picture, run as a real process: directly, with the path as its
// one argument, one at a time; failures of every kind reported, never in the way of the next run.

#include "station/hook_runner.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace mosaic::station {
namespace {

using std::chrono::milliseconds;
namespace fs = std::filesystem;

class HookRunnerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "mosaic-hooks-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir = pattern;
  }
  void TearDown() override { fs::remove_all(dir); }

  // A shell script in the test's folder; executable unless told otherwise.
  std::string script(const std::string& name, const std::string& body, bool executable = true) {
    const fs::path path = dir / name;
    std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
    fs::permissions(
        path, executable ? fs::perms::owner_all : fs::perms::owner_read | fs::perms::owner_write);
    return path.string();
  }
  std::string read(const std::string& name) const {
    std::stringstream text;
    text << std::ifstream(dir / name).rdbuf();
    return text.str();
  }
  HookRunner::Report collect() {
    return [this](const std::string& path, const std::string& reason) {
      std::lock_guard<std::mutex> hold(lock);
      failures.push_back(path + ": " + reason);
    };
  }
  // Waits up to 10 s for `done` runs to end one way or the other.
  void waitFor(const HookRunner& runner, int done) const {
    for (int i = 0; i < 500 && runner.succeeded() + runner.failed() < done; ++i)
      std::this_thread::sleep_for(milliseconds(20));
  }

  fs::path dir;
  std::mutex lock;
  std::vector<std::string> failures;
};

TEST_F(HookRunnerTest, RunsTheProgramItselfWithThePathAsItsOneArgumentOneAtATime) {
  const std::string out = (dir / "out").string();
  const std::string lockDir = (dir / "running").string();
  HookRunner runner(script("hook", "mkdir '" + lockDir + "' || echo overlap >> '" + out +
                                       "'\nsleep 0.2\nprintf '%s|%s\\n' \"$#\" \"$1\" >> '" + out +
                                       "'\nrmdir '" + lockDir + "'"),
                    milliseconds(5000), collect());
  // No word of a path becomes a command: there is no shell to read it.
  const std::vector<std::string> paths = {
      (dir / "mosaic-2026-01-01-000000Z.png").string(),
      (dir / "a picture; touch pwned $(touch pwned2) `touch pwned3`.png").string(),
      (dir / "third'\"\n.png").string()};
  for (const auto& path : paths) runner.submit(path);
  waitFor(runner, 3);
  EXPECT_EQ(runner.succeeded(), 3);
  EXPECT_TRUE(failures.empty()) << failures.front();
  std::string expected;
  for (const auto& path : paths) expected += "1|" + path + "\n";
  EXPECT_EQ(read("out"), expected) << "in order, none overlapping";
  for (const char* name : {"pwned", "pwned2", "pwned3"}) EXPECT_FALSE(fs::exists(name));
}

TEST_F(HookRunnerTest, EachKindOfFailureIsReportedAndTheNextRunStillHappens) {
  const std::string pidFile = (dir / "child").string();
  struct Case {
    std::string program;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {script("fails", "exit 3"), "ended with status 3"},
      {script("not-executable", "exit 0", false), "cannot run"},
      {(dir / "missing").string(), "No such file"},
      {script("killed", "kill -KILL $$"), "SIGKILL"},
      // It hangs, and what it started with it.
      {script("hangs", "sleep 30 &\necho $! > '" + pidFile + "'\nwait"),
       "did not finish within 300 ms"},
  };
  for (const Case& c : cases) {
    failures.clear();
    HookRunner runner(c.program, milliseconds(300), collect());
    runner.submit("/pictures/x.png");
    waitFor(runner, 1);
    ASSERT_EQ(runner.failed(), 1) << c.program;
    EXPECT_NE(failures.at(0).find(c.expected), std::string::npos) << failures.at(0);
    EXPECT_EQ(failures.at(0).rfind("/pictures/x.png: ", 0), 0u);
  }
  const pid_t child = std::atoi(read("child").c_str());
  ASSERT_GT(child, 0);
  bool gone = false;
  for (int i = 0; i < 100 && !gone; ++i) {
    gone = ::kill(child, 0) != 0;
    std::this_thread::sleep_for(milliseconds(20));
  }
  EXPECT_TRUE(gone) << "the hung command's own child was ended too";

  HookRunner after(script("fine", "exit 0"), milliseconds(300), collect());
  after.submit("/pictures/y.png");
  waitFor(after, 1);
  EXPECT_EQ(after.succeeded(), 1);
}

TEST_F(HookRunnerTest, StoppingGivesTheCommandsTheirGraceThenEndsAndSkipsTheRest) {
  HookRunner runner(script("slow", "sleep 0.4"), milliseconds(5000), collect());
  for (int i = 0; i < 4; ++i) runner.submit("/pictures/" + std::to_string(i) + ".png");
  const auto start = std::chrono::steady_clock::now();
  runner.stop(milliseconds(600));
  EXPECT_LT(std::chrono::steady_clock::now() - start, milliseconds(3500));
  EXPECT_EQ(runner.succeeded(), 1) << "the first finishes within the grace";
  EXPECT_EQ(runner.failed(), 3);
  ASSERT_EQ(failures.size(), 3u);
  EXPECT_NE(failures[0].find("ended because the station was stopping"), std::string::npos)
      << failures[0];
  EXPECT_NE(failures[2].find("skipped"), std::string::npos) << failures[2];
  runner.submit("/pictures/late.png");
  EXPECT_EQ(runner.failed(), 4) << "nothing is taken after the end";
}

}  // namespace
}  // namespace mosaic::station

// The progress lines: what they say, how often they are drawn on a clock of the test's own,
// and that nothing is drawn off a terminal or with --quiet.
#include <gtest/gtest.h>

#include <sstream>

#include "lab/progress_bar.h"
#include "lab/run_progress.h"
#include "lab/sweep_progress.h"
#include "lab_test_support.h"

namespace lab {
namespace {

using namespace std::chrono_literals;
using lab_testing::runLab;
using lab_testing::ScratchDirectory;

// A clock that moves only when the test says.
struct FakeClock {
  std::chrono::steady_clock::time_point now{};
  ProgressClock clock() {
    return [this] { return now; };
  }
};

TEST(ProgressLine, SaysDoneOfPlannedTheTimeTakenAndLeft) {
  EXPECT_EQ(progressLine(0, 567'762, "pairs routed", "", 0.0),
            "[..............................] 0/567,762 pairs routed  0 s");
  // A quarter done in 30 s: 90 s to go at that pace.
  EXPECT_EQ(
      progressLine(25, 100, "runs", "1/4 points", 30.0),
      "[#######.......................] 25/100 runs, 1/4 points  30 s, about 1 min 30 s left");
  EXPECT_EQ(progressLine(100, 100, "runs", "", 7'384.0),
            "[##############################] 100/100 runs  2 h 03 min");
  // An ended line says no time left, and a count past its plan fills the bar only.
  EXPECT_EQ(progressLine(3, 4, "calls started", "", 1.0, true),
            "[######################........] 3/4 calls started  1 s");
  EXPECT_EQ(progressLine(5, 4, "calls", "", 0.4),
            "[##############################] 5/4 calls  0 s");
  EXPECT_EQ(durationText(59.6), "1 min 00 s");
  EXPECT_EQ(durationText(-3.0), "0 s");
}

TEST(ProgressBar, RedrawsAFewTimesASecondAndEndsItsLine) {
  FakeClock time;
  std::ostringstream out;
  {
    ProgressBar bar(out, true, 10, "runs", time.clock());
    EXPECT_EQ(out.str(), "\r[..............................] 0/10 runs  0 s");
    out.str("");
    time.now += 100ms;
    bar.set(4);
    EXPECT_EQ(out.str(), "");
    time.now += 200ms;
    bar.set(5);
    EXPECT_EQ(out.str(), "\r[###############...............] 5/10 runs  0 s, about 0 s left");
    out.str("");
    // The last item is drawn at once, with the note, and over the longer line before.
    bar.setNote("2/2 points");
    time.now += 10ms;
    for (int i = 0; i < 5; ++i) bar.advance();
    EXPECT_EQ(out.str(), "\r[##############################] 10/10 runs, 2/2 points  0 s   ");
    out.str("");
  }
  EXPECT_EQ(out.str(), "\r[##############################] 10/10 runs, 2/2 points  0 s\n");
  std::ostringstream off;
  ProgressBar quiet(off, false, 3, "runs", time.clock());
  quiet.advance();
  quiet.finish();
  EXPECT_EQ(off.str(), "");
}

TEST(ProgressBar, SweepCountsPointsWhoseRunsAreAllDone) {
  FakeClock time;
  std::ostringstream out;
  const experiment::PointKey low(0.1, 2, 0), high(0.2, 2, 0);
  SweepProgress progress(out, true, {{low, 1}, {low, 2}, {high, 1}}, time.clock());
  EXPECT_NE(out.str().find("0/3 runs, 0/2 points"), std::string::npos);
  progress.runDone({high, 1});
  time.now += 1s;
  progress.runDone({low, 2});
  EXPECT_NE(out.str().find("2/3 runs, 1/2 points  1 s, about 1 s left"), std::string::npos)
      << out.str();
  progress.runDone({low, 1});
  progress.finish();
  EXPECT_NE(out.str().find("3/3 runs, 2/2 points  1 s\n"), std::string::npos);
}

TEST(ProgressBar, ARunShowsItsRoutingThenItsCallsOnlyOnATerminalWithoutQuiet) {
  FakeClock time;
  std::ostringstream out;
  RunProgressLine run(out, true, 10'000, time.clock());
  run.pairsRouted(1, 2);
  time.now += 1s;
  run.pairsRouted(2, 2);
  run.runStarts();
  run.callsStarted(8192);
  run.finish();
  EXPECT_NE(out.str().find("2/2 pairs routed  1 s\n"), std::string::npos) << out.str();
  EXPECT_NE(out.str().find("8,192/10,000 calls started  0 s\n"), std::string::npos);

  ScratchDirectory dir("progress-cli");
  const std::string ring = dir.write("ring.con", lab_testing::kRing);
  const std::vector<std::string> command = {"run",    "--topology", ring,      "--all-pairs",
                                            "--load", "0.5",        "--calls", "3000"};
  const auto shown = runLab(command, true);
  ASSERT_EQ(shown.status, 0) << shown.err;
  EXPECT_NE(shown.err.find("20/20 pairs routed"), std::string::npos) << shown.err;
  EXPECT_NE(shown.err.find("calls started"), std::string::npos);
  EXPECT_EQ(shown.out.find('\r'), std::string::npos);
  std::vector<std::string> quiet = command;
  quiet.push_back("--quiet");
  EXPECT_EQ(runLab(quiet, true).err, "");
  EXPECT_EQ(runLab(command, false).err, "");
  const std::vector<std::string> sweep = {
      "sweep",   "--topology", ring,    "--loads",         "0.2,0.4", "--seeds",        "2",
      "--calls", "100",        "--csv", dir.file("s.csv"), "--svg",   dir.file("s.svg")};
  const auto swept = runLab(sweep, true);
  ASSERT_EQ(swept.status, 0) << swept.err;
  EXPECT_NE(swept.err.find("4/4 runs, 2/2 points"), std::string::npos) << swept.err;
  std::vector<std::string> quietSweep = sweep;
  quietSweep.push_back("--quiet");
  EXPECT_EQ(runLab(quietSweep, true).err.find('\r'), std::string::npos);
  const auto paths = runLab({"paths", "--topology", ring, "--quiet"}, true);
  EXPECT_EQ(paths.err.find('\r'), std::string::npos);
}

}  // namespace
}  // namespace lab

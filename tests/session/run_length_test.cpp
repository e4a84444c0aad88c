// A run's work follows its events, not its ticks: sources that share a pair, with views
// refreshed every few ticks, cross an empty stretch in a bounded number of steps.
#include <gtest/gtest.h>

#include <string>

#include "base/error_reporter.h"
#include "base/input_file.h"
#include "session/session.h"
#include "support/test_console.h"

namespace session {
namespace {

using testing_support::TestConsole;

run::RunSummary runTwoSourcesOnOnePair(std::int64_t gap, std::int32_t interval) {
  TestConsole console(std::string(16, '\n'));
  base::ErrorReporter reporter(console);
  base::MemoryFileSystem files;
  files.add("par.con", "par\n*tabla: ;\n*- 0;\n*0 -;\n");
  files.add("llamadas.txt", std::to_string(gap) + "\t5\n1\t3\n7\t1\n");
  Session session({console, &console, reporter, files});
  base::Config config;
  config.updateInterval = interval;
  EXPECT_TRUE(session.openNetwork(config));
  EXPECT_EQ(session.loadNetwork("par"), 2);
  EXPECT_NE(session.addSource(0, 1, "llamadas.txt"), nullptr);
  EXPECT_NE(session.addSource(0, 1, "llamadas.txt"), nullptr);
  return session.run();
}

TEST(RunLength, StepsAcrossAnEmptyStretchDoNotGrowWithItsLength) {
  for (std::int32_t interval : {1, 2, 6, 10}) {
    const run::RunSummary shortRun = runTwoSourcesOnOnePair(20'000, interval);
    const run::RunSummary longRun = runTwoSourcesOnOnePair(2'000'000'000, interval);
    EXPECT_EQ(longRun.callsStarted, 6) << interval;
    EXPECT_GT(longRun.ticks, 2'000'000'000) << interval;
    EXPECT_EQ(longRun.sourceSteps, shortRun.sourceSteps) << interval;
    EXPECT_LT(longRun.sourceSteps, 60) << interval;
  }
}

}  // namespace
}  // namespace session

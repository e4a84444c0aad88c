// The session both front ends drive: its checks, its failures and what carries on between
// the networks it opens.
#include "session/session.h"

#include <gtest/gtest.h>

#include <string>

#include "base/error_reporter.h"
#include "base/input_file.h"
#include "support/test_console.h"

namespace session {
namespace {

using testing_support::TestConsole;

// A line of three nodes, links both ways.
const std::string kLine =
    "linea\n"
    "*tabla: ;\n"
    "*- 0 -;\n"
    "*0 - 0;\n"
    "*- 0 -;\n";

// A session on a scripted console, answering every key with Enter.
struct Fixture {
  explicit Fixture(std::string keys = std::string(64, '\n'))
      : console(std::move(keys)), reporter(console), session({console, &console, reporter, files}) {
    files.add("linea.con", kLine);
    files.add("llamadas.txt", "0\t5\n1\t3\n");
  }
  TestConsole console;
  base::ErrorReporter reporter;
  base::MemoryFileSystem files;
  Session session;
};

TEST(Session, RefusesMoreWavelengthsThanItsLimitAsAFailedAllocation) {
  Fixture f;
  base::Config config;
  config.lambdaCount = kMaxWavelengths + 1;
  EXPECT_FALSE(f.session.openNetwork(config));
  EXPECT_EQ(f.console.takeOutput(), "\n***ERROR***\nerr:1650 pulsar tecla");
  // Nothing stays open: the limit itself is accepted next.
  config.lambdaCount = kMaxWavelengths;
  EXPECT_TRUE(f.session.openNetwork(config));
  EXPECT_EQ(f.console.takeOutput(), "");
}

TEST(Session, AFailedLoadLeavesTheNetworkEmptyForAnotherAttempt) {
  Fixture f;
  ASSERT_TRUE(f.session.openNetwork(base::Config{}));
  EXPECT_EQ(f.session.loadNetwork("ninguna"), -1);
  EXPECT_EQ(f.session.nodeCount(), 0);
  EXPECT_FALSE(f.session.pairInRange(0, 0));
  EXPECT_EQ(f.session.loadNetwork("linea"), 3);
  EXPECT_TRUE(f.session.pairInRange(0, 2));
  EXPECT_TRUE(f.session.pairInRange(2, 0));
  EXPECT_FALSE(f.session.pairInRange(0, 3));
  EXPECT_FALSE(f.session.pairInRange(-1, 1));
}

TEST(Session, AMissingCallFileIsReportedAndAddsNothing) {
  Fixture f;
  ASSERT_TRUE(f.session.openNetwork(base::Config{}));
  ASSERT_EQ(f.session.loadNetwork("linea"), 3);
  f.console.takeOutput();
  EXPECT_EQ(f.session.addSource(0, 2, "no_existe.txt"), nullptr);
  EXPECT_EQ(f.console.takeOutput(),
            "Dato introducido erroneo. File error.\n***ERROR***\nerr:301 pulsar tecla");
  EXPECT_EQ(f.session.sourceCount(), 0u);
}

TEST(Session, ASourcePrintsItsPathsAndARunConsumesIt) {
  Fixture f;
  ASSERT_TRUE(f.session.openNetwork(base::Config{}));
  ASSERT_EQ(f.session.loadNetwork("linea"), 3);
  f.console.takeOutput();
  const calls::CallSource* source = f.session.addSource(0, 2, "llamadas.txt");
  ASSERT_NE(source, nullptr);
  // The search accepts the only path again in the pass after its own.
  EXPECT_EQ(f.console.takeOutput(), "\nCreando SPF...\n\t0  1  2  \n\t0  1  2  \n\t");
  EXPECT_EQ(f.session.sourceCount(), 1u);

  const run::RunSummary summary = f.session.run();
  EXPECT_EQ(summary.callsRead, 2);
  EXPECT_EQ(summary.callsStarted, 2);
  EXPECT_EQ(summary.callsBlocked, 0);
  EXPECT_EQ(f.session.sourceCount(), 0u);
  EXPECT_NE(f.console.takeOutput().find("Pulse tecla para continuar..."), std::string::npos);
}

TEST(Session, WithoutKeysNobodyIsAskedAndTheTraceIsTheSame) {
  // The console's run, answered by Enter keys, against a run with nobody to ask.
  Fixture asked;
  TestConsole silent;
  base::ErrorReporter reporter(silent, nullptr);
  base::MemoryFileSystem files;
  files.add("linea.con", kLine);
  files.add("llamadas.txt", "0\t5\n1\t3\n");
  Session alone({silent, nullptr, reporter, files});
  for (Session* s : {&asked.session, &alone}) {
    ASSERT_TRUE(s->openNetwork(base::Config{}));
    ASSERT_EQ(s->loadNetwork("linea"), 3);
    ASSERT_NE(s->addSource(0, 2, "llamadas.txt"), nullptr);
    s->run();
  }
  EXPECT_EQ(silent.output(), asked.console.output());
  // The console read one key, after the report; the silent run read none.
  EXPECT_EQ(silent.polls(), 0);
}

TEST(Session, ClosingANetworkDropsItsUnrunSourcesAndAnotherMayBeOpened) {
  Fixture f;
  for (int visit = 0; visit < 2; ++visit) {
    ASSERT_TRUE(f.session.openNetwork(base::Config{}));
    ASSERT_EQ(f.session.loadNetwork("linea"), 3);
    ASSERT_NE(f.session.addSource(0, 2, "llamadas.txt"), nullptr);
    f.session.closeNetwork();
    EXPECT_EQ(f.session.sourceCount(), 0u);
  }
  EXPECT_TRUE(f.session.openNetwork(base::Config{}));
}

// A ring of six nodes, links both ways.
const std::string kRing =
    "anillo\n"
    "*tabla: ;\n"
    "*- 0 - - - 0;\n"
    "*0 - 0 - - -;\n"
    "*- 0 - 0 - -;\n"
    "*- - 0 - 0 -;\n"
    "*- - - 0 - 0;\n"
    "*0 - - - 0 -;\n";

struct RingFixture {
  explicit RingFixture(const routing::SearchLimits& limits = {})
      : reporter(console, nullptr), session({console, nullptr, reporter, files}, limits) {
    files.add("anillo.con", kRing);
    files.add("llamadas.txt", "0\t5\n1\t3\n0\t4\n");
    config.pathCount = 4;
    config.maxCoincidences = 0;
  }
  TestConsole console;
  base::ErrorReporter reporter;
  base::MemoryFileSystem files;
  Session session;
  base::Config config;
};

std::vector<routing::Path> pathsOf(const calls::CallSource& source) {
  std::vector<routing::Path> paths;
  for (const routing::PathSetItem& item : source.paths) paths.push_back(item.path);
  return paths;
}

TEST(Session, KShortestRoutingFillsTheSourceAndRunsAsTheConsolesDoes) {
  RingFixture f;
  f.session.setRouting(Routing::kKShortest);
  ASSERT_TRUE(f.session.openNetwork(f.config));
  ASSERT_EQ(f.session.loadNetwork("anillo"), 6);
  const calls::CallSource* source = f.session.addSource(0, 3, "llamadas.txt");
  ASSERT_NE(source, nullptr);
  EXPECT_EQ(pathsOf(*source), (std::vector<routing::Path>{{0, 1, 2, 3}, {0, 5, 4, 3}}));
  EXPECT_FALSE(source->searchLimited);
  EXPECT_EQ(f.console.takeOutput(), "\nCreando SPF...\n\t0  1  2  3  \n\t0  5  4  3  \n\t");
  const run::RunSummary summary = f.session.run();
  EXPECT_EQ(summary.callsStarted, 3);
  EXPECT_EQ(summary.callsWithoutPath, 0);
}

TEST(Session, TheSourceTellsWhetherItsSearchEndedAtItsLimit) {
  // No two ring paths but the two ways round share no link, so the console's search never
  // reaches four paths and runs until its limit.
  RingFixture console(routing::SearchLimits{50, 4'000'000, 200'000, 50'000'000});
  ASSERT_TRUE(console.session.openNetwork(console.config));
  ASSERT_EQ(console.session.loadNetwork("anillo"), 6);
  const calls::CallSource* limited = console.session.addSource(0, 3, "llamadas.txt");
  ASSERT_NE(limited, nullptr);
  EXPECT_TRUE(limited->searchLimited);
  EXPECT_EQ(limited->paths.size(), 2U);

  RingFixture kShortest;
  kShortest.session.setRouting(Routing::kKShortest);
  ASSERT_TRUE(kShortest.session.openNetwork(kShortest.config));
  ASSERT_EQ(kShortest.session.loadNetwork("anillo"), 6);
  const calls::CallSource* exhausted = kShortest.session.addSource(0, 3, "llamadas.txt");
  ASSERT_NE(exhausted, nullptr);
  EXPECT_FALSE(exhausted->searchLimited);
}

}  // namespace
}  // namespace session

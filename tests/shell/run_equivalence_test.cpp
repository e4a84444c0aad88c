// The event-driven run (sources stepped only when they have something to do, views copied
// lazily, the clock jumping over idle ticks) must print exactly what the plain tick-by-tick
// run prints.
#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>
#include <vector>

#include "base/input_file.h"
#include "shell/program.h"
#include "support/test_console.h"
#include "support/tick_by_tick_run.h"

namespace shell {
namespace {

using testing_support::TestConsole;

struct Session {
  base::MemoryFileSystem files;
  std::string script;
};

std::string run(const Session& session, bool eventDriven) {
  TestConsole console(session.script);
  base::MemoryFileSystem files = session.files;
  ProgramOptions options;
  if (!eventDriven) options.runDriver = testing_support::runEveryTick;
  EXPECT_EQ(runProgram(console, files, options), 0);
  return console.output();
}

int uniform(std::mt19937& random, int low, int high) {
  return low + static_cast<int>(random() % static_cast<unsigned>(high - low + 1));
}

// A ring with chords, links both ways, so that every search ends quickly.
std::string randomTopology(std::mt19937& random, int nodes) {
  std::vector<std::vector<std::string>> matrix(nodes, std::vector<std::string>(nodes, "-"));
  auto link = [&](int a, int b) {
    const std::string entry =
        uniform(random, 0, 3) == 0 ? std::to_string(uniform(random, 1, 2)) : "0";
    matrix[a][b] = entry;
    matrix[b][a] = uniform(random, 0, 1) == 0 ? entry : "0";
  };
  for (int a = 0; a < nodes; ++a) link(a, (a + 1) % nodes);
  for (int chord = uniform(random, 0, 2); chord > 0; --chord) {
    const int a = uniform(random, 0, nodes - 1);
    const int b = uniform(random, 0, nodes - 1);
    if (a != b) link(a, b);
  }
  std::string text = "random\n*tabla: ;\n";
  for (const auto& row : matrix) {
    text += "*";
    for (const auto& entry : row) text += entry + " ";
    text += ";\n";
  }
  return text;
}

std::string randomCalls(std::mt19937& random, int lines, int maxGap) {
  std::string text;
  for (int i = 0; i < lines; ++i) {
    text += std::to_string(uniform(random, 0, maxGap)) + "\t" +
            std::to_string(uniform(random, -1, 12)) + "\n";
  }
  return text;
}

std::string configure(int lambdas, int fibres, int paths, int policy, int interval) {
  // Up to 10 shared links, so that searches end long before their limits.
  return "1\n1\n1\n" + std::to_string(lambdas) + "\n2\n" + std::to_string(fibres) + "\n9\n2\n1\n" +
         std::to_string(paths) + "\n2\n10\n9\n3\n" + std::to_string(policy) + "\n4\n" +
         std::to_string(interval) + "\n9\n";
}

Session randomSession(std::mt19937& random, int interval) {
  Session session;
  const int nodes = uniform(random, 3, 6);
  session.files.add("net.con", randomTopology(random, nodes));
  std::string sources;
  const int sourceCount = uniform(random, 1, 4);
  for (int s = 0; s < sourceCount; ++s) {
    const std::string name = "calls" + std::to_string(s) + ".txt";
    session.files.add(name, randomCalls(random, uniform(random, 0, 30), uniform(random, 0, 8)));
    // Now and then a second source for the pair of the one before.
    const int origin = uniform(random, 0, nodes - 1);
    const int destination = (origin + uniform(random, 1, nodes - 1)) % nodes;
    sources +=
        "S\n" + std::to_string(origin) + "\n" + std::to_string(destination) + "\n" + name + "\n\n";
    if (uniform(random, 0, 3) == 0)
      sources += "S\n" + std::to_string(origin) + "\n" + std::to_string(destination) + "\n" + name +
                 "\n\n";
  }
  session.script = configure(uniform(random, 1, 4), uniform(random, 1, 2), uniform(random, 1, 5),
                             uniform(random, 1, 4), interval) +
                   "2\nnet\n\n" + sources + "\x1b\n\n" + sources + "\x1b\n\nN\n9\n";
  return session;
}

class RunEquivalence : public ::testing::TestWithParam<int> {};

TEST_P(RunEquivalence, RandomSessionsPrintTheSameAsTickByTick) {
  const int interval = GetParam();
  std::mt19937 random(static_cast<unsigned>(1000 + interval));
  int withBlocking = 0;
  int withConversion = 0;
  for (int round = 0; round < 200; ++round) {
    const Session session = randomSession(random, interval);
    const std::string plain = run(session, false);
    ASSERT_NE(plain.find("Pulse tecla para continuar..."), std::string::npos);
    ASSERT_EQ(run(session, true), plain) << "round " << round << "\n" << session.script;
    withBlocking += plain.find("BLOKEO") != std::string::npos;
    withConversion += plain.find("Faltan") != std::string::npos;
  }
  // The sessions must reach the paths worth checking.
  EXPECT_GT(withBlocking, 10);
  EXPECT_GT(withConversion, 5);
}

INSTANTIATE_TEST_SUITE_P(UpdateIntervals, RunEquivalence, ::testing::Values(0, 1, 2, 7, -1, -5));

// Calls mostly close together, now and then far apart, so that the clock has empty
// stretches to cross while views still fall due.
std::string sparseCalls(std::mt19937& random, int lines) {
  // A long first call keeps the source, and so the run, alive across the stretches.
  std::string text = "0\t" + std::to_string(uniform(random, 50'000, 150'000)) + "\n";
  for (int i = 0; i < lines; ++i) {
    const int gap =
        uniform(random, 0, 9) == 0 ? uniform(random, 1000, 100'000) : uniform(random, 0, 6);
    const int duration =
        uniform(random, 0, 7) == 0 ? uniform(random, 1000, 60'000) : uniform(random, -1, 12);
    text += std::to_string(gap) + "\t" + std::to_string(duration) + "\n";
  }
  return text;
}

// Several sources on each of one or two pairs, each pair's view refreshed every few ticks.
Session sharedPairSession(std::mt19937& random) {
  Session session;
  const int nodes = uniform(random, 3, 5);
  session.files.add("net.con", randomTopology(random, nodes));
  int pairs[2][2];
  for (auto& pair : pairs) {
    pair[0] = uniform(random, 0, nodes - 1);
    pair[1] = (pair[0] + uniform(random, 1, nodes - 1)) % nodes;
  }
  std::string sources;
  const int sourceCount = uniform(random, 2, 5);
  for (int s = 0; s < sourceCount; ++s) {
    const std::string name = "calls" + std::to_string(s) + ".txt";
    session.files.add(name, sparseCalls(random, uniform(random, 1, 12)));
    const int* pair = pairs[uniform(random, 0, 1)];
    sources +=
        "S\n" + std::to_string(pair[0]) + "\n" + std::to_string(pair[1]) + "\n" + name + "\n\n";
  }
  session.script = configure(uniform(random, 1, 3), 1, uniform(random, 1, 4), uniform(random, 1, 4),
                             uniform(random, 1, 10)) +
                   "2\nnet\n\n" + sources + "\x1b\n\nN\n9\n";
  return session;
}

TEST(RunEquivalence, SharedPairsAcrossLongGapsPrintTheSameAsTickByTick) {
  std::mt19937 random(2718);
  for (int round = 0; round < 100; ++round) {
    const Session session = sharedPairSession(random);
    const std::string plain = run(session, false);
    ASSERT_NE(plain.find("Pulse tecla para continuar..."), std::string::npos);
    ASSERT_EQ(run(session, true), plain) << "round " << round << "\n" << session.script;
  }
}

Session lineSession(const std::string& calls, int interval) {
  Session session;
  session.files.add("line.con", "*tabla: ;\n*- 0 -;\n*0 - 0;\n*- 0 -;\n");
  session.files.add("calls.txt", calls);
  session.script =
      configure(2, 1, 4, 2, interval) + "2\nline\n\nS\n0\n2\ncalls.txt\n\n\x1b\n\nN\n9\n";
  return session;
}

TEST(RunEquivalence, LongGapsAndIntervalsAgree) {
  for (int interval : {0, 1, 7, -1, 100}) {
    const Session session = lineSession("0\t3\n500\t40\n2\t2000\n0\t0\n", interval);
    EXPECT_EQ(run(session, true), run(session, false)) << interval;
  }
}

TEST(EventDrivenRun, CallsTwoBillionTicksApartTakeUnderASecond) {
  const Session session = lineSession("0\t1\n2000000000\t5\n", 0);
  const auto started = std::chrono::steady_clock::now();
  const std::string output = run(session, true);
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - started;
  EXPECT_LT(took.count(), 1.0);
  // The second call is read at tick 1 and starts, two billion ticks later, on its own.
  EXPECT_NE(output.find("\nTIME=1 \n5 - 2000000000 "), std::string::npos);
  EXPECT_NE(output.find("\n\t0 1 2 \n\t5-2000000000 H       0-0-"), std::string::npos);
  EXPECT_NE(output.find("\n\t5-2000000000 F       0-0-\nFin Lista de CALLS "), std::string::npos);
}

TEST(EventDrivenRun, AStartPastTheLargestTickWrapsAndStartsAtOnce) {
  const Session session = lineSession("2000000000\t1\n2000000000\t1\n", 0);
  const std::string output = run(session, true);
  // 2000000000 + 2000000000 wraps to -294967296: due as soon as it is read.
  EXPECT_NE(output.find("\nTIME=1 \n1 - -294967296 \n\t0 1 2 \n\t1--294967296 H "),
            std::string::npos);
  EXPECT_NE(output.find("Fin Lista de CALLS "), std::string::npos);
}

}  // namespace
}  // namespace shell

// A run of wrnsim-lab and a console session on the same sources: the same trace and the
// same blocking counts.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "base/input_file.h"
#include "experiment/experiment.h"
#include "experiment/traffic_model.h"
#include "shell/program.h"
#include "support/matrix_network.h"
#include "support/test_console.h"

namespace experiment {
namespace {

// NSFNET with one regenerator on every link, so that every cause of blocking can happen.
const std::string kNsfnet = testing_support::nsfnetConText(1);

struct Pair {
  int origin;
  int destination;
};
const std::vector<Pair> kPairs = {{0, 12}, {13, 1}, {2, 8}, {5, 10}, {12, 0}, {0, 12}};

std::string consoleSession(const base::Config& config, const std::vector<std::string>& files,
                           std::string& output) {
  std::string script = "1\n1\n1\n" + std::to_string(config.lambdaCount) + "\n2\n" +
                       std::to_string(config.fiberCount) + "\n9\n3\n" +
                       std::to_string(config.pathPolicy) + "\n4\n" +
                       std::to_string(config.updateInterval) + "\n9\n2\nnsfnet\n\n";
  base::MemoryFileSystem fileSystem;
  fileSystem.add("nsfnet.con", kNsfnet);
  for (std::size_t i = 0; i < kPairs.size(); ++i) {
    std::string name = std::to_string(i);
    name += ".txt";
    fileSystem.add(name, files[i]);
    // Appended piece by piece: GCC 12 warns wrongly on "literal" + std::string.
    script += "S\n";
    script += std::to_string(kPairs[i].origin) + "\n";
    script += std::to_string(kPairs[i].destination) + "\n";
    script += name + "\n\n";
  }
  script += "\x1b\n\nN\n9\n";
  testing_support::TestConsole console(script);
  EXPECT_EQ(shell::runProgram(console, fileSystem), 0);
  output = console.output();
  return output;
}

// From the first call line read to the key wait after the report.
std::string runPart(const std::string& text) {
  const std::size_t from = text.find("\nTIME=");
  const std::size_t to = text.find("Pulse tecla para continuar...");
  if (from == std::string::npos || to == std::string::npos) return "";
  return text.substr(from, to - from);
}

std::int64_t reportTotal(const std::string& run, int type) {
  const std::string head = "\n\t -Bloqueos Tipo " + std::to_string(type) + ": ";
  const std::size_t at = run.find(head);
  EXPECT_NE(at, std::string::npos);
  return at == std::string::npos ? -2 : std::stoll(run.substr(at + head.size()));
}

std::int64_t count(const std::string& text, const std::regex& pattern) {
  return std::distance(std::sregex_iterator(text.begin(), text.end(), pattern),
                       std::sregex_iterator());
}

TEST(ConsoleAgreement, RunGivesTheConsolesTraceAndCounts) {
  std::vector<std::string> files;
  for (std::size_t i = 0; i < kPairs.size(); ++i) {
    files.push_back(
        callFileText(generateCalls({1.5, HoldingKind::kExponential, 12.0, 150, 40 + i})));
  }
  for (auto [policy, interval] : {std::pair{1, 0}, std::pair{2, 0}, std::pair{3, 0},
                                  std::pair{4, 0}, std::pair{1, 3}, std::pair{3, 5}}) {
    SCOPED_TRACE("policy " + std::to_string(policy) + " interval " + std::to_string(interval));
    ExperimentPlan plan;
    plan.topology = kNsfnet;
    plan.config.lambdaCount = 3;
    plan.config.fiberCount = 1;
    plan.config.pathPolicy = policy;
    plan.config.updateInterval = interval;
    for (std::size_t i = 0; i < kPairs.size(); ++i) {
      plan.sources.push_back({kPairs[i].origin, kPairs[i].destination, files[i]});
    }
    std::ostringstream trace;
    const ExperimentResult result = runExperiment(plan, &trace);
    std::string output;
    const std::string console = runPart(consoleSession(plan.config, files, output));
    ASSERT_FALSE(console.empty());
    EXPECT_TRUE(runPart(trace.str()) == console) << "the traces differ";
    for (int type = 0; type < 5; ++type) {
      const std::int64_t printed = reportTotal(console, type);
      EXPECT_EQ(result.summary.blockingTotals[type], printed < 0 ? 0 : printed) << type;
    }
    EXPECT_EQ(result.offered, count(console, std::regex("\n\t-?[0-9]+--?[0-9]+ H ")));
    EXPECT_EQ(result.summary.callsBlocked, count(console, std::regex(" BLOKEO 0 ")));
    EXPECT_GT(result.summary.callsBlocked, 0) << "the load is meant to block calls";
    if (interval > 0) {
      EXPECT_GT(result.summary.callsWithUpdateError, 0);
    }
  }
}

}  // namespace
}  // namespace experiment

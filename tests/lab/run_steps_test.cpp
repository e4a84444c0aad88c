// The lab's commands as other front ends take them: options from words with the command
// line's refusals, and a missing file told apart from other faults.
#include "lab/run_steps.h"

#include <gtest/gtest.h>

#include "lab/lab_cli.h"
#include "lab/lab_files.h"
#include "lab/topology_input.h"
#include "lab_test_support.h"

namespace {

using lab_testing::kRing;
using lab_testing::runLab;
using lab_testing::ScratchDirectory;

// The message of the refusal that optionsOf throws, and the first line the lab prints.
template <typename Parse>
void expectSameRefusal(Parse parse, const std::string& command,
                       const std::vector<std::string>& words) {
  std::vector<std::string> line{command};
  line.insert(line.end(), words.begin(), words.end());
  const auto outcome = runLab(line);
  ASSERT_EQ(outcome.status, 2);
  std::string printed = outcome.err.substr(0, outcome.err.find('\n'));
  if (printed.starts_with("wrnsim-lab: ")) printed.erase(0, 12);
  try {
    parse(words);
    ADD_FAILURE() << "not refused: " << printed;
  } catch (const lab::UsageError& error) {
    EXPECT_EQ(error.what(), printed);
  }
}

TEST(RunSteps, OptionsFromWordsKeepTheDefaultsAndRefusals) {
  const lab::RunOptions run = lab::runOptionsOf({"--topology", "x.con", "--lambdas", "8"});
  EXPECT_EQ(run.config.lambdaCount, 8);
  EXPECT_EQ(run.config.fiberCount, lab::RunOptions{}.config.fiberCount);
  EXPECT_FALSE(run.loadGiven);
  const lab::SweepOptions sweep = lab::sweepOptionsOf({"--topology", "x.con", "--loads", "1,2"});
  EXPECT_EQ(sweep.loads, (std::vector<double>{1, 2}));
  EXPECT_EQ(sweep.program, "wrnsim-lab");
  expectSameRefusal(lab::runOptionsOf, "run", {"--topology", "x.con", "--lambdas", "0"});
  expectSameRefusal(lab::runOptionsOf, "run", {"--topology", "x.con", "--seed", "2"});
  expectSameRefusal(lab::runOptionsOf, "run", {"--topology", "x.con", "--no-such-option"});
  expectSameRefusal(lab::sweepOptionsOf, "sweep", {"--topology", "x.con"});
  expectSameRefusal(lab::sweepOptionsOf, "sweep",
                    {"--topology", "x.con", "--loads", "1", "--min-seeds", "3"});
}

TEST(RunSteps, AMissingFileIsToldApartFromOtherFaults) {
  ScratchDirectory dir("run-steps-missing");
  EXPECT_THROW(lab::readFile(dir.file("absent.txt"), "call file"), lab::MissingFileError);
  EXPECT_THROW(lab::readTopology(dir.file("absent.con")), lab::MissingFileError);
  EXPECT_THROW(lab::readTopology(dir.file("absent.gml")), lab::MissingFileError);
  try {
    lab::readTopology(dir.file(""));
    ADD_FAILURE() << "a folder was read";
  } catch (const lab::MissingFileError&) {
    ADD_FAILURE() << "a folder is not a missing file";
  } catch (const lab::UsageError& error) {
    EXPECT_NE(std::string(error.what()).find("folder"), std::string::npos);
  }
}

TEST(RunSteps, ThePlanOnANetworkAlreadyReadRunsAsTheCommand) {
  ScratchDirectory dir("run-steps-plan");
  const std::string ring = dir.write("ring.con", kRing);
  const std::vector<std::string> words{"--topology", ring, "--all-pairs", "--load", "0.7",
                                       "--calls",    "60", "--seed",      "4"};
  std::vector<std::string> line{"run"};
  line.insert(line.end(), words.begin(), words.end());
  line.push_back("--json");
  const auto outcome = runLab(line);
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  const nlohmann::json printed = nlohmann::json::parse(outcome.out);

  const lab::RunOptions options = lab::runOptionsOf(words);
  const lab::TopologyInput topology = lab::readTopology(ring);
  std::ostringstream out, err;
  lab::LabIo io{out, err, false, {}, 0};
  lab::PlannedRun run = lab::planRun(options, lab::checkRunOptions(options), topology, true, io);
  const nlohmann::json record =
      lab::runRecord(run, topology, lab::runPlanned(run, nullptr, nullptr));
  EXPECT_EQ(record["calls"], printed["calls"]);
  EXPECT_EQ(record["pairs"], printed["pairs"]);
  EXPECT_EQ(record["links"], printed["links"]);
}

}  // namespace

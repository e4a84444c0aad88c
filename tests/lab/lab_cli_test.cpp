// The command line: help, generated files through it, and bad options refused with a
// message and status 2.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "experiment/sha256.h"
#include "lab/version.h"
#include "lab_test_support.h"

namespace {

using lab_testing::kRing;
using lab_testing::runLab;
using lab_testing::ScratchDirectory;

TEST(LabCli, HelpOfEachCommandEndsWell) {
  for (const char* command : {"gen", "run", "sweep", "collect", "theory"}) {
    const auto outcome = runLab({command, "--help"});
    EXPECT_EQ(outcome.status, 0) << command;
    EXPECT_NE(outcome.out.find("--"), std::string::npos) << command;
  }
}

TEST(LabCli, GenWritesTheSameFileForTheSameSeed) {
  ScratchDirectory dir("lab-cli-gen");
  const std::vector<std::string> args = {"gen", "--mean-gap", "4", "--mean-holding", "9", "--calls",
                                         "50",  "--seed",     "7"};
  const auto first = runLab(args);
  ASSERT_EQ(first.status, 0) << first.err;
  EXPECT_EQ(std::count(first.out.begin(), first.out.end(), '\n'), 50);
  auto toFile = args;
  toFile.insert(toFile.end(), {"-o", dir.file("calls.txt")});
  ASSERT_EQ(runLab(toFile).status, 0);
  EXPECT_EQ(ScratchDirectory::read(dir.file("calls.txt")), first.out);
}

TEST(LabCli, BadOptionsGiveAMessageAndStatusTwo) {
  ScratchDirectory dir("lab-cli-bad");
  const std::string ring = dir.write("ring.con", kRing);
  const std::string calls = dir.write("calls.txt", "1\t2\n");
  dir.write("notjson.json", "{ nope");
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{}, "subcommand"},
      {{"frobnicate"}, "frobnicate"},
      {{"gen", "--mean-gap", "0"}, "--mean-gap"},
      {{"gen", "--holding", "lognormal"}, "--holding"},
      {{"gen", "--calls", "-3"}, "--calls"},
      {{"run", "--pair", "0", "1", calls}, "--topology"},
      {{"run", "--topology", ring, "--policy", "5", "--all-pairs", "--load", "1"}, "--policy"},
      {{"run", "--topology", ring, "--lambdas", "0", "--all-pairs", "--load", "1"}, "--lambdas"},
      {{"run", "--topology", ring}, "--pair"},
      {{"run", "--topology", ring, "--all-pairs"}, "--load"},
      {{"run", "--topology", ring, "--all-pairs", "--load", "12", "--mean-holding", "10"},
       "at most"},
      {{"run", "--topology", ring, "--pair", "0", "7", calls}, "0-7"},
      {{"run", "--topology", ring, "--pair", "0", "x", calls}, "--pair"},
      {{"run", "--topology", dir.file("missing.con"), "--pair", "0", "1", calls}, "missing.con"},
      {{"run", "--topology", ring, "--pair", "0", "1", dir.file("none.txt")}, "none.txt"},
      {{"sweep", "--topology", ring}, "--loads"},
      {{"sweep", "--topology", ring, "--loads", "1,abc"}, "--loads"},
      {{"collect", dir.file("notjson.json")}, "notjson.json"},
      {{"run", "--topology", ring, "--pair", "2", "2", calls}, "two different nodes"},
      {{"run", "--topology", ring, "--pair", "0", "1", calls, "--load", "1"}, "--all-pairs"},
      {{"run", "--topology", dir.write("one.con", "uno\n*tabla: ;\n*-;\n"), "--all-pairs", "--load",
        "1"},
       "at least 2"},
      {{"run", "--topology", ring, "--all-pairs", "--load", "1", "--seed", "-1"}, "whole number"},
      {{"run", "--topology", ring, "--all-pairs", "--load", "1", "--seed",
        "99999999999999999999999"},
       "whole number"},
      {{"sweep", "--topology", ring, "--loads", "0"}, "above 0"},
      {{"sweep", "--topology", ring, "--loads", "1", "--policies", "2,x"}, "no path policy 'x'"},
      {{"collect", dir.file("")}, "folder"},
      {{"collect", dir.write("other.json", "{\"a\": 1}")}, "not a run record"},
      {{"run", "--topology", ring, "--pair", "0", "1", calls, "-o", dir.file("no/such/out.txt")},
       "No such file or directory"},
      {{"gen", "-o", "/dev/full"}, "No space left on device"},
      {{"gen", "--mean-gap", "1e12"}, "fits in a call file"},
      {{"gen", "--mean-holding", "3000000000"}, "fits in a call file"},
  };
  for (const auto& [args, mention] : cases) {
    std::string line;
    for (const auto& word : args) line += word + " ";
    const auto outcome = runLab(args);
    EXPECT_EQ(outcome.status, 2) << line;
    EXPECT_NE(outcome.err.find(mention), std::string::npos) << line << "\n" << outcome.err;
    EXPECT_EQ(outcome.err.find("json.exception"), std::string::npos) << outcome.err;
  }
  // Nothing is left behind by a refused command.
  EXPECT_FALSE(std::filesystem::exists(dir.file("no")));
}

TEST(LabCli, AnOutputFileThatCannotBeWrittenIsRefusedBeforeTheRun) {
  ScratchDirectory dir("lab-cli-unwritable");
  const std::string ring = dir.write("ring.con", kRing);
  // The sweep would take long enough to notice; it must not start.
  const auto outcome = runLab({"sweep", "--topology", ring, "--loads", "0.5", "--seeds", "50",
                               "--csv", dir.file("no/such/s.csv"), "--svg", dir.file("s.svg")});
  EXPECT_EQ(outcome.status, 2);
  EXPECT_NE(outcome.err.find("s.csv"), std::string::npos) << outcome.err;
  EXPECT_EQ(outcome.err.find("runs written"), std::string::npos) << outcome.err;
  EXPECT_FALSE(std::filesystem::exists(dir.file("s.svg")));
}

TEST(LabCli, ResultsSayWhichProgramCommandAndNetworkMadeThem) {
  const auto version = runLab({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "wrnsim-lab " + lab::versionText() + "\n");
  EXPECT_NE(std::string(lab::kVersion), "");

  ScratchDirectory dir("lab-cli-provenance");
  const std::string ring = dir.write("ring.con", kRing);
  const auto run = runLab(
      {"run", "--topology", ring, "--all-pairs", "--load", "0.3", "--calls", "20", "--json"});
  ASSERT_EQ(run.status, 0) << run.err;
  const nlohmann::json provenance = nlohmann::json::parse(run.out).at("provenance");
  EXPECT_EQ(provenance.at("program"), "wrnsim-lab");
  EXPECT_EQ(provenance.at("version"), lab::kVersion);
  if (*lab::kCommit != '\0') {
    EXPECT_EQ(provenance.at("commit"), lab::kCommit);
  } else {
    EXPECT_TRUE(provenance.at("commit").is_null());
  }
  EXPECT_EQ(provenance.at("topology_file"), ring);
  EXPECT_EQ(provenance.at("topology_sha256"), experiment::sha256Hex(kRing));
  EXPECT_EQ(provenance.at("network_sha256").get<std::string>().size(), 64u);
  EXPECT_NE(provenance.at("command_line").get<std::string>().find("--load 0.3"), std::string::npos);
  EXPECT_EQ(provenance.at("made").get<std::string>().size(), 20u);
}

}  // namespace

namespace lab {
namespace {

TEST(LabCli, AnOptionThatWouldBeIgnoredIsRefused) {
  lab_testing::ScratchDirectory dir("lab-cli-unserved");
  const std::string ring = dir.write("ring.con", lab_testing::kRing);
  const std::string calls = dir.write("calls.txt", "1\t5\n");
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"sweep", "--topology", ring, "--loads", "0.5", "--min-seeds", "4"}, "--target-ci"},
      {{"sweep", "--topology", ring, "--loads", "0.5", "--max-seeds", "9"}, "--target-ci"},
      {{"sweep", "--topology", ring, "--loads", "0.5", "--results-dir", "r"}, "--jobs-file"},
      {{"sweep", "--topology", ring, "--loads", "0.5", "--program", "p"}, "--jobs-file"},
      {{"draw", "--topology", ring, "--color-by", "occupancy", "-o", dir.file("m.svg")},
       "--result"},
      {{"run", "--topology", ring, "--pair", "0", "1", calls, "--seed", "4"}, "--all-pairs"},
      {{"run", "--topology", ring, "--pair", "0", "1", calls, "--calls", "4"}, "--traffic"},
  };
  for (const auto& [args, mention] : cases) {
    const auto outcome = lab_testing::runLab(args);
    EXPECT_EQ(outcome.status, kUsageStatus) << args.front() << " " << mention;
    EXPECT_NE(outcome.err.find("would be ignored"), std::string::npos) << outcome.err;
    EXPECT_NE(outcome.err.find(mention), std::string::npos) << outcome.err;
  }
  EXPECT_FALSE(std::filesystem::exists(dir.file("m.svg")));
  // Served, they run.
  EXPECT_EQ(lab_testing::runLab({"run", "--topology", ring, "--all-pairs", "--load", "0.5",
                                 "--calls", "20", "--seed", "4"})
                .status,
            0);
}

}  // namespace
}  // namespace lab

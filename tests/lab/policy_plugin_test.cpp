// Plug-in policies from the command line: refused before any run when they cannot be used,
// named with their library's digest in the record, deciding as the built-in policy they
// write again, and ending the run with status 1 and no output when they throw.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "experiment/sha256.h"
#include "lab_test_support.h"

namespace {

using lab_testing::runLab;
using lab_testing::ScratchDirectory;

const std::string kPlugin = WRNSIM_TEST_POLICIES;
const std::string kNsfnet = std::string(WRNSIM_EXAMPLES) + "/NSFNET.con";

std::vector<std::string> nsfnetRun(std::vector<std::string> more) {
  std::vector<std::string> words = {"run",       "--topology", kNsfnet,   "--all-pairs",
                                    "--load",    "0.6",        "--calls", "100",
                                    "--lambdas", "4",          "--json"};
  words.insert(words.end(), more.begin(), more.end());
  return words;
}

TEST(PolicyPlugins, APolicyThatCannotBeUsedIsRefusedBeforeAnyRun) {
  ScratchDirectory dir("lab-plugin-refusals");
  const std::string text = dir.write("notes.so", "not a library\n");
  const struct {
    std::vector<std::string> options;
    std::string said;
  } cases[] = {
      {{"--path-policy", dir.file("missing.so") + ":mine"}, "missing.so: no such file"},
      {{"--path-policy", text + ":mine"}, "notes.so cannot be loaded"},
      {{"--path-policy", std::string(WRNSIM_NO_ENTRY) + ":mine"},
       "has no entry point wrnsim_plugin"},
      {{"--wavelength-policy", std::string(WRNSIM_OTHER_VERSION) + ":any"},
       "was built for policy interface version 99; this program speaks version 1"},
      {{"--path-policy", kPlugin + ":nobody"},
       "has no path policy 'nobody' (it has: first, random_again, thrower)"},
      {{"--wavelength-policy", kPlugin + ":first"},
       "has no wavelength policy 'first' (it has: lowest_common)"},
      {{"--path-policy", "shortest"}, "no path policy 'shortest': the built-in ones are random"},
      {{"--wavelength-policy", "first-fit"}, "no wavelength policy 'first-fit'"},
      {{"--path-policy", ":mine"}, "a plug-in policy is FILE:NAME"},
      {{"--policy", "3", "--path-policy", "random"}, "--policy and --path-policy both"},
  };
  for (const auto& refused : cases) {
    const auto outcome = runLab(nsfnetRun(refused.options));
    EXPECT_EQ(outcome.status, 2) << refused.said;
    EXPECT_NE(outcome.err.find(refused.said), std::string::npos) << outcome.err;
    EXPECT_EQ(outcome.out, "") << refused.said;
  }
}

TEST(PolicyPlugins, PolicyOneWrittenAgainAsAPlugInGivesTheBuiltInCountsAndIsNamed) {
  for (const char* seed : {"1", "2", "3"}) {
    const auto builtIn = runLab(nsfnetRun({"--policy", "1", "--seed", seed}));
    const auto plugged =
        runLab(nsfnetRun({"--path-policy", kPlugin + ":random_again", "--seed", seed}));
    ASSERT_EQ(builtIn.status, 0) << builtIn.err;
    ASSERT_EQ(plugged.status, 0) << plugged.err;
    const auto a = nlohmann::json::parse(builtIn.out);
    const auto b = nlohmann::json::parse(plugged.out);
    EXPECT_GT(a["calls"]["blocked"].get<int>(), 0);
    EXPECT_EQ(a["calls"], b["calls"]) << seed;
    EXPECT_EQ(a["pairs"], b["pairs"]) << seed;
    EXPECT_EQ(a["settings"]["path_policy"], "random");
    EXPECT_EQ(a["settings"]["wavelength_policy"], "most-free");
    EXPECT_EQ(a["settings"]["plugins"], nlohmann::json::array());
    EXPECT_EQ(b["settings"]["path_policy"], kPlugin + ":random_again");
    const nlohmann::json& plugin = b["settings"]["plugins"].at(0);
    EXPECT_EQ(plugin["kind"], "path");
    EXPECT_EQ(plugin["file"], kPlugin);
    EXPECT_EQ(plugin["file_sha256"], experiment::sha256Hex(ScratchDirectory::read(kPlugin)));
    EXPECT_EQ(plugin["library"], "test-policies");
  }
}

TEST(PolicyPlugins, PlugInAndBuiltInPoliciesCombineEitherWay) {
  const auto mixed = runLab(nsfnetRun(
      {"--path-policy", "least-loaded-first", "--wavelength-policy", kPlugin + ":lowest_common"}));
  ASSERT_EQ(mixed.status, 0) << mixed.err;
  const auto record = nlohmann::json::parse(mixed.out);
  EXPECT_EQ(record["settings"]["policy"], 4);
  EXPECT_EQ(record["settings"]["wavelength_policy"], kPlugin + ":lowest_common");
  EXPECT_EQ(record["calls"]["blocked_by_cause"]["policy_error"], 0);
  EXPECT_GT(record["calls"]["carried"].get<int>(), 0);

  const auto other = runLab(nsfnetRun({"--path-policy", kPlugin + ":first"}));
  ASSERT_EQ(other.status, 0) << other.err;
  EXPECT_EQ(nlohmann::json::parse(other.out)["settings"]["wavelength_policy"], "most-free");
}

TEST(PolicyPlugins, APolicyThatThrowsEndsTheRunWithStatusOneAndWritesNothing) {
  ScratchDirectory dir("lab-plugin-throws");
  const auto outcome =
      runLab(nsfnetRun({"--path-policy", kPlugin + ":thrower", "-o", dir.file("r.json")}));
  EXPECT_EQ(outcome.status, 1);
  // The third call the run starts: the first of source 68, at tick 0.
  EXPECT_EQ(outcome.err, "wrnsim-lab: path policy " + kPlugin +
                             ":thrower threw at call 0 of source 68 (pair 5-3, tick 0): third "
                             "time unlucky\n");
  EXPECT_FALSE(std::filesystem::exists(dir.file("r.json")));
}

}  // namespace

namespace {

TEST(PolicyPlugins, CollectRefusesRunsOfOnePlugInNameFromDifferentFiles) {
  ScratchDirectory dir("lab-plugin-collect");
  for (const char* seed : {"1", "2"}) {
    const auto outcome =
        runLab(nsfnetRun({"--wavelength-policy", kPlugin + ":lowest_common", "--seed", seed, "-o",
                          dir.file(seed + std::string(".json"))}));
    ASSERT_EQ(outcome.status, 0) << outcome.err;
  }
  const std::vector<std::string> collect = {
      "collect", dir.file("1.json"), dir.file("2.json"), "--csv", dir.file("c.csv"),
      "--svg",   dir.file("c.svg")};
  const auto merged = runLab(collect);
  EXPECT_EQ(merged.status, 0) << merged.err;

  auto record = nlohmann::json::parse(ScratchDirectory::read(dir.file("2.json")));
  record["settings"]["plugins"][0]["file_sha256"] = std::string(64, '0');
  dir.write("2.json", record.dump());
  const auto refused = runLab(collect);
  EXPECT_EQ(refused.status, 2);
  EXPECT_NE(
      refused.err.find("ran the plug-in policy " + kPlugin + ":lowest_common from different files"),
      std::string::npos)
      << refused.err;
}

}  // namespace

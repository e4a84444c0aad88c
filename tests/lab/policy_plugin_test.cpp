// Plug-in policies from the command line: refused before any run when they cannot be used,
// named with their library's digest in the record, deciding as the built-in policy they
// write again, and ending the run with status 1 and no output when they throw.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>

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
       "has no wavelength policy 'first' (it has: lowest_common, wavelength_thrower)"},
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

  // Fields of another type than the lab writes are refused, not a crash.
  for (const char* name : {"1.json", "2.json"}) {
    auto edited = nlohmann::json::parse(ScratchDirectory::read(dir.file(name)));
    edited["settings"]["plugins"] = nlohmann::json::array();
    edited["settings"]["lambdas"] = "four";
    dir.write(name, edited.dump());
  }
  const auto mistyped = runLab(collect);
  EXPECT_EQ(mistyped.status, 2);
  EXPECT_NE(mistyped.err.find("wrong type"), std::string::npos) << mistyped.err;
}

}  // namespace

namespace {

std::vector<std::vector<std::string>> rowsOf(const std::string& csv) {
  std::vector<std::vector<std::string>> rows;
  std::istringstream lines(csv);
  for (std::string line; std::getline(lines, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> row;
    std::istringstream cells(line);
    for (std::string cell; std::getline(cells, cell, ',');) row.push_back(cell);
    rows.push_back(row);
  }
  return rows;
}

TEST(PolicyPlugins, ASweepDrawsBuiltInAndPlugInPoliciesOfBothKindsAsLinesOfOneChart) {
  ScratchDirectory dir("lab-plugin-sweep");
  std::filesystem::create_directory(dir.file("records"));
  const std::string randomAgain = kPlugin + ":random_again";
  const std::string lowest = kPlugin + ":lowest_common";
  const std::vector<std::string> grid = {"--topology",
                                         kNsfnet,
                                         "--lambdas",
                                         "4",
                                         "--calls",
                                         "60",
                                         "--loads",
                                         "0.5,0.9",
                                         "--seeds",
                                         "2",
                                         "--policies",
                                         "1," + randomAgain,
                                         "--wavelength-policies",
                                         "most-free," + lowest};
  std::vector<std::string> sweep = {"sweep",           "--csv",     dir.file("s.csv"),  "--svg",
                                    dir.file("s.svg"), "--records", dir.file("records")};
  sweep.insert(sweep.end(), grid.begin(), grid.end());
  const auto outcome = runLab(sweep);
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  const std::string csv = ScratchDirectory::read(dir.file("s.csv"));
  const std::string digest = experiment::sha256Hex(ScratchDirectory::read(kPlugin));
  EXPECT_NE(csv.find("\n# path policies: random, " + randomAgain + " sha256 " + digest +
                     "\n# wavelength policies: most-free, " + lowest + " sha256 " + digest + "\n"),
            std::string::npos)
      << csv;
  const auto rows = rowsOf(csv);
  ASSERT_EQ(rows.size(), 9u);
  const std::size_t wavelengthColumn = 19;
  ASSERT_EQ(rows[0][wavelengthColumn], "wavelength_policy");
  // Built-in path policy first, then the plug-in; the built-in rule first; loads fastest.
  EXPECT_EQ(rows[1][0], "1");
  EXPECT_EQ(rows[1][wavelengthColumn], "most-free");
  EXPECT_EQ(rows[3][wavelengthColumn], lowest);
  EXPECT_EQ(rows[5][0], randomAgain);
  for (std::size_t r = 1; r <= 4; ++r) {
    // The plug-in written as policy 1 gives policy 1's blocking, with either rule.
    EXPECT_EQ(rows[r + 4][0], randomAgain);
    EXPECT_EQ(rows[r][wavelengthColumn], rows[r + 4][wavelengthColumn]);
    EXPECT_EQ(rows[r][6], rows[r + 4][6]) << r;
  }
  EXPECT_NE(rows[1][6], rows[3][6]);
  const std::string svg = ScratchDirectory::read(dir.file("s.svg"));
  EXPECT_NE(svg.find("random_again with lowest_common"), std::string::npos);
  EXPECT_NE(svg.find("Random (1) with most-free"), std::string::npos);

  // The records merge back into the same curve.
  std::vector<std::string> collect = {"collect", "--csv", dir.file("c.csv"), "--svg",
                                      dir.file("c.svg")};
  for (const auto& entry : std::filesystem::directory_iterator(dir.file("records")))
    collect.push_back(entry.path().string());
  const auto collected = runLab(collect);
  ASSERT_EQ(collected.status, 0) << collected.err;
  const std::string mergedCsv = ScratchDirectory::read(dir.file("c.csv"));
  EXPECT_NE(mergedCsv.find("# wavelength policies: most-free, " + lowest + " sha256 " + digest),
            std::string::npos)
      << mergedCsv;
  const auto merged = rowsOf(mergedCsv);
  ASSERT_EQ(merged.size(), rows.size());
  for (std::size_t r = 0; r < rows.size(); ++r) {
    EXPECT_EQ(merged[r][0], rows[r][0]);
    EXPECT_EQ(merged[r][6], rows[r][6]);
    EXPECT_EQ(merged[r][wavelengthColumn], rows[r][wavelengthColumn]);
  }

  // Job lines name the policies as run takes them.
  std::vector<std::string> jobs = {"sweep", "--jobs-file", dir.file("jobs.txt")};
  jobs.insert(jobs.end(), grid.begin(), grid.end());
  ASSERT_EQ(runLab(jobs).status, 0);
  const std::string lines = ScratchDirectory::read(dir.file("jobs.txt"));
  EXPECT_NE(lines.find("--policy 1 --interval"), std::string::npos) << lines;
  EXPECT_NE(
      lines.find("--path-policy " + randomAgain + " --wavelength-policy " + lowest + " --interval"),
      std::string::npos)
      << lines;
}

}  // namespace

namespace {

TEST(PolicyPlugins, ASweepWhosePolicyThrowsEndsWithStatusOneAndWritesNoCurve) {
  ScratchDirectory dir("lab-plugin-sweep-throws");
  const auto outcome = runLab({"sweep", "--topology", kNsfnet, "--calls", "50", "--loads", "0.5",
                               "--seeds", "2", "--policies", kPlugin + ":thrower", "--csv",
                               dir.file("s.csv"), "--svg", dir.file("s.svg")});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_NE(outcome.err.find(":thrower threw at call "), std::string::npos) << outcome.err;
  EXPECT_FALSE(std::filesystem::exists(dir.file("s.csv")));
  EXPECT_FALSE(std::filesystem::exists(dir.file("s.svg")));
}

TEST(PolicyPlugins, PolicyOneWrittenAgainDecidesAsTheBuiltInOneOnAConvertedNetwork) {
  const std::string network = std::string(WRNSIM_EXAMPLES) + "/networks/Arpanet19706.con";
  for (const char* seed : {"4", "5"}) {
    const std::vector<std::string> common = {"run",       "--topology", network,     "--all-pairs",
                                             "--load",    "0.4",        "--calls",   "60",
                                             "--lambdas", "4",          "--json",    "--seed",
                                             seed,        "--routing",  "k-shortest"};
    std::vector<std::string> builtIn = common;
    builtIn.insert(builtIn.end(), {"--policy", "1"});
    std::vector<std::string> plugged = common;
    plugged.insert(plugged.end(), {"--path-policy", kPlugin + ":random_again"});
    const auto a = runLab(builtIn);
    const auto b = runLab(plugged);
    ASSERT_EQ(a.status, 0) << a.err;
    ASSERT_EQ(b.status, 0) << b.err;
    const auto first = nlohmann::json::parse(a.out);
    EXPECT_GT(first["calls"]["blocked"].get<int>(), 0);
    EXPECT_EQ(first["pairs"], nlohmann::json::parse(b.out)["pairs"]) << seed;
  }
}

}  // namespace

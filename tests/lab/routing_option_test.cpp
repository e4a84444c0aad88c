// The routing choice and the candidate-path counts as the lab's outputs carry them: run's
// summary and record, sweep's files and job lines, and collect's refusal to mix routings.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "experiment/candidate_paths.h"
#include "lab_test_support.h"

namespace {

using lab_testing::kRing;
using lab_testing::runLab;
using lab_testing::ScratchDirectory;

// A ring of five nodes: two link-disjoint paths between any two nodes.
// At most `maxShared` links in common, which on a ring leaves the console's search running
// to its limit when it is 0.
std::vector<std::string> ringRun(const std::string& ring, const std::string& routing,
                                 bool json = true, const std::string& maxShared = "0") {
  std::vector<std::string> words = {"run",     "--topology", ring,           "--all-pairs",
                                    "--load",  "0.5",        "--calls",      "20",
                                    "--paths", "4",          "--max-shared", maxShared};
  if (json) words.push_back("--json");
  if (!routing.empty()) words.insert(words.end(), {"--routing", routing});
  return words;
}

TEST(RoutingOption, RunNamesItsRoutingAndCountsEachPairsPaths) {
  ScratchDirectory dir("lab-routing-run");
  const std::string ring = dir.write("ring.con", kRing);
  const auto kShortest = runLab(ringRun(ring, "k-shortest"));
  ASSERT_EQ(kShortest.status, 0) << kShortest.err;
  const nlohmann::json record = nlohmann::json::parse(kShortest.out);
  EXPECT_EQ(record["settings"]["routing"], "k-shortest");
  ASSERT_EQ(record["pairs"].size(), 20U);
  for (const nlohmann::json& pair : record["pairs"]) {
    EXPECT_EQ(pair["candidate_paths"], 2) << pair.dump();
    EXPECT_EQ(pair["distinct_candidate_paths"], 2) << pair.dump();
    EXPECT_EQ(pair["search_limited"], false) << pair.dump();
  }
  EXPECT_EQ(
      record["candidate_paths"],
      (nlohmann::json{
          {"pairs", 20}, {"fewer_than_asked", 20}, {"search_limited", 0}, {"without_path", 0}}));

  // The console's search never finds four disjoint paths on a ring: it runs to its limit
  // (for a while, so on one pair only).
  const std::string calls = dir.write("calls.txt", "1\t2\n");
  const auto console = runLab({"run", "--topology", ring, "--pair", "0", "2", calls, "--paths", "4",
                               "--max-shared", "0", "--json"});
  ASSERT_EQ(console.status, 0) << console.err;
  const nlohmann::json consoleRecord = nlohmann::json::parse(console.out);
  EXPECT_EQ(consoleRecord["settings"]["routing"], "console");
  EXPECT_EQ(consoleRecord["candidate_paths"]["search_limited"], 1);
  EXPECT_EQ(consoleRecord["pairs"][0]["search_limited"], true);
  EXPECT_EQ(consoleRecord["pairs"][0]["candidate_paths"], 2);

  const auto summary = runLab(ringRun(ring, "k-shortest", false));
  ASSERT_EQ(summary.status, 0) << summary.err;
  EXPECT_NE(summary.out.find("routing               k-shortest\n"), std::string::npos);
  EXPECT_NE(summary.out.find("candidate paths       20 pairs: 20 with fewer than 4 distinct, 0 "
                             "with the search stopped at its limit, 0 without any\n"),
            std::string::npos)
      << summary.out;

  const auto unknown = runLab(ringRun(ring, "dijkstra"));
  EXPECT_EQ(unknown.status, 2);
  EXPECT_NE(unknown.err.find("a routing is console, k-shortest or paths:FILE, not 'dijkstra'"),
            std::string::npos)
      << unknown.err;
}

TEST(RoutingOption, SweepCarriesItIntoItsFilesAndJobLines) {
  ScratchDirectory dir("lab-routing-sweep");
  const std::string ring = dir.write("ring.con", kRing);
  const std::vector<std::string> common = {"sweep",     "--topology",     ring,
                                           "--loads",   "0.5,1",          "--seeds",
                                           "2",         "--calls",        "20",
                                           "--routing", "k-shortest",     "--threads",
                                           "1",         "--csv",          dir.file("s.csv"),
                                           "--svg",     dir.file("s.svg")};
  auto jobs = common;
  jobs.insert(jobs.end(), {"--jobs-file", dir.file("jobs.txt")});
  ASSERT_EQ(runLab(jobs).status, 0);
  const std::string lines = ScratchDirectory::read(dir.file("jobs.txt"));
  EXPECT_NE(lines.find(" --routing k-shortest "), std::string::npos) << lines;

  auto records = common;
  std::filesystem::create_directories(dir.file("records"));
  records.insert(records.end(), {"--records", dir.file("records")});
  const auto swept = runLab(records);
  ASSERT_EQ(swept.status, 0) << swept.err;
  EXPECT_NE(ScratchDirectory::read(dir.file("s.csv")).find("# routing: k-shortest\n"),
            std::string::npos);
  EXPECT_NE(ScratchDirectory::read(dir.file("s.svg")).find("k-shortest routing"),
            std::string::npos);
  const nlohmann::json record =
      nlohmann::json::parse(ScratchDirectory::read(dir.file("records/point-0-seed-1.json")));
  EXPECT_EQ(record["settings"]["routing"], "k-shortest");
}

TEST(RoutingOption, CollectMergesOnlyRunsOfOneRouting) {
  ScratchDirectory dir("lab-routing-collect");
  const std::string ring = dir.write("ring.con", kRing);
  auto run = [&](const std::string& routing, const std::string& seed, const std::string& name) {
    auto words = ringRun(ring, routing, true, "2");
    words.insert(words.end(), {"--seed", seed, "-o", dir.file(name)});
    const auto outcome = runLab(words);
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    return dir.file(name);
  };
  const std::string console1 = run("console", "1", "c1.json");
  const std::string console2 = run("", "2", "c2.json");
  const std::string kShortest = run("k-shortest", "3", "k3.json");
  // A record from before the routing was recorded.
  nlohmann::json old = nlohmann::json::parse(ScratchDirectory::read(console2));
  old["settings"].erase("routing");
  old["traffic"]["seed"] = 4;
  const std::string older = dir.write("old.json", old.dump());

  const std::vector<std::string> outputs = {"--csv", dir.file("c.csv"), "--svg", dir.file("c.svg")};
  auto collect = [&](std::vector<std::string> files) {
    files.insert(files.begin(), "collect");
    files.insert(files.end(), outputs.begin(), outputs.end());
    return runLab(files);
  };
  const auto same = collect({console1, console2, older});
  EXPECT_EQ(same.status, 0) << same.err;
  EXPECT_NE(ScratchDirectory::read(dir.file("c.csv")).find("# routing: console\n"),
            std::string::npos);
  const auto mixed = collect({console1, kShortest});
  EXPECT_EQ(mixed.status, 2);
  EXPECT_NE(mixed.err.find("cannot be merged"), std::string::npos) << mixed.err;
  EXPECT_NE(mixed.err.find("k-shortest"), std::string::npos) << mixed.err;
}

TEST(CandidatePaths, RepeatsCountAsEntriesButNotAsDistinctPaths) {
  calls::CallSources sources(3);
  sources[0].origin = 2;
  sources[0].destination = 0;
  for (const routing::Path& path : {routing::Path{2, 1, 0}, {2, 1, 0}, {2, 3, 0}}) {
    sources[0].paths.push_back({-1, path});
  }
  sources[0].searchLimited = true;
  sources[1].origin = 0;
  sources[1].destination = 2;
  // A second source of the pair shows the first's search, not its own.
  sources[2].origin = 2;
  sources[2].destination = 0;
  const std::vector<experiment::PairPaths> pairs = experiment::candidatePathsOf(sources);
  ASSERT_EQ(pairs.size(), 2U);
  EXPECT_EQ(pairs[0].origin, 0);
  EXPECT_EQ(pairs[0].paths, 0);
  EXPECT_EQ(pairs[1].paths, 3);
  EXPECT_EQ(pairs[1].distinctPaths, 2);
  EXPECT_TRUE(pairs[1].limited);
  const experiment::CandidateSummary summary = experiment::summariseCandidates(pairs, 2);
  EXPECT_EQ(summary.pairs, 2);
  EXPECT_EQ(summary.fewerThanAsked, 1);
  EXPECT_EQ(summary.limited, 1);
  EXPECT_EQ(summary.withoutPath, 1);
}

}  // namespace

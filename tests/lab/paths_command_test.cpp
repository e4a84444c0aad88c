// Paths files through the lab: the paths command's file of a built-in routing gives that
// routing's runs back, a faulty file is refused at its line before any run, and records,
// CSV comments, job lines, collect and theory know the file by its name and digest.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "experiment/sha256.h"
#include "lab_test_support.h"

namespace {

using lab_testing::kRing;
using lab_testing::runLab;
using lab_testing::ScratchDirectory;

// What tells the routing and the moment apart, and nothing that the paths decide.
nlohmann::json countsOf(const std::string& text) {
  nlohmann::json record = nlohmann::json::parse(text);
  record.erase("provenance");
  record.erase("run_seconds");
  record.erase("routing_seconds");
  record["settings"].erase("routing");
  record["settings"].erase("paths_file_sha256");
  return record;
}

TEST(PathsCommand, FileOfEachBuiltInRoutingGivesItsRunsBack) {
  ScratchDirectory dir("lab-paths-round-trip");
  const std::vector<std::string> networks = {
      dir.write("ring.con", kRing), WRNSIM_EXAMPLES "/anillo.con", WRNSIM_EXAMPLES "/NSFNET.con"};
  for (const std::string& network : networks) {
    for (const std::string routing : {"console", "k-shortest"}) {
      SCOPED_TRACE(network + ", " + routing);
      const std::string file = dir.file("paths.txt");
      const auto written = runLab({"paths", "--topology", network, "--routing", routing, "--paths",
                                   "3", "--max-shared", "2", "-o", file});
      ASSERT_EQ(written.status, 0) << written.err;
      const std::string text = ScratchDirectory::read(file);
      EXPECT_NE(text.find("\n# routing: " + routing + ", --paths 3, --max-shared 2\n"),
                std::string::npos)
          << text;
      EXPECT_NE(text.find("\n# network: " + network + " sha256 "), std::string::npos) << text;
      // The policies use the paths differently; the least loaded ones weigh them all.
      for (const std::string policy : {"1", "2", "3", "4"}) {
        SCOPED_TRACE("policy " + policy);
        std::vector<std::string> builtIn = {
            "run",          "--topology", network,    "--all-pairs", "--load", "2",       "--calls",
            "150",          "--lambdas",  "3",        "--fibres",    "1",      "--paths", "3",
            "--max-shared", "2",          "--policy", policy,        "--json"};
        auto fromFile = builtIn;
        builtIn.insert(builtIn.end(), {"--routing", routing});
        fromFile.insert(fromFile.end(), {"--routing", "paths:" + file});
        const auto searched = runLab(builtIn);
        const auto given = runLab(fromFile);
        ASSERT_EQ(searched.status, 0) << searched.err;
        ASSERT_EQ(given.status, 0) << given.err;
        const nlohmann::json expected = countsOf(searched.out);
        EXPECT_GT(expected["calls"]["blocked"].get<int>(), 0) << "the load is meant to block";
        EXPECT_EQ(countsOf(given.out), expected);
        const nlohmann::json record = nlohmann::json::parse(given.out);
        EXPECT_EQ(record["settings"]["routing"], "paths:" + file);
        EXPECT_EQ(record["settings"]["paths_file_sha256"], experiment::sha256Hex(text));
      }
    }
  }
}

TEST(PathsCommand, APairWithoutALineHasNoPath) {
  ScratchDirectory dir("lab-paths-missing");
  // Node 3 has no link: the command says its pairs have no path, and reads back without them.
  const std::string net =
      dir.write("net.con", "Tres\n*tabla: ;\n*- 0 0 -;\n*0 - 0 -;\n*0 0 - -;\n*- - - -;\n");
  const auto written = runLab({"paths", "--topology", net, "--routing", "k-shortest", "--pair", "0",
                               "3", "--pair", "0", "1", "-o", dir.file("p.txt")});
  ASSERT_EQ(written.status, 0) << written.err;
  const std::string text = ScratchDirectory::read(dir.file("p.txt"));
  EXPECT_NE(text.find("\n# 0 3: no path\n"), std::string::npos) << text;
  EXPECT_NE(written.err.find("1 without path"), std::string::npos) << written.err;

  const std::string some = dir.write("some.txt", "# two pairs only\n0 1 0 1\n2 0 2 1 0\n");
  const auto run = runLab({"run", "--topology", net, "--all-pairs", "--load", "0.5", "--calls",
                           "30", "--routing", "paths:" + some, "--json"});
  ASSERT_EQ(run.status, 0) << run.err;
  const nlohmann::json record = nlohmann::json::parse(run.out);
  int unlisted = 0;
  for (const nlohmann::json& pair : record["pairs"]) {
    const bool listed = (pair["origin"] == 0 && pair["destination"] == 1) ||
                        (pair["origin"] == 2 && pair["destination"] == 0);
    EXPECT_EQ(pair["candidate_paths"], listed ? 1 : 0) << pair.dump();
    EXPECT_EQ(pair["blocked_by_cause"]["without_path"], listed ? 0 : pair["offered"].get<int>())
        << pair.dump();
    if (!listed) unlisted += pair["offered"].get<int>();
  }
  EXPECT_GT(unlisted, 0);
  EXPECT_EQ(record["candidate_paths"]["without_path"], 10);
  EXPECT_EQ(record["calls"]["blocked_by_cause"]["without_path"], unlisted);
}

TEST(PathsCommand, AFaultyFileIsRefusedAtItsLineBeforeAnyRun) {
  ScratchDirectory dir("lab-paths-faulty");
  const std::string ring = dir.write("ring.con", kRing);
  const std::string bad = dir.write("bad.txt", "# ring\n0 1 0 1\n\n1 3 1 3\n");
  const std::string routing = "paths:" + bad;
  const auto run = runLab({"run", "--topology", ring, "--all-pairs", "--load", "1", "--routing",
                           routing, "--json", "-o", dir.file("r.json")});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err, "wrnsim-lab: " + bad + " line 4: 1-3 is not a link of the network\n");
  EXPECT_FALSE(std::filesystem::exists(dir.file("r.json")));
  const auto sweep = runLab({"sweep", "--topology", ring, "--loads", "1", "--routing", routing,
                             "--csv", dir.file("s.csv"), "--svg", dir.file("s.svg")});
  EXPECT_EQ(sweep.status, 2);
  EXPECT_NE(sweep.err.find("bad.txt line 4: "), std::string::npos) << sweep.err;
  EXPECT_FALSE(std::filesystem::exists(dir.file("s.csv")));
  const auto theory =
      runLab({"theory", "--topology", ring, "--paths", "1", "--load", "1", "--routing", routing});
  EXPECT_EQ(theory.status, 2);
  EXPECT_EQ(theory.out, "");

  const auto missing = runLab({"run", "--topology", ring, "--all-pairs", "--load", "1", "--routing",
                               "paths:" + dir.file("none.txt")});
  EXPECT_EQ(missing.status, 2);
  EXPECT_NE(missing.err.find("cannot read paths file"), std::string::npos) << missing.err;
  const auto empty = runLab({"run", "--topology", ring, "--all-pairs", "--load", "1", "--routing",
                             "paths:" + dir.write("empty.txt", "# nothing\n")});
  EXPECT_EQ(empty.status, 2);
  EXPECT_NE(empty.err.find("empty.txt: it holds no path"), std::string::npos) << empty.err;
  // The paths command writes the built-in routings' paths only.
  EXPECT_EQ(runLab({"paths", "--topology", ring, "--routing", routing}).status, 2);
  EXPECT_EQ(runLab({"paths", "--topology", ring, "--pair", "0", "0"}).status, 2);
  EXPECT_EQ(runLab({"paths", "--topology", ring, "--pair", "0", "9"}).status, 2);
}

TEST(PathsCommand, RecordsKnowTheFileByItsDigest) {
  ScratchDirectory dir("lab-paths-records");
  const std::string ring = dir.write("ring.con", kRing);
  const std::string paths = dir.file("a.txt");
  ASSERT_EQ(runLab({"paths", "--topology", ring, "--routing", "k-shortest", "-o", paths}).status,
            0);
  const std::string text = ScratchDirectory::read(paths);
  const std::string same = dir.write("same.txt", text);
  const std::string other = dir.write("other.txt", text + "0 1 0 1\n");
  const std::string digest = experiment::sha256Hex(text);

  const std::vector<std::string> sweep = {
      "sweep",   "--topology", ring,    "--loads",         "0.5,1", "--seeds",        "2",
      "--calls", "30",         "--csv", dir.file("s.csv"), "--svg", dir.file("s.svg")};
  auto jobs = sweep;
  jobs.insert(jobs.end(), {"--routing", "paths:" + paths, "--jobs-file", dir.file("jobs.txt")});
  ASSERT_EQ(runLab(jobs).status, 0);
  EXPECT_NE(ScratchDirectory::read(dir.file("jobs.txt")).find(" --routing paths:" + paths + " "),
            std::string::npos);
  auto swept = sweep;
  swept.insert(swept.end(), {"--routing", "paths:" + paths});
  ASSERT_EQ(runLab(swept).status, 0);
  EXPECT_NE(ScratchDirectory::read(dir.file("s.csv"))
                .find("\n# routing: paths:" + paths + " sha256 " + digest + "\n"),
            std::string::npos);
  EXPECT_NE(ScratchDirectory::read(dir.file("s.svg")).find("candidate paths per pair from a.txt"),
            std::string::npos);

  auto run = [&](const std::string& file, const std::string& seed) {
    const std::string output = dir.file(std::filesystem::path(file).stem().string() + ".json");
    const auto outcome =
        runLab({"run", "--topology", ring, "--all-pairs", "--load", "0.5", "--calls", "30",
                "--seed", seed, "--routing", "paths:" + file, "--json", "-o", output});
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    return output;
  };
  const std::string a = run(paths, "1");
  const std::string b = run(same, "2");
  const std::string c = run(other, "3");
  const std::vector<std::string> outputs = {"--csv", dir.file("c.csv"), "--svg", dir.file("c.svg")};
  auto collect = [&](std::vector<std::string> files) {
    files.insert(files.begin(), "collect");
    files.insert(files.end(), outputs.begin(), outputs.end());
    return runLab(files);
  };
  // Another name for the same content merges; another content does not.
  const auto merged = collect({a, b});
  EXPECT_EQ(merged.status, 0) << merged.err;
  EXPECT_NE(ScratchDirectory::read(dir.file("c.csv")).find(" sha256 " + digest + "\n"),
            std::string::npos);
  const auto mixed = collect({a, c});
  EXPECT_EQ(mixed.status, 2);
  EXPECT_NE(mixed.err.find("different paths files"), std::string::npos) << mixed.err;
  // A record whose digest or routing is not text is refused, not read as text.
  for (const char* key : {"paths_file_sha256", "routing"}) {
    nlohmann::json odd = nlohmann::json::parse(ScratchDirectory::read(b));
    odd["settings"][key] = 5;
    const auto refused = collect({a, dir.write("odd.json", odd.dump())});
    EXPECT_EQ(refused.status, 2) << key;
    EXPECT_NE(refused.err.find("cannot be merged"), std::string::npos) << refused.err;
  }
  const auto console = runLab({"run", "--topology", ring, "--all-pairs", "--load", "0.5", "--calls",
                               "30", "--seed", "4", "--json", "-o", dir.file("console.json")});
  ASSERT_EQ(console.status, 0);
  EXPECT_EQ(collect({a, dir.file("console.json")}).status, 2);
  // The theory of such runs needs the file, which collect is not given.
  const auto reference = collect({a, b, "--reference", "efp", "--topology", ring});
  EXPECT_EQ(reference.status, 2);
  EXPECT_NE(reference.err.find("took their paths from a file"), std::string::npos) << reference.err;
}

TEST(PathsCommand, TheoryTakesEachPairsRouteFromTheFile) {
  ScratchDirectory dir("lab-paths-theory");
  // Regenerators enough for the theory's full conversion.
  const std::string ring =
      dir.write("ring.con", "Anillo\n*tabla: ;\n*- 8 - 8;\n*8 - 8 -;\n*- 8 - 8;\n*8 - 8 -;\n");
  const std::string one = dir.file("one.txt");
  ASSERT_EQ(
      runLab({"paths", "--topology", ring, "--routing", "k-shortest", "--paths", "1", "-o", one})
          .status,
      0);
  const std::vector<std::string> theory = {
      "theory",  "--topology", ring,     "--lambdas", "4",      "--fibres", "1",
      "--paths", "1",          "--load", "0.5",       "--json", "--routing"};
  auto given = theory;
  given.push_back("paths:" + one);
  auto kShortest = theory;
  kShortest.push_back("k-shortest");
  const auto fromFile = runLab(given);
  const auto searched = runLab(kShortest);
  ASSERT_EQ(fromFile.status, 0) << fromFile.err;
  ASSERT_EQ(searched.status, 0) << searched.err;
  nlohmann::json a = nlohmann::json::parse(fromFile.out);
  nlohmann::json b = nlohmann::json::parse(searched.out);
  EXPECT_EQ(a["settings"]["paths_file_sha256"], experiment::sha256Hex(ScratchDirectory::read(one)));
  EXPECT_EQ(a["routes"], b["routes"]);
  EXPECT_EQ(a["fixed_point"], b["fixed_point"]);
  // A run would take both of a pair's paths; the theory holds for one.
  const auto refused =
      runLab({"theory", "--topology", ring, "--lambdas", "4", "--fibres", "1", "--paths", "1",
              "--traffic", dir.write("pair.csv", "0,2,0.5\n"), "--routing",
              "paths:" + dir.write("two.txt", "0 2 0 1 2\n0 2 0 3 2\n")});
  EXPECT_EQ(refused.status, 2);
  EXPECT_NE(refused.err.find("pair 0-2 has 2 paths"), std::string::npos) << refused.err;
}

}  // namespace

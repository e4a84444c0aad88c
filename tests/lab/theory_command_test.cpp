// The theory command and sweep --reference as a user meets them: the routes a run would use,
// the figures, and a clear refusal wherever the theory does not hold.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>

#include "experiment/statistics.h"
#include "experiment/theory.h"
#include "lab_test_support.h"

namespace {

using lab_testing::runLab;
using lab_testing::ScratchDirectory;

const std::string kLine = "Linea\n*tabla: ;\n*- 4 -;\n*4 - 4;\n*- 4 -;\n";
const std::string kLineTraffic = "origin,destination,load\n0,1,1.5\n1,2,2.5\n0,2,1.0\n";
const std::string kOneLink = "Un enlace\n*tabla: ;\n*- 0;\n*0 -;\n";

std::vector<std::string> lineTheory(const ScratchDirectory& dir) {
  return {"theory",
          "--topology",
          dir.write("linea.con", kLine),
          "--lambdas",
          "4",
          "--fibres",
          "1",
          "--paths",
          "1",
          "--traffic",
          dir.write("linea.csv", kLineTraffic)};
}

TEST(TheoryNetwork, BothDirectionsOfALinkShareItsCircuits) {
  base::Config config;
  config.lambdaCount = 2;
  config.fiberCount = 2;
  config.pathCount = 1;
  const experiment::TheoryNetwork theory =
      experiment::theoryNetwork(kLine, config, experiment::allPairLoads(kLine, config, 1.0));
  ASSERT_EQ(theory.routes.size(), 6u);
  ASSERT_EQ(theory.links.size(), 2u);
  EXPECT_EQ(theory.network.capacities, (std::vector<std::int32_t>{4, 4}));
  // (0,1), (0,2), (1,0), (1,2), (2,0), (2,1): 0-1 and 1-0 on one link, 2-0 over both.
  EXPECT_EQ(theory.network.routes[0].links, theory.network.routes[2].links);
  EXPECT_EQ(theory.routes[4].path, (std::vector<std::int32_t>{2, 1, 0}));
  EXPECT_EQ(theory.network.routes[4].links.size(), 2u);
}

// The theory's routes are those of the routing asked for: on a ring the two routings take
// different halves for a pair across it, and a reference curve must not mix them.
TEST(TheoryNetwork, TakesTheRoutesOfTheRoutingAskedFor) {
  const std::string ring = "Anillo\n*tabla: ;\n*- 8 - 8;\n*8 - 8 -;\n*- 8 - 8;\n*8 - 8 -;\n";
  base::Config config;
  config.lambdaCount = 4;
  config.fiberCount = 2;
  config.pathCount = 1;
  const std::vector<experiment::PairLoad> pairs = {{0, 2, 1.0}};
  const auto pathOf = [&](session::Routing routing) {
    experiment::RoutingChoice choice;
    choice.kind = routing;
    return experiment::theoryNetwork(ring, config, pairs, choice).routes.at(0).path;
  };
  EXPECT_EQ(pathOf(session::Routing::kKShortest), (std::vector<std::int32_t>{0, 1, 2}));
  EXPECT_EQ(pathOf(session::Routing::kConsole), (std::vector<std::int32_t>{0, 3, 2}));
}

TEST(TheoryCommand, PrintsEachRouteWithItsPathAndBothTheories) {
  ScratchDirectory dir("theory-text");
  auto args = lineTheory(dir);
  args.push_back("--exact");
  const auto outcome = runLab(args);
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_NE(outcome.out.find("exact blocking        0.226046 (55 states)"), std::string::npos)
      << outcome.out;
  EXPECT_NE(outcome.out.find("fixed point blocking  0.228256"), std::string::npos);
  EXPECT_NE(outcome.out.find("fixed point method    repeated substitution, damped after "
                             "oscillation, tolerance 1e-13 (not damped)\n"),
            std::string::npos)
      << outcome.out;
  EXPECT_NE(outcome.out.find("0-2               1     0.339425     0.327335  0 1 2\n"),
            std::string::npos)
      << outcome.out;

  args.push_back("--json");
  const auto json = runLab(args);
  ASSERT_EQ(json.status, 0) << json.err;
  const nlohmann::json document = nlohmann::json::parse(json.out);
  EXPECT_NEAR(document["exact"]["blocking"].get<double>(), 0.226046, 1e-6);
  EXPECT_TRUE(document["fixed_point"]["converged"].get<bool>());
  EXPECT_EQ(document["fixed_point"]["method"], "repeated substitution, damped after oscillation");
  EXPECT_EQ(document["fixed_point"]["tolerance"].get<double>(), 1e-13);
  EXPECT_TRUE(document["fixed_point"]["damped_from"].is_null());
  ASSERT_EQ(document["routes"].size(), 3u);
  EXPECT_EQ(document["routes"][2]["path"], nlohmann::json({0, 1, 2}));
  EXPECT_NEAR(document["routes"][1]["exact"].get<double>(), 0.248342, 1e-6);
  EXPECT_EQ(document["links"].size(), 2u);
}

// One route of 6 Erlang over three links of one circuit: plain substitution swings between
// two points for ever, so the fixed point converges only damped.
TEST(TheoryCommand, SaysWhenItDampedTheFixedPoint) {
  ScratchDirectory dir("theory-damped");
  const std::vector<std::string> args = {
      "theory",
      "--topology",
      dir.write("linea4.con", "Linea\n*tabla: ;\n*- 1 - -;\n*1 - 1 -;\n*- 1 - 1;\n*- - 1 -;\n"),
      "--lambdas",
      "1",
      "--fibres",
      "1",
      "--paths",
      "1",
      "--traffic",
      dir.write("linea4.csv", "origin,destination,load\n0,3,6\n"),
      "--json"};
  const auto outcome = runLab(args);
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(outcome.err, "");
  const nlohmann::json point = nlohmann::json::parse(outcome.out)["fixed_point"];
  EXPECT_TRUE(point["converged"].get<bool>());
  EXPECT_EQ(point["damped_from"], 3);
  EXPECT_LE(point["last_change"].get<double>(), 1e-13);
  // Each link blocks b = E(6 (1 - b)^2, 1).
  const double b = nlohmann::json::parse(outcome.out)["links"][0]["fixed_point"].get<double>();
  EXPECT_NEAR(b, 6 * (1 - b) * (1 - b) / (1 + 6 * (1 - b) * (1 - b)), 1e-12);
}

TEST(TheoryCommand, RefusesWhereTheTheoryDoesNotHold) {
  ScratchDirectory dir("theory-refusals");
  const std::string star16 = dir.write(
      "estrella.con", "Estrella\n*tabla: ;\n*- 16 16 16;\n*16 - - -;\n*16 - - -;\n*16 - - -;\n");
  const std::string ring =
      dir.write("anillo.con", "Anillo\n*tabla: ;\n*- 0 - 0;\n*0 - 0 -;\n*- 0 - 0;\n*0 - 0 -;\n");
  const std::string line = dir.write("linea.con", kLine);
  const std::string traffic = dir.write("linea.csv", kLineTraffic);
  struct Refusal {
    std::string topology;
    std::string lambdas;
    std::string paths;
    std::string interval;
    // Every pair offered this load; the line's traffic file when empty.
    std::string load;
    std::string message;
  };
  const std::vector<Refusal> refusals = {
      {line, "4", "2", "0", "", "--paths 2: the theory holds for fixed routes"},
      {line, "4", "1", "5", "", "--interval 5: the theory holds for views refreshed at every call"},
      {line, "8", "1", "0", "", "link 1-2 has 4 regenerators, hop 2 of the route of pair 0-2"},
      {ring, "4", "1", "0", "1", "has 0 regenerators, hop 2 of the route of pair 0-2"},
      {star16, "16", "1", "0", "1", "at most 10000000; this network has more"},
  };
  for (const Refusal& refusal : refusals) {
    const auto outcome =
        runLab({"theory", "--topology", refusal.topology, "--lambdas", refusal.lambdas, "--fibres",
                "1", "--paths", refusal.paths, "--interval", refusal.interval, "--exact",
                refusal.load.empty() ? "--traffic" : "--load",
                refusal.load.empty() ? traffic : refusal.load});
    EXPECT_EQ(outcome.status, 2) << refusal.message;
    EXPECT_EQ(outcome.out, "");
    EXPECT_NE(outcome.err.find(refusal.message), std::string::npos) << outcome.err;
  }
  // Without a load there is nothing to compute; a load of 0 is not a load.
  auto bare = lineTheory(dir);
  bare.resize(bare.size() - 2);
  EXPECT_EQ(runLab(bare).status, 2);
  bare.insert(bare.end(), {"--load", "0"});
  EXPECT_EQ(runLab(bare).status, 2);
}

TEST(SweepReference, ErlangBColumnAndDashedLineOnOneLink) {
  ScratchDirectory dir("sweep-reference");
  const std::string csv = dir.file("curva.csv");
  const std::string svg = dir.file("curva.svg");
  const auto outcome = runLab({"sweep",       "--topology", dir.write("uno.con", kOneLink),
                               "--lambdas",   "4",          "--fibres",
                               "1",           "--paths",    "1",
                               "--loads",     "0.5,1",      "--seeds",
                               "2",           "--calls",    "200",
                               "--reference", "erlang",     "--csv",
                               csv,           "--svg",      svg,
                               "-j",          "1"});
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  const std::string table = ScratchDirectory::read(csv);
  EXPECT_NE(table.find(",share_policy_error,wavelength_policy,erlang\n"), std::string::npos) << table;
  // Both directions of the one link: twice the load per pair on 4 circuits.
  std::ostringstream half;
  half.precision(10);
  half << experiment::erlangB(1.0, 4) << '\n';
  EXPECT_NE(table.find(half.str()), std::string::npos) << table;
  const std::string chart = ScratchDirectory::read(svg);
  EXPECT_NE(chart.find(">Erlang B</text>"), std::string::npos);
  EXPECT_NE(chart.find("stroke-dasharray=\"5,4\""), std::string::npos);

  // Refused before any run, and nothing written.
  const std::string other = dir.file("otra.csv");
  const auto refused = runLab({"sweep", "--topology", dir.write("linea.con", kLine), "--lambdas",
                               "4", "--fibres", "1", "--paths", "1", "--loads", "1", "--reference",
                               "erlang", "--csv", other, "--svg", dir.file("otra.svg")});
  EXPECT_EQ(refused.status, 2);
  EXPECT_NE(refused.err.find("Erlang B is the blocking of a network of one link; this one has 2"),
            std::string::npos)
      << refused.err;
  EXPECT_FALSE(std::filesystem::exists(other));
}

// Runs made apart (a jobs file on a cluster) get the same reference from collect as sweep
// draws, once their topology and traffic files are given again, and only those files.
TEST(CollectReference, MatchesSweepsOnTheSameRunsFromTheSameFiles) {
  ScratchDirectory dir("collect-reference");
  const std::string line = dir.write("linea.con", kLine);
  const std::string traffic = dir.write("linea.csv", kLineTraffic);
  std::filesystem::create_directories(dir.file("records"));
  const auto swept = runLab({"sweep",
                             "--topology",
                             line,
                             "--lambdas",
                             "4",
                             "--fibres",
                             "1",
                             "--paths",
                             "1",
                             "--loads",
                             "1,2",
                             "--policies",
                             "1",
                             "--seeds",
                             "2",
                             "--calls",
                             "200",
                             "--traffic",
                             traffic,
                             "--reference",
                             "exact",
                             "--records",
                             dir.file("records"),
                             "--csv",
                             dir.file("s.csv"),
                             "--svg",
                             dir.file("s.svg"),
                             "-j",
                             "1"});
  ASSERT_EQ(swept.status, 0) << swept.err;
  std::vector<std::string> collect = {
      "collect", "--csv", dir.file("c.csv"), "--svg", dir.file("c.svg"), "--reference", "exact"};
  for (const auto& entry : std::filesystem::directory_iterator(dir.file("records"))) {
    collect.push_back(entry.path().string());
  }
  const auto withFiles = [&](std::vector<std::string> files) {
    std::vector<std::string> args = collect;
    args.insert(args.end(), files.begin(), files.end());
    return runLab(args);
  };
  const auto collected = withFiles({"--topology", line, "--traffic", traffic});
  ASSERT_EQ(collected.status, 0) << collected.err;
  const auto rows = [](const std::string& text) {
    std::string kept;
    std::istringstream lines(text);
    for (std::string row; std::getline(lines, row);) {
      if (!row.starts_with("#")) kept += row + "\n";
    }
    return kept;
  };
  const std::string table = rows(ScratchDirectory::read(dir.file("c.csv")));
  EXPECT_NE(table.find(",exact\n"), std::string::npos) << table;
  EXPECT_EQ(table, rows(ScratchDirectory::read(dir.file("s.csv"))));
  EXPECT_NE(ScratchDirectory::read(dir.file("c.svg")).find(">Exact (product form)</text>"),
            std::string::npos);

  const std::string other = dir.write("otra.con", kOneLink);
  const std::string otherTraffic = dir.write("otra.csv", "0,1,1.0\n");
  for (const auto& [files, message] : std::vector<std::pair<std::vector<std::string>, std::string>>{
           {{}, "--topology FILE"},
           {{"--topology", line}, "give it with --traffic FILE"},
           {{"--topology", other, "--traffic", traffic}, "is not the topology file"},
           {{"--topology", line, "--traffic", otherTraffic}, "is not the traffic file"}}) {
    const auto refused = withFiles(files);
    EXPECT_EQ(refused.status, 2);
    EXPECT_NE(refused.err.find(message), std::string::npos) << refused.err;
  }
}

}  // namespace

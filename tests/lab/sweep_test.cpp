// A small sweep: its CSV columns and intervals against runs made one by one, and the same
// CSV from job lines run separately and collected.
#include "experiment/sweep.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "experiment/statistics.h"
#include "lab_test_support.h"

namespace lab {
namespace {

using lab_testing::kRing;
using lab_testing::runLab;
using lab_testing::ScratchDirectory;

std::vector<std::vector<std::string>> csvRows(const std::string& text) {
  std::vector<std::vector<std::string>> rows;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (line.starts_with("#")) continue;
    std::vector<std::string> cells;
    std::istringstream fields(line);
    for (std::string cell; std::getline(fields, cell, ',');) cells.push_back(cell);
    if (!line.empty() && line.back() == ',') cells.push_back("");
    rows.push_back(cells);
  }
  return rows;
}

const std::vector<std::string> kGrid = {
    "--lambdas",   "2", "--fibres", "1", "--loads",        "0.3,0.8", "--policies", "2,4",
    "--intervals", "0", "--seeds",  "3", "--mean-holding", "8",       "--calls",    "300"};

TEST(Sweep, CsvHasOneRowPerPointWithTheMeanAndIntervalOverSeeds) {
  ScratchDirectory dir("lab-sweep");
  const std::string ring = dir.write("ring.con", kRing);
  std::vector<std::string> args = {"sweep",           "--topology",      ring,
                                   "--csv",           dir.file("s.csv"), "--svg",
                                   dir.file("s.svg"), "--threads",       "2"};
  args.insert(args.end(), kGrid.begin(), kGrid.end());
  const auto outcome = runLab(args);
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  const auto rows = csvRows(ScratchDirectory::read(dir.file("s.csv")));
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(
      rows[0],
      (std::vector<std::string>{
          "policy", "interval", "load", "seeds", "offered", "carried", "blocking_mean", "ci95_low",
          "ci95_high", "runs_without_offered", "share_no_wavelength", "share_no_regenerator",
          "share_no_wavelength_no_regenerator", "share_no_wavelength_with_regenerator",
          "share_assignment_without_cause", "share_update_error", "share_without_path",
          "share_no_assignment", "share_policy_error", "wavelength_policy"}));
  experiment::SweepPlan plan;
  plan.topologyText = kRing;
  plan.config.lambdaCount = 2;
  plan.config.fiberCount = 1;
  plan.traffic.meanHolding = 8;
  plan.traffic.count = 300;
  for (std::size_t r = 1; r < rows.size(); ++r) {
    const auto& row = rows[r];
    ASSERT_EQ(row.size(), 20u);
    EXPECT_EQ(row[9], "0");
    // Every blocked call has one cause: the shares add up to the mean.
    double shares = 0.0;
    for (std::size_t c = 10; c < 17; ++c) shares += std::stod(row[c]);
    EXPECT_NEAR(shares, std::stod(row[6]), 1e-9);
    std::vector<double> blocking;
    for (std::uint64_t seed = 1; seed <= 3; ++seed) {
      const experiment::SweepTask task{{std::stod(row[2]), std::stoi(row[0]), std::stoi(row[1])},
                                       seed};
      blocking.push_back(experiment::runExperiment(experiment::experimentOf(plan, task))
                             .blockingProbability.value());
    }
    const experiment::SampleMean expected = experiment::meanWithInterval(blocking);
    EXPECT_EQ(row[3], "3");
    EXPECT_NEAR(std::stod(row[6]), expected.mean, 1e-9);
    EXPECT_NEAR(std::stod(row[7]), expected.mean - *expected.halfWidth, 1e-9);
    EXPECT_NEAR(std::stod(row[8]), expected.mean + *expected.halfWidth, 1e-9);
    EXPECT_GT(*expected.halfWidth, 0.0) << "seeds are meant to differ";
  }
  EXPECT_EQ(rows[1][0], "2");
  EXPECT_EQ(rows[4][0], "4");
  EXPECT_LT(std::stod(rows[1][6]), std::stod(rows[2][6])) << "more load, more blocking";
  const std::string svg = ScratchDirectory::read(dir.file("s.svg"));
  // The legend names the policies by what they do, and the interval in ticks.
  EXPECT_NE(svg.find(">In turn (2)<"), std::string::npos);
  EXPECT_NE(svg.find(">Least loaded, first found (4)<"), std::string::npos);
  EXPECT_NE(svg.find(">refresh at every call<"), std::string::npos);
  // Two lines, told apart by their dashes and markers as well as their colours.
  EXPECT_NE(svg.find("stroke-dasharray=\"8,4\""), std::string::npos);
  EXPECT_NE(svg.find("<rect x="), std::string::npos);
  // The caption says what was measured; three seeds give error bars and say so.
  EXPECT_NE(svg.find("2 wavelengths per fibre, 1 fibre per link"), std::string::npos);
  EXPECT_NE(svg.find("300 calls per pair"), std::string::npos);
  EXPECT_NE(svg.find("Error bars: 95% confidence intervals"), std::string::npos);
}

// The column names of the README's table headed `heading`, in order; a row naming several
// alternatives (the reference's column) is left out.
std::vector<std::string> readmeColumns(const std::string& heading) {
  std::ifstream in(WRNSIM_README);
  std::vector<std::string> columns;
  bool inside = false;
  for (std::string line; std::getline(in, line);) {
    if (line == "  " + heading) inside = true;
    if (!inside) continue;
    if (line.starts_with("  | `")) {
      const std::string cell = line.substr(4, line.find(" |", 4) - 4);
      if (cell.find(',') == std::string::npos && cell.find(" or ") == std::string::npos) {
        columns.push_back(cell.substr(1, cell.size() - 2));
      }
    } else if (!columns.empty() && !line.starts_with("  |")) {
      break;
    }
  }
  return columns;
}

TEST(Sweep, CsvColumnsAreThoseTheReadmeLists) {
  ScratchDirectory dir("lab-columns");
  const std::string ring = dir.write("ring.con", kRing);
  const auto outcome = runLab({"sweep", "--topology", ring, "--loads", "0.5", "--seeds", "2",
                               "--calls", "50", "--csv", dir.file("s.csv"), "--svg",
                               dir.file("s.svg"), "--runs-csv", dir.file("runs.csv")});
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  const std::vector<std::string> sweep = readmeColumns("Sweep CSV:");
  const std::vector<std::string> runs = readmeColumns("Runs CSV:");
  ASSERT_GT(sweep.size(), 10u);
  ASSERT_GT(runs.size(), 10u);
  EXPECT_EQ(csvRows(ScratchDirectory::read(dir.file("s.csv"))).front(), sweep);
  EXPECT_EQ(csvRows(ScratchDirectory::read(dir.file("runs.csv"))).front(), runs);
  // A share is never named as a count.
  for (const std::string& column : sweep) {
    EXPECT_TRUE(std::find(runs.begin(), runs.end(), column) == runs.end() ||
                column.find("no_") == std::string::npos)
        << column;
  }
}

TEST(Sweep, JobLinesRunSeparatelyAndCollectedGiveTheSameCsv) {
  ScratchDirectory dir("lab-jobs");
  const std::string ring = dir.write("ring.con", kRing);
  std::vector<std::string> grid = {"--topology", ring};
  grid.insert(grid.end(), kGrid.begin(), kGrid.end());
  auto sweep = grid;
  sweep.insert(sweep.begin(), "sweep");
  sweep.insert(sweep.end(), {"--csv", dir.file("direct.csv"), "--svg", dir.file("direct.svg")});
  ASSERT_EQ(runLab(sweep).status, 0);
  auto jobs = sweep;
  jobs.insert(jobs.end(), {"--jobs-file", dir.file("jobs.txt"), "--results-dir", dir.file("")});
  ASSERT_EQ(runLab(jobs).status, 0);
  std::istringstream lines(ScratchDirectory::read(dir.file("jobs.txt")));
  std::vector<std::string> results;
  for (std::string line; std::getline(lines, line);) {
    std::istringstream words(line);
    std::vector<std::string> args;
    for (std::string word; words >> word;) args.push_back(word);
    ASSERT_GE(args.size(), 3u);
    EXPECT_EQ(args[1], "run");
    EXPECT_NE(std::find(args.begin(), args.end(), "--json"), args.end());
    results.push_back(args.back());
    const auto outcome = runLab(std::vector<std::string>(args.begin() + 1, args.end()));
    ASSERT_EQ(outcome.status, 0) << line << "\n" << outcome.err;
  }
  ASSERT_EQ(results.size(), 12u);
  std::vector<std::string> collect = {"collect", "--csv", dir.file("collected.csv"), "--svg",
                                      dir.file("collected.svg")};
  collect.insert(collect.end(), results.begin(), results.end());
  const auto collected = runLab(collect);
  ASSERT_EQ(collected.status, 0) << collected.err;
  // The same rows; the comment lines say which command made each.
  EXPECT_EQ(csvRows(ScratchDirectory::read(dir.file("collected.csv"))),
            csvRows(ScratchDirectory::read(dir.file("direct.csv"))));
  const std::string direct = ScratchDirectory::read(dir.file("direct.csv"));
  EXPECT_TRUE(direct.starts_with("# wrnsim-lab ")) << direct;
  EXPECT_NE(direct.find("# command: wrnsim-lab sweep"), std::string::npos) << direct;
  EXPECT_NE(direct.find(" sha256 "), std::string::npos) << direct;
}

// Traffic for every pair alike, and from a matrix scaled to each load.
TEST(Sweep, RecordsKeepEveryRunWholeAndCollectGivesTheSameRows) {
  ScratchDirectory dir("lab-sweep-records");
  const std::string ring = dir.write("ring.con", kRing);
  const std::string matrix = dir.write("matrix.csv", "0,3,1.0\n1,4,0.5\n4,2,2.0\n");
  for (const bool fromMatrix : {false, true}) {
    SCOPED_TRACE(fromMatrix ? "matrix" : "all pairs");
    const std::string records = dir.file(fromMatrix ? "matrix-records" : "records");
    std::filesystem::create_directories(records);
    std::vector<std::string> args = {"sweep",           "--topology",      ring,
                                     "--csv",           dir.file("s.csv"), "--svg",
                                     dir.file("s.svg"), "--records",       records};
    args.insert(args.end(), kGrid.begin(), kGrid.end());
    if (fromMatrix) args.insert(args.end(), {"--traffic", matrix});
    const auto outcome = runLab(args);
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    std::vector<std::string> collect = {"collect", "--csv", dir.file("c.csv"), "--svg",
                                        dir.file("c.svg")};
    std::size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(records)) {
      const std::string text = ScratchDirectory::read(entry.path().string());
      EXPECT_NE(text.find("\"pairs\""), std::string::npos);
      EXPECT_NE(text.find("\"mean_occupancy\""), std::string::npos);
      collect.push_back(entry.path().string());
      ++count;
    }
    EXPECT_EQ(count, 12u);
    const auto collected = runLab(collect);
    ASSERT_EQ(collected.status, 0) << collected.err;
    EXPECT_EQ(csvRows(ScratchDirectory::read(dir.file("c.csv"))),
              csvRows(ScratchDirectory::read(dir.file("s.csv"))));
  }
}

TEST(Sweep, CausesChartHasAPanelPerCauseThatBlockedAnyCall) {
  ScratchDirectory dir("lab-sweep-causes");
  const std::string ring = dir.write("ring.con", kRing);
  std::vector<std::string> args = {"sweep",
                                   "--topology",
                                   ring,
                                   "--csv",
                                   dir.file("s.csv"),
                                   "--svg",
                                   dir.file("s.svg"),
                                   "--svg-causes",
                                   dir.file("causes.svg"),
                                   "--threads",
                                   "2"};
  args.insert(args.end(), kGrid.begin(), kGrid.end());
  const auto outcome = runLab(args);
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  const std::string svg = ScratchDirectory::read(dir.file("causes.svg"));
  // Two wavelengths on one fibre with fresh views: the assignment blocks, the live network
  // never refuses.
  EXPECT_NE(svg.find(">No free wavelength (type 0)<"), std::string::npos);
  EXPECT_EQ(svg.find(">Update error, stale view"), std::string::npos);
  EXPECT_EQ(svg.find(">Without a path<"), std::string::npos);
}

TEST(Sweep, CollectRefusesRunsThatDoNotBelongTogether) {
  ScratchDirectory dir("lab-collect-mixtures");
  const std::string ring = dir.write("ring.con", kRing);
  // The same ring, its rows written in another way: the same network as loaded.
  const std::string same = dir.write("same.con", kRing + "\n");
  const std::string line = dir.write("line.con", "linea\n*tabla: ;\n*- 0 -;\n*0 - 0;\n*- 0 -;\n");
  auto runTo = [&](const std::string& name, const std::string& topology,
                   std::vector<std::string> extra) {
    std::vector<std::string> args = {
        "run", "--topology", topology, "--all-pairs", "--load", "0.3",         "--mean-holding",
        "8",   "--calls",    "50",     "--json",      "-o",     dir.file(name)};
    args.insert(args.end(), extra.begin(), extra.end());
    const auto outcome = runLab(args);
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    return dir.file(name);
  };
  const std::string base = runTo("base.json", ring, {});
  const std::vector<std::pair<std::string, std::string>> refused = {
      {runTo("line.json", line, {"--seed", "2"}), "different networks"},
      {runTo("lambdas.json", ring, {"--seed", "2", "--lambdas", "4"}), "different settings"},
      {runTo("holding.json", ring, {"--seed", "2", "--holding", "fixed"}), "different traffic"},
      {runTo("warm.json", ring, {"--seed", "2", "--warmup", "10"}), "different warm-ups"},
      {runTo("again.json", same, {}), "seed 1 twice"},
  };
  for (const auto& [other, mention] : refused) {
    const auto outcome =
        runLab({"collect", base, other, "--csv", dir.file("c.csv"), "--svg", dir.file("c.svg")});
    EXPECT_EQ(outcome.status, 2) << other;
    EXPECT_NE(outcome.err.find(mention), std::string::npos) << outcome.err;
    EXPECT_FALSE(std::filesystem::exists(dir.file("c.csv")));
  }
  // Another seed of the same network, given in another file, merges.
  const auto merged = runLab({"collect", base, runTo("seed2.json", same, {"--seed", "2"}), "--csv",
                              dir.file("c.csv"), "--svg", dir.file("c.svg")});
  EXPECT_EQ(merged.status, 0) << merged.err;
}

}  // namespace
}  // namespace lab

// The lab's accounts per cause, pair and link: they add up to the totals, agree with the
// console's report, follow the warm-up, and give a link's occupancy over time.
#include "experiment/run_account.h"

#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <tuple>

#include "experiment/blocking_curve.h"
#include "experiment/experiment.h"

namespace experiment {
namespace {

const std::string kTwoNodes = "par\n*tabla: ;\n*- 0;\n*0 -;\n";

const std::string kNsfnet =
    "NSFNET\n*tabla: ;\n"
    "*- 0 0 - - - - 0 - - - - - -;\n*0 - 0 0 - - - - - - - - - -;\n"
    "*0 0 - - - 0 - - - - - - - -;\n*- 0 - - 0 - - - - - 0 - - -;\n"
    "*- - - 0 - 0 0 - - - - - - -;\n*- - 0 - 0 - - - - 0 - - - 0;\n"
    "*- - - - 0 - - 0 - - - - - -;\n*0 - - - - - 0 - 0 - - - - -;\n"
    "*- - - - - - - 0 - 0 - 0 0 -;\n*- - - - - 0 - - 0 - - - - -;\n"
    "*- - - 0 - - - - - - - 0 0 -;\n*- - - - - - - - 0 - 0 - - 0;\n"
    "*- - - - - - - - 0 - 0 - - 0;\n*- - - - - 0 - - - - - 0 0 -;\n";

// Two calls on one link of two wavelengths: the first holds a fibre for ticks 0 to 9, the
// second (read at tick 1, starting 5 ticks after the first) for ticks 5 to 14. The source
// finds its list empty at tick 16, the run's last.
ExperimentPlan twoCallsOnOneLink(std::int64_t warmup) {
  ExperimentPlan plan;
  plan.topology = kTwoNodes;
  plan.config.lambdaCount = 2;
  plan.config.fiberCount = 1;
  plan.sources.push_back(SourcePlan{0, 1, "0\t10\n5\t10\n"});
  plan.warmup = warmup;
  return plan;
}

TEST(RunAccount, OccupancyIsBusyFibreTicksOverCapacityAndCountedTicks) {
  const ExperimentResult all = runExperiment(twoCallsOnOneLink(0));
  ASSERT_EQ(all.summary.ticks, 17);
  EXPECT_EQ(all.countedTicks, 17);
  ASSERT_EQ(all.links.size(), 2u);
  // 10 + 10 busy fibre-ticks over 2 wavelength-fibres and 17 ticks; both directions share
  // their fibres.
  for (const LinkAccount& link : all.links) EXPECT_DOUBLE_EQ(link.meanOccupancy, 20.0 / 34.0);
  EXPECT_EQ(all.offered, 2);
  EXPECT_EQ(all.carried, 2);

  // From tick 5: the first call counts no more, its fibre still does for ticks 5 to 9.
  const ExperimentResult warm = runExperiment(twoCallsOnOneLink(5));
  EXPECT_EQ(warm.countedTicks, 12);
  EXPECT_EQ(warm.offered, 1);
  ASSERT_EQ(warm.pairs.size(), 1u);
  EXPECT_EQ(warm.pairs[0].calls.offered, 1);
  for (const LinkAccount& link : warm.links) EXPECT_DOUBLE_EQ(link.meanOccupancy, 15.0 / 24.0);
}

// The report's entries of types 0 to 3, by (type, first, second).
std::map<std::tuple<int, int, int>, std::int64_t> reportEntries(const std::string& trace) {
  std::map<std::tuple<int, int, int>, std::int64_t> entries;
  const std::string report = trace.substr(trace.rfind("-Bloqueos Tipo 0"));
  const std::regex type("-Bloqueos Tipo ([0-9])");
  const std::regex entry("\t  (-?[0-9]+) - (-?[0-9]+) : ([0-9]+);");
  int current = -1;
  std::istringstream lines(report);
  for (std::string line; std::getline(lines, line);) {
    std::smatch match;
    if (std::regex_search(line, match, type)) current = std::stoi(match[1]);
    for (auto it = std::sregex_iterator(line.begin(), line.end(), entry);
         current >= 0 && current < 4 && it != std::sregex_iterator(); ++it) {
      entries[{current, std::stoi((*it)[1]), std::stoi((*it)[2])}] += std::stoll((*it)[3]);
    }
  }
  return entries;
}

TEST(RunAccount, PairsAndLinksAddUpAndAgreeWithTheConsoleReport) {
  ExperimentPlan plan;
  plan.topology = kNsfnet;
  plan.config.lambdaCount = 2;
  plan.config.fiberCount = 1;
  plan.config.updateInterval = 7;
  TrafficModel traffic;
  traffic.count = 60;
  traffic.meanGap = 2.0;
  traffic.meanHolding = 12.0;
  plan.allPairs = traffic;
  std::ostringstream trace;
  const ExperimentResult result = runExperiment(plan, &trace);
  ASSERT_GT(result.blocked, 0);
  ASSERT_GT(result.causes.updateErrorCalls, 0) << "stale views should refuse some hops";

  CallCounts sum;
  for (const PairAccount& pair : result.pairs) {
    sum.offered += pair.calls.offered;
    sum.carried += pair.calls.carried;
    sum.blocked += pair.calls.blocked;
    sum.causes.updateErrorHops += pair.calls.causes.updateErrorHops;
    for (std::size_t type = 0; type < 4; ++type) {
      sum.causes.assignment[type] += pair.calls.causes.assignment[type];
    }
  }
  EXPECT_EQ(result.pairs.size(), 14u * 13u);
  EXPECT_EQ(sum.offered, result.offered);
  EXPECT_EQ(sum.carried, result.carried);
  EXPECT_EQ(sum.blocked, result.blocked);
  EXPECT_EQ(result.offered, result.summary.callsStarted);
  EXPECT_EQ(result.offered, result.carried + result.blocked);
  EXPECT_EQ(sum.causes.updateErrorHops, result.summary.blockingTotals[calls::kUpdateError]);

  std::map<std::tuple<int, int, int>, std::int64_t> fromLinks;
  std::int64_t refusedAtLinks = 0;
  for (const LinkAccount& link : result.links) {
    for (std::size_t type = 0; type < 4; ++type) {
      if (link.blockingEvents[type] > 0) {
        fromLinks[{static_cast<int>(type), link.from, link.to}] = link.blockingEvents[type];
      }
      EXPECT_GE(link.meanOccupancy, 0.0);
      EXPECT_LE(link.meanOccupancy, 1.0);
    }
    refusedAtLinks += link.updateErrorHops;
  }
  EXPECT_EQ(fromLinks, reportEntries(trace.str()));
  EXPECT_EQ(refusedAtLinks, result.causes.updateErrorHops);
  for (std::size_t type = 0; type < 4; ++type) {
    EXPECT_EQ(sum.causes.assignment[type], result.summary.blockingTotals[type]) << type;
  }
}

// A run of a point whose blocked calls are split between no wavelength and update errors.
SeedRun seedRun(std::uint64_t seed, std::int64_t offered, std::int64_t noWavelength,
                std::int64_t updateErrors) {
  SeedRun run;
  run.key = PointKey{1.0, 2, 0};
  run.seed = seed;
  run.offered = offered;
  run.blocked = noWavelength + updateErrors;
  run.carried = offered - run.blocked;
  if (offered > 0) run.blocking = static_cast<double>(run.blocked) / static_cast<double>(offered);
  run.causes.assignment[calls::kNoWavelength] = noWavelength;
  run.causes.updateErrorCalls = updateErrors;
  return run;
}

TEST(RunAccount, ARunWithoutOfferedCallsHasNoBlockingProbabilityAndIsLeftOutOfMeans) {
  // Every call starts before a warm-up that outlasts the run.
  ExperimentPlan plan = twoCallsOnOneLink(1'000'000);
  const ExperimentResult result = runExperiment(plan);
  EXPECT_EQ(result.offered, 0);
  EXPECT_FALSE(result.blockingProbability.has_value());

  const std::vector<CurvePoint> points =
      curvePoints({seedRun(1, 0, 0, 0), seedRun(2, 10, 2, 0), seedRun(3, 10, 1, 3)});
  ASSERT_EQ(points.size(), 1u);
  EXPECT_TRUE(points[0].measured);
  EXPECT_DOUBLE_EQ(points[0].meanBlocking, 0.3);
  EXPECT_EQ(points[0].runsWithoutOffered, 1);
  EXPECT_EQ(points[0].seeds, 3);
  // Each cause's mean share over the same two runs; together they are the mean blocking.
  EXPECT_DOUBLE_EQ(points[0].meanCauseShares[0], 0.15);
  EXPECT_DOUBLE_EQ(points[0].meanCauseShares[5], 0.15);

  const std::vector<CurvePoint> none = curvePoints({seedRun(1, 0, 0, 0)});
  EXPECT_FALSE(none[0].measured);
  std::ostringstream csv;
  writeCurveCsv(csv, none);
  EXPECT_NE(csv.str().find("\n2,0,1,1,0,0,,,,1,,,,,,,,,,most-free\n"), std::string::npos) << csv.str();

  std::ostringstream runs;
  writeRunsCsv(runs, {seedRun(1, 0, 0, 0), seedRun(3, 10, 1, 3)});
  EXPECT_EQ(runs.str(),
            "policy,interval,load,seed,offered,carried,blocked,blocking,no_wavelength,"
            "no_regenerator,no_wavelength_no_regenerator,no_wavelength_with_regenerator,"
            "assignment_without_cause,update_error,without_path,no_assignment,policy_error,"
            "run_seconds,wavelength_policy,routing_seconds\n"
            "2,0,1,1,0,0,0,,0,0,0,0,0,0,0,0,0,0,most-free,\n"
            "2,0,1,3,10,6,4,0.4,1,0,0,0,0,3,0,0,0,0,most-free,\n");
}

}  // namespace
}  // namespace experiment

// What a map takes from run records: rates per counted tick with update errors counted, the
// mean of several records of one point, and records that must not be averaged refused.
#include "lab/map_result.h"

#include <gtest/gtest.h>

#include "lab/commands.h"

namespace {

// A line 0-1-2, linked both ways.
lab::MapNetwork line() {
  lab::MapNetwork network;
  network.nodes = 3;
  network.links = {{0, 1}, {1, 2}};
  network.directed = {{0, 1}, {1, 0}, {1, 2}, {2, 1}};
  return network;
}

nlohmann::json link(int from, int to, int noWavelength, int refusedHops, double occupancy) {
  return {{"from", from},
          {"to", to},
          {"blocking_events",
           {{"no_wavelength", noWavelength},
            {"no_regenerator", 0},
            {"no_wavelength_no_regenerator", 0},
            {"no_wavelength_with_regenerator", 0}}},
          {"update_error_hops", refusedHops},
          {"mean_occupancy", occupancy}};
}

// A run of seed `seed` over `ticks` counted ticks: the assignment blocked `assignment` calls
// at 0->1, the live network refused `refused` hops at 2->1; node 0 blocked `blocked` of its
// 10 calls, node 1 offered none.
nlohmann::json record(std::uint64_t seed, std::int64_t ticks, int assignment, int refused,
                      int blocked) {
  return {{"nodes", 3},
          {"settings",
           {{"lambdas", 4}, {"paths", 2}, {"policy", 2}, {"interval", 50}, {"routing", "console"}}},
          {"traffic", {{"pairs", "all"}, {"load", 0.3}, {"mean_gap", 35.0}, {"seed", seed}}},
          {"warmup", 0},
          {"counted_ticks", ticks},
          {"links",
           {link(0, 1, assignment, 0, 0.5), link(1, 0, 0, 0, 0.5), link(1, 2, 0, 0, 0.25),
            link(2, 1, 0, refused, 0.25)}},
          {"pairs",
           {{{"origin", 0}, {"destination", 2}, {"offered", 10}, {"blocked", blocked}},
            {{"origin", 2}, {"destination", 0}, {"offered", 10}, {"blocked", 0}}}}};
}

TEST(MapResult, RatesCountUpdateErrorsAndAverageTheRecords) {
  const lab::MapResult one = lab::mapResultOf({{"a.json", record(1, 100, 10, 30, 5)}}, line(),
                                              lab::LinkMeasure::kBlocking);
  ASSERT_EQ(one.links.size(), 2U);
  EXPECT_DOUBLE_EQ(one.links[0].assignment, 0.1);
  EXPECT_DOUBLE_EQ(one.links[0].updateErrors, 0.0);
  // The link where only the live network refused hops has a rate of its own.
  EXPECT_DOUBLE_EQ(one.links[1].updateErrors, 0.3);
  EXPECT_DOUBLE_EQ(lab::linkValue(one.links[1], lab::LinkMeasure::kBlocking), 0.3);
  EXPECT_DOUBLE_EQ(lab::linkValue(one.links[1], lab::LinkMeasure::kAssignment), 0.0);
  EXPECT_DOUBLE_EQ(lab::linkValue(one.links[0], lab::LinkMeasure::kUpdateErrors), 0.0);
  EXPECT_DOUBLE_EQ(lab::linkValue(one.links[0], lab::LinkMeasure::kOccupancy), 0.5);
  EXPECT_DOUBLE_EQ(*one.originBlocking[0], 0.5);
  EXPECT_FALSE(one.originBlocking[1]);

  // Rates of runs of different lengths: 10 in 100 ticks and 40 in 200 average to 0.15.
  const lab::MapResult two = lab::mapResultOf(
      {{"a.json", record(1, 100, 10, 30, 5)}, {"b.json", record(2, 200, 40, 20, 1)}}, line(),
      lab::LinkMeasure::kBlocking);
  EXPECT_EQ(two.runs, 2);
  EXPECT_EQ(two.seeds, (std::vector<std::uint64_t>{1, 2}));
  EXPECT_DOUBLE_EQ(two.links[0].assignment, 0.15);
  EXPECT_DOUBLE_EQ(two.links[1].updateErrors, 0.2);
  EXPECT_DOUBLE_EQ(two.links[1].occupancy, 0.25);
  EXPECT_DOUBLE_EQ(*two.originBlocking[0], 0.3);
  EXPECT_DOUBLE_EQ(*two.originBlocking[2], 0.0);
}

TEST(MapResult, MarksOnlyPairsWithoutAnyPath) {
  nlohmann::json run = record(1, 100, 0, 0, 0);
  run["pairs"][0]["distinct_candidate_paths"] = 1;  // short of the 2 asked
  run["pairs"][0]["search_limited"] = true;
  run["pairs"][1]["distinct_candidate_paths"] = 0;
  const lab::MapResult result =
      lab::mapResultOf({{"a.json", run}}, line(), lab::LinkMeasure::kBlocking);
  EXPECT_EQ(result.shortPairs, (std::vector<std::int64_t>{1, 0, 1}));
  EXPECT_EQ(result.limitedPairs, (std::vector<std::int64_t>{1, 0, 0}));
  EXPECT_EQ(result.pathlessPairs, (std::vector<std::int64_t>{0, 0, 1}));
}

// The refusal's message, or "" when the records were taken.
std::string refusal(const std::vector<lab::RunRecordFile>& records) {
  try {
    lab::mapResultOf(records, line(), lab::LinkMeasure::kBlocking);
  } catch (const lab::UsageError& error) {
    return error.what();
  }
  return "";
}

TEST(MapResult, RefusesRecordsOfDifferentPointsAndTheSameRunTwice) {
  const nlohmann::json base = record(1, 100, 10, 30, 5);
  auto changed = [&](const nlohmann::json::json_pointer& at, const nlohmann::json& value) {
    nlohmann::json other = record(2, 100, 10, 30, 5);
    other[at] = value;
    return other;
  };
  const std::vector<std::pair<nlohmann::json, std::string>> cases = {
      {changed("/traffic/load"_json_pointer, 0.4), "different loads: 0.3 and 0.4"},
      {changed("/settings/policy"_json_pointer, 4), "different policies: 2 and 4"},
      {changed("/settings/interval"_json_pointer, 0), "different intervals: 50 and 0"},
      {changed("/settings/lambdas"_json_pointer, 8), "different settings"},
      {changed("/warmup"_json_pointer, 10), "different warm-ups"},
      {changed("/traffic/mean_holding"_json_pointer, 20), "different traffic"},
      {record(1, 300, 2, 2, 2), "hold the same run (seed 1)"},
      {base, "hold the same run"},
  };
  for (const auto& [other, message] : cases) {
    const std::string why = refusal({{"a.json", base}, {"b.json", other}});
    EXPECT_NE(why.find("'a.json' and 'b.json'"), std::string::npos) << why;
    EXPECT_NE(why.find(message), std::string::npos) << why;
  }
  nlohmann::json elsewhere = record(2, 100, 10, 30, 5);
  nlohmann::json here = base;
  here["provenance"] = {{"network_sha256", "ab"}};
  elsewhere["provenance"] = {{"network_sha256", "cd"}};
  EXPECT_NE(refusal({{"a.json", here}, {"b.json", elsewhere}}).find("different networks"),
            std::string::npos);
  EXPECT_NE(refusal({{"a.json", base}, {"a.json", record(2, 100, 10, 30, 5)}}).find("one file"),
            std::string::npos);
  // A record of another network is refused on its own, naming it.
  nlohmann::json bigger = record(2, 100, 10, 30, 5);
  bigger["nodes"] = 4;
  EXPECT_NE(
      refusal({{"a.json", base}, {"b.json", bigger}}).find("'b.json' is a run on a network of 4"),
      std::string::npos);
}

}  // namespace

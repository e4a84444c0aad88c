// Policies given to a run through the public interface: every wrong answer blocks its call
// as a policy error and takes nothing from the network, stated and unstated refusals are
// counted under their causes, a policy written again through the interface decides as the
// built-in one, and a policy that throws stops the run naming itself and the call.
#include <gtest/gtest.h>

#include <functional>
#include <span>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "experiment/experiment.h"
#include "experiment/traffic_model.h"
#include "network/link_table.h"
#include "policy/policy.h"
#include "run/policy_makers.h"

namespace experiment {
namespace {

// Nodes 0-1-2 in a line, no regenerators.
const std::string kLine = "linea\n*tabla: ;\n*- 0 -;\n*0 - 0;\n*- 0 -;\n";

const std::string kNsfnet =
    "NSFNET\n*tabla: ;\n"
    "*- 0 0 - - - - 0 - - - - - -;\n*0 - 0 0 - - - - - - - - - -;\n"
    "*0 0 - - - 0 - - - - - - - -;\n*- 0 - - 0 - - - - - 0 - - -;\n"
    "*- - - 0 - 0 0 - - - - - - -;\n*- - 0 - 0 - - - - 0 - - - 0;\n"
    "*- - - - 0 - - 0 - - - - - -;\n*0 - - - - - 0 - 0 - - - - -;\n"
    "*- - - - - - - 0 - 0 - 0 0 -;\n*- - - - - 0 - - 0 - - - - -;\n"
    "*- - - 0 - - - - - - - 0 0 -;\n*- - - - - - - - 0 - 0 - - 0;\n"
    "*- - - - - - - - 0 - 0 - - 0;\n*- - - - - 0 - - - - - 0 0 -;\n";

using Assign = std::function<bool(const wrnsim::WavelengthRequest&, wrnsim::HopAnswer&)>;
using Choose = std::function<std::int32_t(const wrnsim::PathRequest&)>;

class FunctionWavelengths : public wrnsim::WavelengthPolicy {
 public:
  explicit FunctionWavelengths(Assign assign) : assign_(std::move(assign)) {}
  bool assign(const wrnsim::WavelengthRequest& request, wrnsim::HopAnswer& answer) override {
    return assign_(request, answer);
  }

 private:
  Assign assign_;
};

class FunctionPaths : public wrnsim::PathPolicy {
 public:
  explicit FunctionPaths(Choose choose) : choose_(std::move(choose)) {}
  std::int32_t choosePath(const wrnsim::PathRequest& request) override { return choose_(request); }

 private:
  Choose choose_;
};

void useWavelengths(ExperimentPlan& plan, const std::string& name, Assign assign) {
  plan.policies.wavelengthName = name;
  plan.policies.wavelength = [assign](const wrnsim::Settings&) {
    return std::make_unique<FunctionWavelengths>(assign);
  };
}

void usePaths(ExperimentPlan& plan, const std::string& name, Choose choose) {
  plan.policies.pathName = name;
  plan.policies.path = [choose](const wrnsim::Settings&) {
    return std::make_unique<FunctionPaths>(choose);
  };
}

// Calls 0 to 2 one after another on 0-1-2, two wavelengths, one fibre: each free for its
// whole path when it starts.
ExperimentPlan lineRun() {
  ExperimentPlan plan;
  plan.topology = kLine;
  plan.config.lambdaCount = 2;
  plan.config.fiberCount = 1;
  plan.sources.push_back(SourcePlan{0, 2, "0\t3\n10\t3\n10\t3\n"});
  return plan;
}

// The same wavelength on every hop.
bool sameOnEvery(const wrnsim::WavelengthRequest& request, wrnsim::HopAnswer& answer,
                 std::int32_t wavelength) {
  for (std::size_t k = 0; k < request.view.paths()[request.path].hopCount(); ++k)
    answer.add(wavelength);
  return true;
}

struct WrongAnswer {
  const char* name;
  Assign assign;
  // The hop at fault, as the link accounts key it; none for a fault of the whole answer.
  std::pair<std::int32_t, std::int32_t> link;
  const char* said;
};

TEST(PolicyDoor, EveryWrongAssignmentIsAPolicyErrorThatTakesNothing) {
  const WrongAnswer wrong[] = {
      {"outside",
       [](const auto& r, auto& a) { return sameOnEvery(r, a, 2); },
       {0, 1},
       "gave hop 0 (0-1) wavelength 2, outside 0 to 1"},
      {"short",
       [](const auto&, auto& a) {
         a.add(0);
         return true;
       },
       {-1, -1},
       "answered 1 hops for a path of 2"},
      {"long",
       [](const auto&, auto& a) {
         for (int k = 0; k < 5; ++k) a.add(0);
         return true;
       },
       {-1, -1},
       "answered 5 hops for a path of 2"},
      {"changes",
       [](const auto&, auto& a) {
         a.add(0);
         a.add(1);
         return true;
       },
       {1, 2},
       "changed to wavelength 1 at hop 1 (1-2) without a regenerator"},
      {"regenerates",
       [](const auto&, auto& a) {
         a.add(0);
         a.add(1, true);
         return true;
       },
       {1, 2},
       "regenerates at hop 1 (1-2), where the view shows no free regenerator"},
      {"blocks-nowhere",
       [](const auto&, auto& a) {
         a.blockAt(7, wrnsim::Blocking::kNoWavelength);
         return false;
       },
       {-1, -1},
       "blocked at hop 7 of a path of 2 hops"},
  };
  for (const WrongAnswer& answer : wrong) {
    ExperimentPlan plan = lineRun();
    useWavelengths(plan, answer.name, answer.assign);
    const ExperimentResult result = runExperiment(plan);
    EXPECT_EQ(result.offered, 3) << answer.name;
    EXPECT_EQ(result.carried, 0) << answer.name;
    EXPECT_EQ(result.causes.policyError, 3) << answer.name;
    EXPECT_EQ(result.pairs.at(0).calls.causes.policyError, 3) << answer.name;
    EXPECT_EQ(result.summary.policyErrors, 3) << answer.name;
    EXPECT_EQ(result.summary.firstPolicyError,
              std::string("wavelength policy ") + answer.name +
                  ", call 0 of source 0 (pair 0-2, tick 0): " + answer.said);
    for (const LinkAccount& link : result.links) {
      EXPECT_EQ(link.meanOccupancy, 0.0) << answer.name;
      const bool atFault = std::pair(link.from, link.to) == answer.link;
      EXPECT_EQ(link.policyErrors, atFault ? 3 : 0)
          << answer.name << " " << link.from << "-" << link.to;
    }
  }
}

TEST(PolicyDoor, AWavelengthTheViewShowsBusyIsAPolicyErrorAndTheRunGoesOn) {
  // One wavelength: the second call starts while the first holds it.
  ExperimentPlan plan = lineRun();
  plan.config.lambdaCount = 1;
  plan.sources[0].calls = "0\t20\n5\t3\n30\t3\n";
  useWavelengths(plan, "zero", [](const auto& r, auto& a) { return sameOnEvery(r, a, 0); });
  const ExperimentResult result = runExperiment(plan);
  EXPECT_EQ(result.carried, 2);
  EXPECT_EQ(result.causes.policyError, 1);
  EXPECT_EQ(result.summary.firstPolicyError,
            "wavelength policy zero, call 1 of source 0 (pair 0-2, tick 5): gave hop 0 (0-1) "
            "wavelength 0, which the view shows without a free fibre");
}

TEST(PolicyDoor, PathAnswersOutsideTheCandidatesArePolicyErrorsAndNoPathIsWithoutPath) {
  ExperimentPlan plan = lineRun();
  usePaths(plan, "past-the-end", [](const wrnsim::PathRequest& r) {
    return static_cast<std::int32_t>(r.view.paths().size());
  });
  ExperimentResult result = runExperiment(plan);
  EXPECT_EQ(result.causes.policyError, 3);
  EXPECT_EQ(result.causes.withoutPath, 0);
  EXPECT_EQ(result.summary.firstPolicyError,
            "path policy past-the-end, call 0 of source 0 (pair 0-2, tick 0): answered path 2, "
            "but the candidates are 0 to 1 (-1 for none)");
  for (const LinkAccount& link : result.links) EXPECT_EQ(link.policyErrors, 0);

  plan = lineRun();
  usePaths(plan, "none", [](const wrnsim::PathRequest&) { return wrnsim::kNoPath; });
  result = runExperiment(plan);
  EXPECT_EQ(result.causes.withoutPath, 3);
  EXPECT_EQ(result.causes.policyError, 0);
}

TEST(PolicyDoor, RefusalsCountUnderTheirCauseOrAsNoAssignment) {
  ExperimentPlan plan = lineRun();
  useWavelengths(plan, "unstated", [](const auto&, auto&) { return false; });
  ExperimentResult result = runExperiment(plan);
  EXPECT_EQ(result.causes.noAssignment, 3);
  EXPECT_EQ(result.causes.policyError, 0);
  EXPECT_EQ(result.blocked, 3);

  plan = lineRun();
  useWavelengths(plan, "stated", [](const auto&, wrnsim::HopAnswer& a) {
    a.blockAt(1, wrnsim::Blocking::kNoRegenerator);
    return false;
  });
  result = runExperiment(plan);
  EXPECT_EQ(result.causes.assignment[1], 3);
  EXPECT_EQ(result.summary.blockingTotals[1], 3);
  for (const LinkAccount& link : result.links) {
    EXPECT_EQ(link.blockingEvents[1], link.from == 1 && link.to == 2 ? 3 : 0);
  }
}

TEST(PolicyDoor, TheViewShowsTheCandidatesTheirLinksAndTheirAge) {
  ExperimentPlan plan;
  plan.topology = kNsfnet;
  plan.config.lambdaCount = 4;
  plan.config.updateInterval = 7;
  plan.allPairs = TrafficModel{};
  plan.allPairs->count = 20;
  plan.allPairs->meanGap = 5.0;
  std::int64_t calls = 0;
  std::int64_t oldest = 0;
  usePaths(plan, "checks", [&](const wrnsim::PathRequest& r) {
    ++calls;
    oldest = std::max(oldest, r.view.age());
    EXPECT_LT(r.view.age(), 7);
    EXPECT_FALSE(r.view.paths().empty());
    for (std::size_t p = 0; p < r.view.paths().size(); ++p) {
      const wrnsim::CandidatePath& path = r.view.paths()[p];
      EXPECT_EQ(path.nodes.front(), r.call.origin);
      EXPECT_EQ(path.nodes.back(), r.call.destination);
      EXPECT_EQ(path.nodes.size(), path.hopCount() + 1);
      for (std::size_t k = 0; k < path.hopCount(); ++k) {
        EXPECT_EQ(r.view.link(p, k).from(), path.nodes[k]);
        EXPECT_EQ(r.view.link(p, k).to(), path.nodes[k + 1]);
        EXPECT_EQ(r.view.link(p, k).freeFibres().size(), 4u);
      }
    }
    return 0;
  });
  const ExperimentResult result = runExperiment(plan);
  EXPECT_EQ(calls, result.offered);
  EXPECT_GT(oldest, 0);
}

// A path policy that maps the tables whole, as a Python one does: every LinkView must be
// where the table it was told of puts that link.
class TablePaths : public wrnsim::PathPolicy, public run::TableReader {
 public:
  void tablesReady(std::span<const run::SourceTable> sources) override {
    tables_.assign(sources.begin(), sources.end());
    ++told_;
  }
  std::int32_t choosePath(const wrnsim::PathRequest& r) override {
    const run::SourceTable& where = tables_.at(static_cast<std::size_t>(r.call.source));
    const network::LinkTable& table = *where.table;
    EXPECT_EQ(where.linkPositions.size(), r.view.links().size());
    for (std::size_t j = 0; j < r.view.links().size(); ++j) {
      const network::Link& link = table[static_cast<std::size_t>(where.linkPositions[j])];
      const wrnsim::LinkView& seen = r.view.links()[j];
      EXPECT_EQ(seen.from(), link.from);
      EXPECT_EQ(seen.to(), link.to);
      const std::span<const std::int32_t> row = table.counters().subspan(
          static_cast<std::size_t>(link.counterArray * table.lambdaCount()),
          static_cast<std::size_t>(table.lambdaCount()));
      EXPECT_EQ(seen.freeFibres().data(), row.data());
      EXPECT_EQ(seen.freeRegenerators(), link.regenerators);
      ++checked;
    }
    return r.view.paths().empty() ? wrnsim::kNoPath : 0;
  }
  inline static int told_ = 0;
  inline static std::int64_t checked = 0;

 private:
  std::vector<run::SourceTable> tables_;
};

TEST(PolicyDoor, AReaderOfTablesIsToldWhereEveryViewLies) {
  for (const std::int32_t interval : {0, 4}) {
    ExperimentPlan plan;
    plan.topology = kNsfnet;
    plan.config.lambdaCount = 3;
    plan.config.updateInterval = interval;
    plan.allPairs = TrafficModel{};
    plan.allPairs->count = 10;
    plan.policies.pathName = "tables";
    plan.policies.path = [](const wrnsim::Settings&) { return std::make_unique<TablePaths>(); };
    plan.policies.pathReadsTables = true;
    TablePaths::told_ = 0;
    TablePaths::checked = 0;
    runExperiment(plan);
    EXPECT_EQ(TablePaths::told_, 1) << interval;
    EXPECT_GT(TablePaths::checked, 0) << interval;
    // Without the flag nothing is cast or told.
    plan.policies.pathReadsTables = false;
    EXPECT_THROW(runExperiment(plan), run::PolicyFailure);
  }
}

// Built-in policy 1 written again with the interface's view and generator alone.
std::int32_t randomAgain(const wrnsim::PathRequest& r, std::int32_t pathCount) {
  const auto count = static_cast<std::int32_t>(r.view.paths().size());
  if (count == 0) return wrnsim::kNoPath;
  const std::int32_t draw = r.random.draw();
  return draw % (pathCount >= 1 && count >= pathCount ? pathCount : count);
}

TEST(PolicyDoor, ThePolicyOneWrittenAgainDecidesAsTheBuiltInOne) {
  for (std::uint64_t seed : {1u, 2u, 3u}) {
    ExperimentPlan plan;
    plan.topology = kNsfnet;
    plan.config.lambdaCount = 4;
    plan.config.pathPolicy = 1;
    plan.config.updateInterval = 3;
    plan.allPairs = TrafficModel{};
    plan.allPairs->count = 200;
    plan.allPairs->meanGap = 2.0;
    plan.allPairs->seed = seed;
    const ExperimentResult builtIn = runExperiment(plan);
    usePaths(plan, "again", [](const wrnsim::PathRequest& r) { return randomAgain(r, 4); });
    const ExperimentResult again = runExperiment(plan);
    ASSERT_GT(builtIn.blocked, 0) << seed;
    EXPECT_EQ(again.blocked, builtIn.blocked) << seed;
    ASSERT_EQ(again.pairs.size(), builtIn.pairs.size());
    for (std::size_t i = 0; i < again.pairs.size(); ++i) {
      EXPECT_EQ(again.pairs[i].calls.carried, builtIn.pairs[i].calls.carried) << seed << " " << i;
      EXPECT_EQ(again.pairs[i].calls.causes.updateErrorCalls,
                builtIn.pairs[i].calls.causes.updateErrorCalls);
    }
  }
}

TEST(PolicyDoor, APolicyThatThrowsStopsTheRunNamingItAndTheCall) {
  ExperimentPlan plan = lineRun();
  useWavelengths(plan, "thrower", [](const wrnsim::WavelengthRequest& r, auto&) -> bool {
    if (r.call.number == 1) throw std::runtime_error("out of ideas");
    return false;
  });
  try {
    runExperiment(plan);
    FAIL() << "the run went on";
  } catch (const run::PolicyFailure& failure) {
    EXPECT_STREQ(failure.what(),
                 "wavelength policy thrower threw at call 1 of source 0 (pair 0-2, tick 10): out "
                 "of ideas");
  }

  plan = lineRun();
  plan.policies.pathName = "picky";
  plan.policies.path = [](const wrnsim::Settings& settings) -> std::unique_ptr<wrnsim::PathPolicy> {
    throw std::invalid_argument("needs 8 wavelengths, not " + std::to_string(settings.wavelengths));
  };
  try {
    runExperiment(plan);
    FAIL() << "the run went on";
  } catch (const run::PolicyFailure& failure) {
    EXPECT_STREQ(failure.what(),
                 "path policy picky could not be made for the run's settings: needs 8 wavelengths, "
                 "not 2");
  }
}

}  // namespace
}  // namespace experiment

// The first_fit example: the lowest wavelength free end to end, else the built-in rule's
// hop by hop conversion with its blocking causes; every answer must pass the run's checks.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "calls/blocking_stats.h"
#include "calls/wavelength_assignment.h"
#include "hand_built_view.h"
#include "network/link_table.h"
#include "plugin_entry.h"
#include "support/test_console.h"

namespace policy_tests {
namespace {

using wrnsim::Blocking;

constexpr wrnsim::Call kCall{0, 3, 0, 0, 0};

wrnsim::Settings withWavelengths(std::int32_t wavelengths) {
  wrnsim::Settings settings;
  settings.wavelengths = wavelengths;
  settings.fibres = 2;
  settings.paths = 2;
  return settings;
}

struct Answered {
  bool assigned = false;
  std::vector<wrnsim::HopChoice> hops;
  Blocking blocking = Blocking::kUnstated;
  std::size_t blockedHop = 0;
  std::string fault;
};

Answered ask(wrnsim::WavelengthPolicy& policy, const wrnsim::PairView& view, std::size_t p,
             const wrnsim::Settings& settings) {
  std::vector<wrnsim::HopChoice> room(view.paths()[p].hopCount() + 1);
  wrnsim::HopAnswer answer(room.data(), room.size());
  wrnsim::Random random;
  Answered answered;
  answered.assigned = policy.assign({kCall, view, p, random}, answer);
  answered.hops.assign(answer.hops().begin(), answer.hops().end());
  answered.blocking = answer.blocking();
  answered.blockedHop = answer.blockedHop();
  answered.fault = answerFault(view, p, settings, answered.assigned, answer);
  return answered;
}

std::string shown(const std::vector<wrnsim::HopChoice>& hops) {
  std::string text;
  for (const wrnsim::HopChoice& hop : hops)
    text += std::to_string(hop.wavelength) + (hop.regenerate ? "r " : " ");
  return text;
}

// Four wavelengths on the path 0-1-2-3, each hop's counters and free regenerators given.
struct Hop {
  std::vector<std::int32_t> free;
  std::int32_t regenerators = 0;
};

Answered onPath(const std::vector<Hop>& hops) {
  ViewBuilder builder;
  std::vector<std::int32_t> nodes{0};
  for (std::size_t k = 0; k < hops.size(); ++k) {
    builder.link(static_cast<std::int32_t>(k), static_cast<std::int32_t>(k + 1), hops[k].free,
                 hops[k].regenerators);
    nodes.push_back(static_cast<std::int32_t>(k + 1));
  }
  builder.path(nodes);
  const wrnsim::Settings settings = withWavelengths(4);
  auto policy = exampleWavelengthPolicy("first_fit", settings);
  return ask(*policy, builder.view(), 0, settings);
}

TEST(FirstFit, TakesTheLowestWavelengthFreeOnEveryHopNotTheMostFree) {
  const Answered answered = onPath({{{0, 1, 2, 2}}, {{1, 1, 2, 2}}, {{0, 1, 2, 2}}});
  ASSERT_TRUE(answered.assigned);
  EXPECT_EQ(shown(answered.hops), "1 1 1 ");
  EXPECT_EQ(answered.fault, "");
}

TEST(FirstFit, ConvertsOnlyWhereTheWavelengthIsBusyAndARegeneratorIsFree) {
  // Kept at hop 1 although a regenerator there would give a lower one; changed at hop 2,
  // to the lowest free there.
  const Answered answered = onPath({{{0, 0, 1, 0}}, {{1, 0, 1, 0}, 1}, {{0, 1, 0, 1}, 1}});
  ASSERT_TRUE(answered.assigned);
  EXPECT_EQ(shown(answered.hops), "2 2 1r ");
  EXPECT_EQ(answered.fault, "");
}

TEST(FirstFit, StartsFromTheLowestFreeOnTheFirstHop) {
  const Answered answered = onPath({{{-1, 0, 2, 1}}, {{1, 0, 0, 1}, 1}, {{1, 0, 0, 0}, 1}});
  ASSERT_TRUE(answered.assigned);
  EXPECT_EQ(shown(answered.hops), "2 0r 0 ");
  EXPECT_EQ(answered.fault, "");
}

TEST(FirstFit, BlocksWithTheCauseAtTheHopWhereItCannotGoOn) {
  struct Case {
    const char* what;
    std::vector<Hop> hops;
    Blocking blocking;
    std::size_t hop;
  };
  const std::vector<Case> cases = {
      {"nothing free on the first hop, stale counts below 0 included",
       {{{0, -1, 0, -2}, 1}, {{1, 1, 1, 1}}},
       Blocking::kNoWavelength,
       0},
      {"a wavelength free further on, but no regenerator",
       {{{1, 0, 0, 0}}, {{1, 0, 0, 0}}, {{0, 1, 0, 0}, 0}},
       Blocking::kNoRegenerator,
       2},
      {"a regenerator counted at or below 0 is none",
       {{{1, 0, 0, 0}}, {{0, 0, 0, 1}, -1}},
       Blocking::kNoRegenerator,
       1},
      {"nothing free further on, and no regenerator",
       {{{1, 0, 0, 0}}, {{0, 0, 0, 0}, 0}, {{1, 1, 1, 1}, 1}},
       Blocking::kNoWavelengthNoRegenerator,
       1},
      {"nothing free further on, though a regenerator is",
       {{{0, 1, 0, 0}}, {{0, 1, 0, 0}}, {{0, 0, -1, 0}, 2}},
       Blocking::kNoWavelengthWithRegenerator,
       2},
  };
  for (const Case& c : cases) {
    const Answered answered = onPath(c.hops);
    EXPECT_FALSE(answered.assigned) << c.what;
    EXPECT_EQ(answered.blocking, c.blocking) << c.what;
    EXPECT_EQ(answered.blockedHop, c.hop) << c.what;
    EXPECT_EQ(answered.fault, "") << c.what;
  }
}

TEST(FirstFit, AHopWithoutALinkCarriesNothing) {
  const wrnsim::Settings settings = withWavelengths(2);
  auto policy = exampleWavelengthPolicy("first_fit", settings);
  ViewBuilder builder;
  builder.link(1, 2, {1, 1}, 1);
  builder.link(3, 4, {1, 1}, 1);
  builder.path({0, 1, 2});
  builder.path({3, 4, 5});
  const wrnsim::PairView view = builder.view();
  const Answered first = ask(*policy, view, 0, settings);
  EXPECT_FALSE(first.assigned);
  EXPECT_EQ(first.blocking, Blocking::kNoWavelength);
  EXPECT_EQ(first.blockedHop, 0u);
  const Answered later = ask(*policy, view, 1, settings);
  EXPECT_FALSE(later.assigned);
  EXPECT_EQ(later.blocking, Blocking::kNoWavelengthNoRegenerator);
  EXPECT_EQ(later.blockedHop, 1u);
}

TEST(FirstFit, AssignsTheCandidateAskedFor) {
  const wrnsim::Settings settings = withWavelengths(3);
  auto policy = exampleWavelengthPolicy("first_fit", settings);
  ViewBuilder builder;
  builder.link(0, 1, {1, 0, 0});
  builder.link(1, 3, {1, 0, 0});
  builder.link(0, 2, {0, 0, 1});
  builder.link(2, 3, {0, 0, 1});
  builder.path({0, 1, 3});
  builder.path({0, 2, 3});
  builder.path({0});
  const wrnsim::PairView view = builder.view();
  const Answered second = ask(*policy, view, 1, settings);
  ASSERT_TRUE(second.assigned);
  EXPECT_EQ(shown(second.hops), "2 2 ");
  EXPECT_EQ(second.fault, "");
  // A path without hops has nothing to assign and is carried, as the built-in rule does.
  const Answered hopless = ask(*policy, view, 2, settings);
  EXPECT_TRUE(hopless.assigned);
  EXPECT_TRUE(hopless.hops.empty());
  EXPECT_EQ(hopless.fault, "");
}

// Random views against the built-in rule's own pieces: the lowest wavelength that
// tryWavelength carries end to end, else assignWithConversion's hops or its cause and hop.
TEST(FirstFit, AgreesWithTheBuiltInConversionOnRandomViews) {
  testing_support::TestConsole console;
  base::ErrorReporter reporter{console};
  std::mt19937 draw(23);
  const auto pick = [&](int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(draw);
  };
  int endToEnd = 0;
  int converted = 0;
  std::vector<int> causes(4, 0);
  for (int trial = 0; trial < 4000; ++trial) {
    const std::int32_t wavelengths = pick(1, 4);
    const int hopCount = pick(1, 5);
    network::LinkTable table(wavelengths, 2);
    routing::Path path{0};
    for (int k = 0; k < hopCount; ++k) {
      path.push_back(k + 1);
      if (pick(0, 11) == 0) continue;
      network::Link* link = network::createLink(table, k, k + 1, reporter);
      ASSERT_NE(link, nullptr);
      // Free rather often, so that the longer paths are not all blocked at once.
      for (std::int32_t w = 0; w < wavelengths; ++w) table.freeFibers(*link)[w] = pick(-1, 3) - 1;
      link->regenerators = pick(-1, 1);
    }

    std::vector<wrnsim::LinkView> linkViews;
    for (const network::Link& link : table.links()) {
      linkViews.emplace_back(link.from, link.to, table.freeFibers(link), table.lambdaCount(),
                             &link.regenerators);
    }
    std::vector<std::int32_t> hopLinks;
    for (int k = 0; k < hopCount; ++k) {
      const std::ptrdiff_t position = table.positionOf(k, k + 1);
      hopLinks.push_back(position < 0 ? wrnsim::kNoLink : static_cast<std::int32_t>(position));
    }
    const std::vector<wrnsim::CandidatePath> candidates{{path, hopLinks}};
    const wrnsim::PairView view(candidates, linkViews, 0);
    const wrnsim::Settings settings = withWavelengths(wavelengths);
    auto policy = exampleWavelengthPolicy("first_fit", settings);
    const Answered answered = ask(*policy, view, 0, settings);
    ASSERT_EQ(answered.fault, "") << "trial " << trial;

    calls::PathLinks links;
    links.resolve(table, path);
    calls::HopList hops;
    std::int32_t common = -1;
    for (std::int32_t w = 0; w < wavelengths && common < 0; ++w) {
      calls::freeHops(hops);
      if (calls::tryWavelength(w, links, hops, reporter)) common = w;
    }
    std::string expected;
    calls::BlockedAt blocked;
    bool carried = true;
    if (common < 0) {
      calls::freeHops(hops);
      calls::BlockingTypes types;
      calls::createBlockingTypes(types);
      carried = calls::assignWithConversion(links, hops, types, reporter, &blocked) == 1;
    }
    for (const calls::HopAssignment& hop : hops)
      expected += std::to_string(hop.wavelength) + (hop.regenerate ? "r " : " ");

    ASSERT_EQ(answered.assigned, carried) << "trial " << trial;
    if (carried) {
      ASSERT_EQ(shown(answered.hops), expected) << "trial " << trial;
      ++(common >= 0 ? endToEnd : converted);
    } else {
      ASSERT_EQ(static_cast<int>(answered.blocking), blocked.cause) << "trial " << trial;
      ASSERT_EQ(static_cast<std::int32_t>(answered.blockedHop), blocked.from) << "trial " << trial;
      ++causes[static_cast<std::size_t>(blocked.cause)];
    }
  }
  // Every outcome was met, so that the agreement says something of each.
  EXPECT_GT(endToEnd, 0);
  EXPECT_GT(converted, 0);
  for (int cause = 0; cause < 4; ++cause) EXPECT_GT(causes[cause], 0) << "cause " << cause;
}

}  // namespace
}  // namespace policy_tests

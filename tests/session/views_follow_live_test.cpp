// A run whose pairs read the live network at refresh interval 0 decides, traces and counts
// exactly as one that copies the live network into every pair's view before each read:
// the built-in path policies, and policies given through the interface that read the
// view's free fibres and regenerators.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/error_reporter.h"
#include "base/input_file.h"
#include "policy/policy.h"
#include "session/session.h"
#include "support/matrix_network.h"
#include "support/test_console.h"

namespace session {
namespace {

// The path whose busiest hop the view shows with the most free fibres on some wavelength.
class MostRoom : public wrnsim::PathPolicy {
 public:
  std::int32_t choosePath(const wrnsim::PathRequest& r) override {
    std::int32_t best = wrnsim::kNoPath;
    std::int32_t bestRoom = -1;
    for (std::size_t p = 0; p < r.view.paths().size(); ++p) {
      std::int32_t room = 1 << 30;
      for (std::size_t k = 0; k < r.view.paths()[p].hopCount(); ++k) {
        std::int32_t free = 0;
        for (std::int32_t f : r.view.link(p, k).freeFibres()) free += f > 0 ? f : 0;
        room = std::min(room, free);
      }
      if (room > bestRoom) {
        bestRoom = room;
        best = static_cast<std::int32_t>(p);
      }
    }
    return best;
  }
};

// The lowest free wavelength on each hop, regenerating where it changes.
class LowestFree : public wrnsim::WavelengthPolicy {
 public:
  bool assign(const wrnsim::WavelengthRequest& r, wrnsim::HopAnswer& answer) override {
    const wrnsim::CandidatePath& path = r.view.paths()[r.path];
    std::int32_t previous = -1;
    for (std::size_t k = 0; k < path.hopCount(); ++k) {
      const wrnsim::LinkView& link = r.view.link(r.path, k);
      std::int32_t chosen = -1;
      for (std::int32_t w = 0; w < static_cast<std::int32_t>(link.freeFibres().size()); ++w) {
        if (link.freeFibres(w) > 0 &&
            (w == previous || previous < 0 || link.freeRegenerators() > 0)) {
          chosen = w;
          break;
        }
      }
      if (chosen < 0) {
        answer.blockAt(k, wrnsim::Blocking::kNoWavelength);
        return false;
      }
      answer.add(chosen, previous >= 0 && chosen != previous);
      previous = chosen;
    }
    return true;
  }
};

// Gaps and durations of a plain congruential sequence, so that calls overlap and block.
std::string callFile(std::uint32_t seed, int calls) {
  std::string text;
  for (int i = 0; i < calls; ++i) {
    seed = seed * 1103515245u + 12345u;
    const std::uint32_t gap = (seed >> 16) % 4;
    seed = seed * 1103515245u + 12345u;
    const std::uint32_t duration = 1 + (seed >> 16) % 30;
    text += std::to_string(gap) + "\t" + std::to_string(duration) + "\n";
  }
  return text;
}

struct Outcome {
  std::string output;
  run::RunSummary summary;
};

Outcome runNsfnet(int pathPolicy, int fibres, const run::PolicyMakers* policies, bool follow) {
  testing_support::TestConsole console(std::string(64, '\n'));
  base::ErrorReporter reporter(console);
  base::MemoryFileSystem files;
  files.add("nsfnet.con", testing_support::nsfnetConText(1));
  // Pairs near and far, one of them twice, so that pairs share links and a view.
  const std::vector<std::pair<int, int>> pairs = {{0, 12}, {13, 1}, {2, 8},  {4, 11},
                                                  {0, 12}, {7, 3},  {10, 5}, {9, 6}};
  for (std::size_t i = 0; i < pairs.size(); ++i) {
    files.add("c" + std::to_string(i) + ".txt", callFile(static_cast<std::uint32_t>(i + 1), 400));
  }
  Session session({console, &console, reporter, files});
  base::Config config;
  config.lambdaCount = 3;
  config.fiberCount = fibres;
  config.pathPolicy = pathPolicy;
  config.updateInterval = 0;
  EXPECT_TRUE(session.openNetwork(config));
  EXPECT_EQ(session.loadNetwork("nsfnet"), 14);
  for (std::size_t i = 0; i < pairs.size(); ++i) {
    EXPECT_NE(session.addSource(pairs[i].first, pairs[i].second, "c" + std::to_string(i) + ".txt"),
              nullptr);
  }
  session.setViewsFollowLive(follow);
  session.setPolicies(policies);
  Outcome outcome;
  outcome.summary = session.run();
  outcome.output = console.output();
  return outcome;
}

void expectSameRuns(int pathPolicy, int fibres, const run::PolicyMakers* policies) {
  const Outcome copied = runNsfnet(pathPolicy, fibres, policies, false);
  const Outcome followed = runNsfnet(pathPolicy, fibres, policies, true);
  EXPECT_TRUE(followed.output == copied.output) << "the traces differ";
  EXPECT_EQ(followed.summary.callsStarted, copied.summary.callsStarted);
  EXPECT_EQ(followed.summary.callsBlocked, copied.summary.callsBlocked);
  EXPECT_EQ(followed.summary.blockingTotals, copied.summary.blockingTotals);
  EXPECT_EQ(followed.summary.policyErrors, copied.summary.policyErrors);
  EXPECT_GT(copied.summary.callsBlocked, 0) << "the load is meant to block calls";
}

TEST(ViewsFollowLive, BuiltInPoliciesDecideAsOnCopiedViews) {
  for (int policy = 1; policy <= 4; ++policy) {
    SCOPED_TRACE("policy " + std::to_string(policy));
    expectSameRuns(policy, 1, nullptr);
  }
}

TEST(ViewsFollowLive, PoliciesReadingTheViewDecideAsOnCopiedViews) {
  run::PolicyMakers makers;
  makers.pathName = "most-room";
  makers.path = [](const wrnsim::Settings&) { return std::make_unique<MostRoom>(); };
  makers.wavelengthName = "lowest-free";
  makers.wavelength = [](const wrnsim::Settings&) { return std::make_unique<LowestFree>(); };
  // Two fibres, so that the view's counts matter beyond free or busy.
  expectSameRuns(2, 2, &makers);
}

}  // namespace
}  // namespace session

// The wavelength assignment's room: given beforehand, an assignment allocates nothing; not
// to be had during one, the call is blocked with code 1050 and nothing else recorded.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "alloc/allocation_failure.h"
#include "calls/blocking_stats.h"
#include "calls/wavelength_assignment.h"
#include "network/link_table.h"
#include "support/test_console.h"

namespace calls {
namespace {

using testing_support::TestConsole;

// Three hops over 4 wavelengths: 0-1-2-3 has wavelength 2 free end to end; 0-1-2-4 must
// convert at (2, 4), which has a regenerator.
class AssignmentRoom : public ::testing::Test {
 protected:
  AssignmentRoom() {
    createBlockingTypes(types);
    link(0, 1, {1, 0, 2, 0}, -1);
    link(1, 2, {1, 1, 1, 0}, -1);
    link(2, 3, {0, 0, 1, 1}, -1);
    link(2, 4, {0, 1, 0, 0}, 1);
  }
  void link(network::NodeId a, network::NodeId b, std::vector<std::int32_t> counters,
            std::int32_t regenerators) {
    network::Link* made = network::createLink(links, a, b, reporter);
    for (std::size_t w = 0; w < counters.size(); ++w) links.freeFibers(*made)[w] = counters[w];
    made->regenerators = regenerators;
  }
  std::int64_t blocked() const {
    std::int64_t total = 0;
    for (const BlockingType& type : types) total += std::max<std::int64_t>(blockingTotal(type), 0);
    return total;
  }

  // A key for each error report.
  TestConsole console{"k\n"};
  base::ErrorReporter reporter{console};
  network::LinkTable links{4, 2};
  BlockingTypes types;
  std::vector<std::int32_t> order = std::vector<std::int32_t>(4, 0);
  const routing::Path direct{0, 1, 2, 3};
  const routing::Path converted{0, 1, 2, 4};
};

TEST_F(AssignmentRoom, ReservedWorkspaceAssignsWithoutAllocating) {
  AssignmentWorkspace workspace;
  ASSERT_TRUE(workspace.reserve(3, reporter));
  alloc_test::arm(0);
  const bool directCarried = assignWavelengths(workspace, links, direct, order, types, reporter);
  alloc_test::disarm();
  EXPECT_EQ(alloc_test::allocationsSinceArm(), 0);
  EXPECT_TRUE(directCarried);
  EXPECT_EQ(workspace.hops, (HopList{{2, false}, {2, false}, {2, false}}));

  alloc_test::arm(0);
  const bool convertedCarried =
      assignWavelengths(workspace, links, converted, order, types, reporter);
  alloc_test::disarm();
  EXPECT_EQ(alloc_test::allocationsSinceArm(), 0);
  EXPECT_TRUE(convertedCarried);
  EXPECT_EQ(workspace.hops, (HopList{{0, false}, {0, false}, {1, true}}));
  EXPECT_EQ(console.output(), "");
}

TEST_F(AssignmentRoom, EveryFailureWhileMakingRoomBlocksWithCode1050Alone) {
  for (std::int64_t n = 1;; ++n) {
    AssignmentWorkspace workspace;
    TestConsole failing("k\n");
    base::ErrorReporter failingReporter(failing);
    alloc_test::arm(n);
    const bool carried = assignWavelengths(workspace, links, direct, order, types, failingReporter);
    alloc_test::disarm();
    if (!alloc_test::failureInjected()) {
      EXPECT_TRUE(carried);
      EXPECT_EQ(workspace.hops.size(), 3u);
      EXPECT_GT(n, 1);
      break;
    }
    EXPECT_FALSE(carried) << n;
    EXPECT_TRUE(workspace.hops.empty()) << n;
    EXPECT_EQ(failing.output(), "\n***ERROR***\nerr:1050 pulsar tecla") << n;
    EXPECT_EQ(blocked(), 0) << n;
    ASSERT_LT(n, 100) << "the assignment keeps allocating";
  }
}

TEST_F(AssignmentRoom, ReserveReportsWhatItCannotHave) {
  AssignmentWorkspace workspace;
  alloc_test::arm(1);
  const bool reserved = workspace.reserve(3, reporter);
  alloc_test::disarm();
  EXPECT_FALSE(reserved);
  EXPECT_EQ(console.output(), "\n***ERROR***\nerr:1050 pulsar tecla");
  // Room already given is kept, and asking for less costs nothing.
  ASSERT_TRUE(workspace.reserve(3, reporter));
  alloc_test::arm(0);
  EXPECT_TRUE(workspace.reserve(2, reporter));
  alloc_test::disarm();
  EXPECT_EQ(alloc_test::allocationsSinceArm(), 0);
}

}  // namespace
}  // namespace calls

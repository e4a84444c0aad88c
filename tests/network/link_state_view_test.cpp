// Tests of the advertised link-state views: order, numbering, lookup and refresh.
#include "network/link_state_view.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "support/test_console.h"

namespace network {
namespace {

using testing_support::TestConsole;

// A refresh of a view that holds every link of the source, position by position.
bool refreshView(LinkStateView& view, const LinkTable& source, std::int32_t now,
                 base::ErrorReporter& reporter) {
  const bool complete = copyLinks(source, view.links, reporter);
  view.lastRefresh = now;
  return complete;
}

class LinkStateViewTest : public ::testing::Test {
 protected:
  TestConsole console;
  base::ErrorReporter reporter{console};
  LinkStateViews views;

  std::int32_t create(NodeId origin, NodeId destination) {
    return createView(views, 0, origin, destination, 20, 2, reporter);
  }

  std::vector<std::pair<std::int32_t, std::pair<NodeId, NodeId>>> listed() {
    std::vector<std::pair<std::int32_t, std::pair<NodeId, NodeId>>> result;
    for (const LinkStateView& view : views) {
      result.push_back({view.id, {view.origin, view.destination}});
    }
    return result;
  }
};

TEST_F(LinkStateViewTest, NewestFirstAndNumberedOnAcrossAFree) {
  EXPECT_EQ(create(0, 3), 1);
  EXPECT_EQ(create(3, 0), 2);
  EXPECT_EQ(create(1, 2), 3);
  using Listed = decltype(listed());
  EXPECT_EQ(listed(), (Listed{{3, {1, 2}}, {2, {3, 0}}, {1, {0, 3}}}));
  EXPECT_TRUE(views.front().links.empty());

  freeViews(views);
  EXPECT_TRUE(views.empty());
  EXPECT_EQ(findView(views, 1, 2), nullptr);
  EXPECT_EQ(create(1, 2), 4);
  EXPECT_EQ(listed(), (Listed{{4, {1, 2}}}));
  EXPECT_EQ(console.output(), "");
}

TEST_F(LinkStateViewTest, FindViewMatchesTheOrderedPairExactly) {
  create(0, 3);
  create(3, 0);
  LinkStateView* reverse = findView(views, 3, 0);
  ASSERT_NE(reverse, nullptr);
  EXPECT_EQ(reverse->origin, 3);
  EXPECT_EQ(reverse->destination, 0);
  EXPECT_EQ(findView(views, 0, 3)->id, 1);
  EXPECT_EQ(findView(views, 0, 0), nullptr);
  EXPECT_EQ(findView(views, -1, 3), nullptr);
  // A second view of one pair hides the first, as in a newest-first search.
  create(0, 3);
  EXPECT_EQ(findView(views, 0, 3)->id, 3);
}

TEST_F(LinkStateViewTest, ViewsKeepTheirAddressesWhileTheListGrows) {
  create(0, 1);
  LinkStateView* first = findView(views, 0, 1);
  for (NodeId node = 2; node < 5000; ++node) create(0, node);
  EXPECT_EQ(findView(views, 0, 1), first);
  EXPECT_EQ(first->id, 1);
  EXPECT_EQ(findView(views, 0, 4999)->id, 4999);
}

TEST_F(LinkStateViewTest, RefreshCopiesBothDirectionsOfTheSharedLiveArray) {
  LinkTable loaded(20, 2);
  ASSERT_NE(createLink(loaded, 0, 1, reporter), nullptr);
  ASSERT_NE(createLink(loaded, 1, 2, reporter), nullptr);
  ASSERT_NE(createLink(loaded, 1, 0, reporter), nullptr);
  loaded.shareCounters(2, 0);
  loaded[0].regenerators = 2;
  loaded[2].regenerators = 2;
  LinkTable live(20, 2);
  ASSERT_TRUE(copyLinksPaired(loaded, live, reporter));

  create(0, 1);
  LinkStateView& view = views.front();
  ASSERT_TRUE(copyLinks(loaded, view.links, reporter));
  const std::int32_t* forward = view.links.freeFibers(view.links[0]);
  const std::int32_t* backward = view.links.freeFibers(view.links[2]);
  ASSERT_NE(forward, backward);

  live.freeFibers(live[0])[4] -= 1;
  live[2].regenerators = 1;
  ASSERT_TRUE(refreshView(view, live, 5, reporter));
  EXPECT_EQ(view.lastRefresh, 5);
  EXPECT_EQ(view.id, 1);
  EXPECT_EQ(view.links.freeFibers(view.links[0]), forward);
  EXPECT_EQ(forward[4], 1);
  EXPECT_EQ(backward[4], 1);
  EXPECT_EQ(view.links.freeFibers(view.links[1])[4], 2);
  EXPECT_EQ(view.links[2].regenerators, 1);

  // The view's directions stay separate until the next refresh.
  view.links.freeFibers(view.links[0])[4] = 0;
  EXPECT_EQ(backward[4], 1);
}

}  // namespace
}  // namespace network

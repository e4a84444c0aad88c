#include "run/hop_ledger.h"

#include <gtest/gtest.h>

#include <string>

#include "support/test_console.h"

namespace run {
namespace {

using testing_support::TestConsole;

// A line 0-1-2 with two wavelengths on one fibre, as the live network and as a pair's view.
struct Fixture {
  Fixture() : reporter(console), trace(console) {
    for (network::LinkTable* table : {&live, &view}) {
      network::createLink(*table, 0, 1, reporter);
      network::createLink(*table, 1, 2, reporter);
      for (std::size_t k = 0; k < table->size(); ++k) {
        network::Link& link = (*table)[k];
        link.regenerators = 1;
        table->freeFibers(link)[0] = 1;
        table->freeFibers(link)[1] = 1;
      }
    }
    changes.reset(live);
    calls::createBlockingTypes(types);
    call = calls::pushCall(calls, 0, 5, reporter);
  }
  std::int32_t liveFree(std::size_t link, int wavelength) {
    return live.freeFibers(live[link])[wavelength];
  }
  std::int32_t viewFree(std::size_t link, int wavelength) {
    return view.freeFibers(view[link])[wavelength];
  }

  TestConsole console;
  base::ErrorReporter reporter;
  RunTrace trace;
  network::LinkTable live{2, 1};
  network::LinkTable view{2, 1};
  LiveChanges changes;
  calls::BlockingTypes types;
  calls::CallList calls;
  calls::Call* call = nullptr;
  const std::int32_t positions[2] = {0, 1};
  const PathHops links{positions, positions};
};

TEST(HopLedger, ReleaseGivesBackExactlyWhatTheReservationTook) {
  Fixture f;
  HopLedger ledger(f.live, f.changes, f.trace, f.types[calls::kUpdateError], f.reporter);
  f.call->hops = {{0, false}, {1, true}};
  EXPECT_EQ(ledger.reserve(*f.call, f.links, f.view, 3), 0);
  EXPECT_EQ(f.console.takeOutput(), "      0-1-");
  EXPECT_TRUE(anyReserved(*f.call));
  for (network::LinkTable* table : {&f.live, &f.view}) {
    EXPECT_EQ(table->freeFibers((*table)[0])[0], 0);
    EXPECT_EQ(table->freeFibers((*table)[1])[1], 0);
    EXPECT_EQ((*table)[0].regenerators, 1);
    EXPECT_EQ((*table)[1].regenerators, 0);
  }
  EXPECT_GT(f.changes.countersStamp(f.live[1]), 0u);
  EXPECT_GT(f.changes.regeneratorsStamp(1), 0u);

  ledger.release(*f.call, f.links, f.view, 9);
  EXPECT_EQ(f.console.takeOutput(), "      0-1-");
  for (network::LinkTable* table : {&f.live, &f.view}) {
    for (std::size_t k = 0; k < 2; ++k) {
      EXPECT_EQ(table->freeFibers((*table)[k])[0], 1);
      EXPECT_EQ(table->freeFibers((*table)[k])[1], 1);
      EXPECT_EQ((*table)[k].regenerators, 1);
    }
  }
  EXPECT_EQ(calls::blockingTotal(f.types[calls::kUpdateError]), -1);
}

TEST(HopLedger, AHopTheLiveNetworkCannotCarryTakesNothingAndIsRecordedByClock) {
  Fixture f;
  HopLedger ledger(f.live, f.changes, f.trace, f.types[calls::kUpdateError], f.reporter);
  // The view still shows both free: the live network has moved on.
  f.live.freeFibers(f.live[0])[0] = 0;
  f.live[1].regenerators = 0;
  f.call->hops = {{0, false}, {1, true}};
  EXPECT_EQ(ledger.reserve(*f.call, f.links, f.view, 42), 2);
  // A busy fibre prints no wavelength; a missing regenerator prints the hop's.
  EXPECT_EQ(f.console.takeOutput(), "       BLOK NO ACTUAL0  BLOK NO ACTUAL1 1-");
  EXPECT_FALSE(anyReserved(*f.call));
  EXPECT_EQ(f.viewFree(0, 0), 1);
  EXPECT_EQ(f.viewFree(1, 1), 1);
  EXPECT_EQ(calls::blockingTotal(f.types[calls::kUpdateError]), 2);
  ASSERT_EQ(f.types[calls::kUpdateError].events.size(), 2u);
  EXPECT_EQ(f.types[calls::kUpdateError].events[0].first, 42);
  EXPECT_EQ(f.types[calls::kUpdateError].events[0].second, 0);
  EXPECT_EQ(f.types[calls::kUpdateError].events[1].second, 1);

  // Nothing was taken, so the end gives nothing back.
  ledger.release(*f.call, f.links, f.view, 9);
  EXPECT_EQ(f.console.takeOutput(), "      0-1-");
  EXPECT_EQ(f.liveFree(0, 0), 0);
  EXPECT_EQ(f.live[1].regenerators, 0);
}

TEST(HopLedger, HopsOnMissingLinksAreLeftOutAndABlockedCallSaysSo) {
  Fixture f;
  HopLedger ledger(f.live, f.changes, f.trace, f.types[calls::kUpdateError], f.reporter);
  const std::int32_t missingLive[2] = {0, -1};
  const std::int32_t missingInView[2] = {-1, 1};
  const PathHops missing{missingLive, missingInView};
  f.call->hops = {{1, false}, {1, false}};
  EXPECT_EQ(ledger.reserve(*f.call, missing, f.view, 0), 0);
  EXPECT_EQ(f.console.takeOutput(), "      ");
  EXPECT_EQ(f.liveFree(0, 1), 1);
  EXPECT_EQ(f.liveFree(1, 1), 1);

  f.call->hops.clear();
  ledger.release(*f.call, f.links, f.view, 9);
  EXPECT_EQ(f.console.takeOutput(), "      Llamada con Bloqueo...");
}

}  // namespace
}  // namespace run

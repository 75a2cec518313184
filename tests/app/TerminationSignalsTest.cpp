#include <gtest/gtest.h>

#include <QTest>
#include <csignal>
#include <vector>

#include "app/TerminationSignals.h"

namespace {

TEST(TerminationSignalsTest, EachSignalArrivesOnTheEventLoopInOrder) {
  TerminationSignals watcher;
  ASSERT_TRUE(watcher.isWatching());
  std::vector<int> received;
  QObject::connect(&watcher, &TerminationSignals::received,
                   [&received](int number) { received.push_back(number); });
  // The process goes on: the handlers only tell.
  ASSERT_EQ(std::raise(SIGTERM), 0);
  ASSERT_EQ(std::raise(SIGHUP), 0);
  ASSERT_EQ(std::raise(SIGINT), 0);
  EXPECT_TRUE(received.empty());  // nothing runs inside the handler
  ASSERT_TRUE(QTest::qWaitFor([&received] { return received.size() == 3; }, 10000));
  EXPECT_EQ(received, (std::vector<int>{SIGTERM, SIGHUP, SIGINT}));
}

TEST(TerminationSignalsTest, OneWatcherAtATimeAndTheNextAfterIt) {
  {
    TerminationSignals first;
    TerminationSignals second;
    EXPECT_TRUE(first.isWatching());
    EXPECT_FALSE(second.isWatching());
  }
  TerminationSignals again;
  EXPECT_TRUE(again.isWatching());
}

}  // namespace

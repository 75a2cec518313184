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

TEST(TerminationSignalsTest, AnIgnoredSignalStaysIgnoredAndTheHandlersBeforeComeBack) {
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  struct sigaction before {};
  ASSERT_EQ(::sigaction(SIGHUP, &ignore, &before), 0);
  {
    TerminationSignals watcher;
    std::vector<int> received;
    QObject::connect(&watcher, &TerminationSignals::received,
                     [&received](int number) { received.push_back(number); });
    ASSERT_EQ(std::raise(SIGHUP), 0);  // as under nohup: nothing happens
    ASSERT_EQ(std::raise(SIGTERM), 0);
    ASSERT_TRUE(QTest::qWaitFor([&received] { return !received.empty(); }, 10000));
    EXPECT_EQ(received, std::vector<int>{SIGTERM});
  }
  struct sigaction now {};
  ASSERT_EQ(::sigaction(SIGTERM, nullptr, &now), 0);
  EXPECT_EQ(now.sa_handler, SIG_DFL);
  ASSERT_EQ(::sigaction(SIGHUP, &before, nullptr), 0);
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

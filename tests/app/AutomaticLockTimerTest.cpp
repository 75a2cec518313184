#include <gtest/gtest.h>

#include <QCoreApplication>
#include <limits>
#include <optional>

#include "app/AutomaticLockTimer.h"
#include "platform/Clock.h"

namespace {

// Milliseconds the test moves by hand, as a suspended machine's boot clock would jump.
struct FakeClock {
  qint64 now = 1'000'000;
  Clock::MsSource clock() {
    return [this] { return now; };
  }
};

// The timer's event-loop wake-up needs an application object.
class AutomaticLockTimerTest : public ::testing::Test {
 protected:
  int argc = 1;
  char name[16] = "lock_tests";
  char* argv[1] = {name};
  QCoreApplication app{argc, argv};
  void TearDown() override { Clock::setBootSource({}); }
};

TEST_F(AutomaticLockTimerTest, LocksAfterTheIntervalOfAtLeastThirtySeconds) {
  struct Case {
    qint64 seconds;
    std::optional<qint64> firesAfterMs;
  } cases[] = {{10, 30'000}, {29, 30'000},
               {30, 30'000}, {45, 45'000},
               {1, 30'000},  {0, {}},
               {-5, {}},     {std::numeric_limits<qint64>::max(), 365LL * 24 * 3600 * 1000}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.seconds);
    FakeClock fake;
    AutomaticLockTimer timer;
    Clock::setBootSource(fake.clock());
    int locks = 0;
    QObject::connect(&timer, &AutomaticLockTimer::lockDue, [&] { ++locks; });
    timer.setAutomaticLockWithTimeInterval(c.seconds);
    EXPECT_EQ(timer.isPending(), c.firesAfterMs.has_value());
    if (!c.firesAfterMs) {
      fake.now += 1'000'000'000;
      timer.checkDeadline();
      EXPECT_EQ(locks, 0);
      continue;
    }
    fake.now += *c.firesAfterMs - 1;
    timer.checkDeadline();
    EXPECT_EQ(locks, 0);
    fake.now += 1;
    timer.checkDeadline();
    EXPECT_EQ(locks, 1);
    EXPECT_FALSE(timer.isPending());
    timer.checkDeadline();  // fires once
    EXPECT_EQ(locks, 1);
  }
}

TEST_F(AutomaticLockTimerTest, ComingBackOrLeavingAgainReplacesTheDeadline) {
  FakeClock fake;
  AutomaticLockTimer timer;
  Clock::setBootSource(fake.clock());
  int locks = 0;
  QObject::connect(&timer, &AutomaticLockTimer::lockDue, [&] { ++locks; });

  timer.setAutomaticLockWithTimeInterval(30);
  fake.now += 29'000;
  timer.setAutomaticLockWithTimeInterval(0);  // active again at 29 s
  fake.now += 60'000;
  timer.checkDeadline();
  EXPECT_EQ(locks, 0);

  timer.setAutomaticLockWithTimeInterval(30);
  fake.now += 20'000;
  timer.setAutomaticLockWithTimeInterval(30);  // the delay counts from the latest departure
  fake.now += 20'000;
  timer.checkDeadline();
  EXPECT_EQ(locks, 0);
  fake.now += 10'000;
  timer.checkDeadline();
  EXPECT_EQ(locks, 1);
}

TEST_F(AutomaticLockTimerTest, TimeAsleepCountsAtTheWakeCheck) {
  FakeClock fake;
  AutomaticLockTimer timer;
  Clock::setBootSource(fake.clock());
  int locks = 0;
  QObject::connect(&timer, &AutomaticLockTimer::lockDue, [&] { ++locks; });
  timer.setAutomaticLockWithTimeInterval(120);
  fake.now += 3600'000;  // an hour suspended; the wake check finds the deadline passed
  timer.checkDeadline();
  EXPECT_EQ(locks, 1);
  Clock::setBootSource({});
  EXPECT_GE(Clock::bootMs(), 0);
}

}  // namespace

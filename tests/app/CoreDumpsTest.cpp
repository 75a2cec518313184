#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QTemporaryDir>

#include "app/CoreDumps.h"

namespace {

// The child starts able to dump (up to the hard limit), so what it ends with is the function's
// doing and not the test environment's.
void allowCoreDumps() {
  rlimit limit{};
  getrlimit(RLIMIT_CORE, &limit);
  limit.rlim_cur = limit.rlim_max;
  setrlimit(RLIMIT_CORE, &limit);
}

TEST(CoreDumps, TurnedOffForTheWholeProcess) {
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    allowCoreDumps();
    if (prctl(PR_GET_DUMPABLE) != 1) _exit(10);
    if (!disableCoreDumps()) _exit(11);
    rlimit limit{};
    if (getrlimit(RLIMIT_CORE, &limit) != 0 || limit.rlim_cur != 0 || limit.rlim_max != 0)
      _exit(12);
    _exit(prctl(PR_GET_DUMPABLE) == 0 ? 0 : 13);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0)
      << "10: not dumpable to start with, 11: refused, 12: a core size is still allowed, "
         "13: still dumpable";
}

TEST(CoreDumps, ACrashAfterwardsLeavesNoCore) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (chdir(dir.path().toLocal8Bit().constData()) != 0) _exit(1);
    allowCoreDumps();
    disableCoreDumps();
    abort();
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(WTERMSIG(status), SIGABRT);
  EXPECT_FALSE(WCOREDUMP(status));
  EXPECT_TRUE(QDir(dir.path()).isEmpty());
}

}  // namespace

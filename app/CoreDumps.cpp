#include "app/CoreDumps.h"

#include <sys/prctl.h>
#include <sys/resource.h>

bool disableCoreDumps() {
  const rlimit none{0, 0};
  const bool noCore = setrlimit(RLIMIT_CORE, &none) == 0;
  // A core_pattern pipe ignores RLIMIT_CORE; a non-dumpable process still gets no dump there
  // unless the system opts in (fs.suid_dumpable).
  const bool notDumpable = prctl(PR_SET_DUMPABLE, 0, 0, 0, 0) == 0;
  return noCore && notDumpable;
}

// The calling thread's processor time, which the benchmarks divide into ratios measured in the
// same run: other work on the machine moves wall time, not this.
#pragma once

#include <time.h>

namespace nqbench {

inline double CpuNanoseconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e9 + static_cast<double>(t.tv_nsec);
}

}  // namespace nqbench

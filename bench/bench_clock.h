// Wall-clock and peak-memory readings for the benchmark programs (Linux).
#pragma once

#include <sys/resource.h>
#include <time.h>

namespace vintor::bench {

// Seconds since an arbitrary start, from the monotonic clock.
inline double Now() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The peak resident memory of this process so far, in MiB.
inline double PeakResidentMiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

}  // namespace vintor::bench

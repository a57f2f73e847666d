#pragma once
// What the benchmarks share: the calling thread's processor time (the platform counts it
// in steps of about 10 ms, so a measurement must run much longer), and the median.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace bench {

inline double ThreadSeconds() {
  FILETIME created, exited, kernel, user;
  GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
  auto seconds = [](const FILETIME& f) {
    return static_cast<double>(static_cast<uint64_t>(f.dwHighDateTime) << 32 | f.dwLowDateTime) / 1e7;
  };
  return seconds(kernel) + seconds(user);
}

// Sorts `v` (so front and back are the range) and gives its median.
inline double Median(std::vector<double>& v) {
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n == 0 ? 0 : n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

}  // namespace bench

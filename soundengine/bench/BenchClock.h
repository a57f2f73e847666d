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

// Rounds of `blocks` blocks of `blockSeconds` until enough processor time has passed:
// seconds of sound per processor second.
template <typename Round>
double RealTimeFactor(double blockSeconds, int blocks, Round round) {
  constexpr double kMinProcessorSeconds = 0.4;  // the platform counts in steps of about 10 ms
  const double start = ThreadSeconds();
  double spent = 0, audio = 0;
  do {
    round();
    audio += blockSeconds * blocks;
    spent = ThreadSeconds() - start;
  } while (spent < kMinProcessorSeconds);
  return audio / spent;
}

// Sorts `v` (so front and back are the range) and gives its median.
inline double Median(std::vector<double>& v) {
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n == 0 ? 0 : n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

}  // namespace bench

#pragma once
// A whole host file into memory, for the benchmarks that load from bytes.
#include <cstdio>
#include <string>

inline std::string ReadAll(const char* path) {
  std::string bytes;
  if (FILE* f = std::fopen(path, "rb")) {
    char chunk[65536];
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, f)) > 0;) bytes.append(chunk, n);
    std::fclose(f);
  }
  return bytes;
}

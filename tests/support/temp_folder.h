#pragma once
// A new, empty folder under GoogleTest's temporary folder, made with the
// standard library alone so the same tests build for Windows.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <string>

namespace bx::test {

// The folder's path, "" when none could be made.
inline std::string MakeTempFolder(const std::string& prefix) {
  std::mt19937_64 rng(static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                      std::random_device{}());
  static const char kChars[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string path = ::testing::TempDir() + prefix;
    for (int i = 0; i < 6; ++i) path += kChars[rng() % (sizeof kChars - 1)];
    std::error_code ec;
    // create_directory is false for a folder that exists: another name then.
    if (std::filesystem::create_directory(path, ec)) return path;
    if (ec) return {};
  }
  return {};
}

}  // namespace bx::test

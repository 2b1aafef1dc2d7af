// Scratch files for the platform tests, under KFIO_TEST_TMP.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/file_exception.h"

namespace kfio::test {

// A path unique to the running test; the file is removed first so every
// test starts from nothing.
inline std::string TempPath(const std::string& suffix = "") {
  const char* env = std::getenv("KFIO_TEST_TMP");
  std::filesystem::path dir = env != nullptr && *env != '\0' ? env : "/tmp/kfio_platform_tests";
  std::filesystem::create_directories(dir);
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = std::string(info->test_suite_name()) + "." + info->name() + suffix;
  std::replace(name.begin(), name.end(), '/', '_');
  std::filesystem::remove_all(dir / name);
  return (dir / name).string();
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Runs f and answers what it threw; cause none when it threw nothing.
template <class F>
CFileException Caught(F&& f) {
  try {
    f();
  } catch (const CFileException& e) {
    return e;
  }
  return {};
}

}  // namespace kfio::test

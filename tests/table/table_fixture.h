#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/orvel_broadcaster.h"
#include "core/user_messages.h"
#include "table/table.h"

namespace orvel::test {

// A folder of its own for one test, removed afterwards.
class TempDir {
 public:
  TempDir() {
    static std::atomic<int> counter{0};
    Path = std::filesystem::temp_directory_path() /
           ("orvel_table_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
    std::filesystem::create_directories(Path);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::permissions(Path, std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(Path, ignored);
  }
  std::filesystem::path Path;
};

inline std::vector<std::uint8_t> ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteAll(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A main table as the window binds it, headless, with settable modifiers.
class TableTest : public ::testing::Test {
 protected:
  TableTest() { Model.BindGraph(nullptr, true, &Panel); }

  void SetOut(std::initializer_list<std::pair<int, int>> points) {
    for (const auto& [i, v] : points) {
      Model.Tab1()[static_cast<std::size_t>(i)] = v;
    }
  }

  TOrvelBroadcaster Bus;
  RecordedMessages Messages;
  LatchedModifiers Keys;
  TextPanel Panel;
  Table Model{Bus, Messages, Keys};
};

}  // namespace orvel::test

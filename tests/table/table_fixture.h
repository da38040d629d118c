#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/orvel_broadcaster.h"
#include "core/user_messages.h"
#include "support/temp_dir.h"
#include "table/table.h"

namespace orvel::test {

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

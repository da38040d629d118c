#pragma once

// Runs the command-line tool in-process with captured streams, plus the file
// helpers its tests share.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "cli/commands.h"

namespace orvel::test {

struct CliResult {
  int Status = -1;
  std::string Out;
  std::string Err;
};

// `orvel <arguments…>` with its output and error streams captured.
inline CliResult RunOrvel(const std::vector<std::string>& arguments) {
  std::vector<const char*> argv{"orvel"};
  for (const std::string& argument : arguments) {
    argv.push_back(argument.c_str());
  }
  std::ostringstream out;
  std::ostringstream err;
  const int status = cli::Run(static_cast<int>(argv.size()), argv.data(), out, err);
  return {status, out.str(), err.str()};
}

inline bool Contains(const std::string& text, std::string_view part) {
  return text.find(part) != std::string::npos;
}

// The single JSON object a `--json` command printed; fails the test when the
// output is not exactly one object.
inline nlohmann::json JsonOf(const CliResult& result) {
  const nlohmann::json parsed = nlohmann::json::parse(result.Out, nullptr, false);
  EXPECT_TRUE(parsed.is_object()) << "not one JSON object: " << result.Out;
  return parsed;
}

// The keys of a JSON object, sorted.
inline std::vector<std::string> KeysOf(const nlohmann::json& object) {
  std::vector<std::string> keys;
  for (const auto& item : object.items()) {
    keys.push_back(item.key());
  }
  std::sort(keys.begin(), keys.end());
  return keys;
}

inline std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::string ReadText(const std::filesystem::path& path) {
  const std::vector<std::uint8_t> bytes = ReadBytes(path);
  return {bytes.begin(), bytes.end()};
}

template <typename Bytes>
void WriteBytes(const std::filesystem::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace orvel::test

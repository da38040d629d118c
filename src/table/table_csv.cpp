#include "table/table_csv.h"

#include <array>
#include <charconv>
#include <vector>

namespace orvel {

namespace {

constexpr std::string_view kHeader = "Name,Index,Value";

struct Section {
  std::string_view Name;
  std::size_t First;  // block entry of index 0
  int Count;
  int Min;
  int Max;
};

constexpr std::array<Section, 11> kSections{{
    {"Out", 0, 256, 0, 255},
    {"MafTime", TableBlock::kMafTime, 1, 0, 255},
    {"Threshold", TableBlock::kThreshold, 1, 0, 255},
    {"Enrichment", TableBlock::kEnrichment, 1, 0, 255},
    {"Enleanment", TableBlock::kEnleanment, 1, 0, 255},
    {"SmoothMaf", TableBlock::kSmoothMaf, 1, 0, 255},
    {"SmoothTps", TableBlock::kSmoothTps, 1, 0, 255},
    {"SmoothRpm", TableBlock::kSmoothRpm, 1, 0, 255},
    {"TpsThreshold", TableBlock::kTpsThreshold, 1, 0, 255},
    // A table file holds each correction as a signed byte; the window clamps
    // its own corrections to -30…30, but any byte a file can hold is taken.
    {"IATCorr", TableBlock::kIatCorr, 64, -128, 127},
    {"ECTCorr", TableBlock::kEctCorr, 64, -128, 127},
}};

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) {
    s.remove_prefix(1);
  }
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
    s.remove_suffix(1);
  }
  return s;
}

bool ParseInt(std::string_view s, int& value) {
  s = Trim(s);
  if (!s.empty() && s.front() == '+') {
    s.remove_prefix(1);
  }
  const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), value);
  return error == std::errc() && end == s.data() + s.size() && !s.empty();
}

std::string LineError(int line, const std::string& what) {
  return "line " + std::to_string(line) + ": " + what;
}

}  // namespace

std::string TableToCsv(const TableBlock& block) {
  std::string text(kHeader);
  text += '\n';
  for (const Section& section : kSections) {
    for (int i = 0; i < section.Count; ++i) {
      text += std::string(section.Name) + ',' + std::to_string(i) + ',' +
              std::to_string(block[section.First + static_cast<std::size_t>(i)]) + '\n';
    }
  }
  return text;
}

CsvTable TableFromCsv(std::string_view text) {
  CsvTable result;
  std::vector<bool> seen(TableBlock::kSize, false);
  int line = 0;
  bool headerSeen = false;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    const std::string_view row = Trim(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    ++line;
    if (row.empty()) {
      continue;
    }
    if (!headerSeen) {
      if (row != kHeader) {
        result.Error = LineError(line, "expected the header \"" + std::string(kHeader) + "\"");
        return result;
      }
      headerSeen = true;
      continue;
    }
    const std::size_t comma1 = row.find(',');
    const std::size_t comma2 = comma1 == std::string_view::npos ? comma1 : row.find(',', comma1 + 1);
    if (comma2 == std::string_view::npos || row.find(',', comma2 + 1) != std::string_view::npos) {
      result.Error = LineError(line, "expected three fields: Name,Index,Value");
      return result;
    }
    const std::string_view name = Trim(row.substr(0, comma1));
    const Section* section = nullptr;
    for (const Section& s : kSections) {
      if (s.Name == name) {
        section = &s;
      }
    }
    if (section == nullptr) {
      result.Error = LineError(line, "unknown name \"" + std::string(name) + "\"");
      return result;
    }
    int index = 0;
    int value = 0;
    if (!ParseInt(row.substr(comma1 + 1, comma2 - comma1 - 1), index) || index < 0 ||
        index >= section->Count) {
      result.Error = LineError(
          line, "index of " + std::string(name) + " must be 0…" + std::to_string(section->Count - 1));
      return result;
    }
    if (!ParseInt(row.substr(comma2 + 1), value) || value < section->Min || value > section->Max) {
      result.Error = LineError(line, "value of " + std::string(name) + " must be an integer " +
                                         std::to_string(section->Min) + "…" + std::to_string(section->Max));
      return result;
    }
    const std::size_t entry = section->First + static_cast<std::size_t>(index);
    if (seen[entry]) {
      result.Error = LineError(line, std::string(name) + " " + std::to_string(index) + " appears twice");
      return result;
    }
    seen[entry] = true;
    result.Block[entry] = value;
  }
  if (!headerSeen) {
    result.Error = LineError(line, "the CSV is empty");
    return result;
  }
  for (const Section& section : kSections) {
    for (int i = 0; i < section.Count; ++i) {
      if (!seen[section.First + static_cast<std::size_t>(i)]) {
        result.Error = LineError(line, std::string(section.Name) + " " + std::to_string(i) + " is missing");
        return result;
      }
    }
  }
  result.Block[TableBlock::kTpsThreshold] = 255;
  return result;
}

}  // namespace orvel

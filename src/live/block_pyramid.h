#pragma once

// A summary of a long sequence in levels: level 0 holds one node per block of
// samples, every higher level one node per four nodes of the level below, up
// to a single node. Merging the nodes of any run of blocks then visits at most
// three nodes on each side per level instead of every block, so the cost of a
// query grows with the logarithm of its length.

#include <cstddef>
#include <utility>
#include <vector>

namespace orvel {

// Node: default-constructible as the empty summary, with
// `void Merge(const Node&)`.
template <typename Node>
class BlockPyramid {
 public:
  static constexpr std::size_t kFanout = 4;

  BlockPyramid() = default;
  explicit BlockPyramid(std::vector<Node> blocks) {
    if (blocks.empty()) {
      return;
    }
    Levels.push_back(std::move(blocks));
    while (Levels.back().size() > 1) {
      const std::vector<Node>& below = Levels.back();
      std::vector<Node> above((below.size() + kFanout - 1) / kFanout);
      for (std::size_t i = 0; i < below.size(); ++i) {
        above[i / kFanout].Merge(below[i]);
      }
      Levels.push_back(std::move(above));
    }
  }

  [[nodiscard]] std::size_t Blocks() const { return Levels.empty() ? 0 : Levels.front().size(); }

  // Merges the summaries of blocks first..end-1 (end <= Blocks()) into `into`.
  void Collect(std::size_t first, std::size_t end, Node& into) const {
    for (std::size_t level = 0; first < end; ++level) {
      const std::vector<Node>& nodes = Levels[level];
      while (first < end && first % kFanout != 0) {
        into.Merge(nodes[first++]);
      }
      while (end > first && end % kFanout != 0) {
        into.Merge(nodes[--end]);
      }
      first /= kFanout;
      end /= kFanout;
    }
  }

  [[nodiscard]] std::size_t Bytes() const {
    std::size_t bytes = 0;
    for (const auto& level : Levels) {
      bytes += level.capacity() * sizeof(Node);
    }
    return bytes;
  }

 private:
  std::vector<std::vector<Node>> Levels;
};

}  // namespace orvel

#include "table/history_file.h"

#include <gtest/gtest.h>

#include <random>

#include "table_fixture.h"

namespace orvel::test {
namespace {

struct Links {
  std::vector<int> Undo, Redo;
  bool operator==(const Links&) const = default;
};

Links LinksOf(const UndoHistory& history) {
  Links links;
  for (const TBufUndoRedo& s : history.History()) {
    links.Undo.push_back(s.UndoLink);
    links.Redo.push_back(s.RedoLink);
  }
  return links;
}

TBufUndoRedo Marked(int mark) {
  TBufUndoRedo s;
  s.Tab1[0] = mark;
  return s;
}

TEST(UndoHistory, EmptyHistoryIgnoresUndoAndRedo) {
  UndoHistory history;
  EXPECT_EQ(history.Undo(), nullptr);
  EXPECT_EQ(history.Redo(), nullptr);
  EXPECT_EQ(history.HistoryPos(), 0);
}

TEST(UndoHistory, GrowingHistoryLinks) {
  UndoHistory history;
  for (int i = 0; i < 3; ++i) {
    history.Push(Marked(i));
  }
  EXPECT_EQ(LinksOf(history), (Links{{2, 0, 1}, {1, 2, 2}}));
  EXPECT_EQ(history.Undo()->Tab1[0], 1);
  EXPECT_EQ(history.Undo()->Tab1[0], 0);
  EXPECT_EQ(history.Undo()->Tab1[0], 2);
  EXPECT_EQ(history.Redo()->Tab1[0], 2);  // redo from the newest stays

  history.Undo();
  history.Undo();
  history.Push(Marked(3));
  EXPECT_EQ(LinksOf(history), (Links{{2, 0, 1, 0}, {3, 2, 2, 1}}));
  EXPECT_EQ(history.HistoryPos(), 3);
}

TEST(UndoHistory, TiedActionIsOneUndoStep) {
  UndoHistory history;
  history.Push(Marked(1));
  history.Push(Marked(2));
  const std::int32_t before = history.HistoryPos();
  const std::uint32_t countBefore = history.HistoryCount();
  for (int mark = 3; mark <= 5; ++mark) {
    history.Push(Marked(mark));
  }
  history.TieSince(before, countBefore);
  ASSERT_NE(history.Undo(), nullptr);
  EXPECT_EQ(history.History()[static_cast<std::size_t>(history.HistoryPos())].Tab1[0], 2);
  ASSERT_NE(history.Redo(), nullptr);
  EXPECT_EQ(history.History()[static_cast<std::size_t>(history.HistoryPos())].Tab1[0], 5);

  // Nothing pushed since, or an empty history before: nothing to tie.
  const Links links = LinksOf(history);
  history.TieSince(history.HistoryPos(), history.HistoryCount());
  history.TieSince(0, 0);
  history.TieSince(99, 5);
  EXPECT_EQ(LinksOf(history), links);
}

TEST(UndoHistory, FullHistoryReusesSlotsInACircle) {
  UndoHistory history(4);
  for (int i = 0; i < 4; ++i) {
    history.Push(Marked(i));
  }
  history.Push(Marked(4));  // position 3 is the last slot: slot 0 is reused
  EXPECT_EQ(history.HistoryPos(), 0);
  EXPECT_EQ(history.History()[0].Tab1[0], 4);
  EXPECT_EQ(history.History()[0].UndoLink, 3);
  EXPECT_EQ(history.History()[0].RedoLink, 1);
  EXPECT_EQ(history.History()[3].RedoLink, 0);
  history.Push(Marked(5));
  history.Push(Marked(6));
  EXPECT_EQ(history.HistoryPos(), 2);
  EXPECT_EQ(history.History()[2].RedoLink, 3);
  history.Push(Marked(7));
  EXPECT_EQ(history.History()[3].RedoLink, 0);  // the slot after the last wraps to 0
  EXPECT_EQ(history.HistoryCount(), 4U);
  EXPECT_EQ(history.History().size(), 4U);
  EXPECT_EQ(history.Undo()->Tab1[0], 6);
  EXPECT_EQ(history.Undo()->Tab1[0], 5);
}

TEST_F(TableTest, UndoAndRedoRestoreTheModel) {
  Model.SetPoint(3, 30);
  Model.SetPoint(4, 40);
  Model.Undo();
  EXPECT_EQ(Model.GetOut(4), 0);
  EXPECT_EQ(Model.GetOut(3), 30);
  Model.Redo();
  EXPECT_EQ(Model.GetOut(4), 40);
}

// A block's parameters travel with its snapshots, and the panel (which saves
// and sends read back) shows the restored ones: an undo followed by a save
// writes the undone table's parameters.
TEST_F(TableTest, UndoAndRedoShowTheRestoredParametersOnThePanel) {
  Model.Tab1()[TableBlock::kMafTime] = 20;
  Model.Tab1()[TableBlock::kThreshold] = 30;
  Model.ShowParameters(1);
  Model.PushHistory();
  Model.Tab1()[TableBlock::kMafTime] = 90;
  Model.Tab1()[TableBlock::kThreshold] = 100;
  Model.ShowParameters(1);
  Model.PushHistory();
  const TextPanel later = Panel;

  Model.Undo();
  Model.TakeParameters(1);  // what a save or a send does first
  EXPECT_EQ(Model.Tab1()[TableBlock::kMafTime], 20);
  EXPECT_EQ(Model.Tab1()[TableBlock::kThreshold], 30);
  Model.Redo();
  EXPECT_EQ(Panel.Texts, later.Texts);
}

TEST_F(TableTest, HistoryFileRoundTripIsExactAndKeepsTheTable) {
  TempDir dir;
  Model.Tab1()[TableBlock::kIatCorr] = -5;
  Model.PushHistory();
  Model.SetPoint(7, 70);
  Model.Undo();
  const auto path = dir.Path() / kHistoryFileName;
  ASSERT_TRUE(Model.SaveHistory(path));
  const std::vector<std::uint8_t> bytes = ReadAll(path);
  ASSERT_EQ(bytes.size(), 4 + 3 * kSnapshotFileBytes);
  EXPECT_EQ(bytes[0], 0);
  EXPECT_EQ(bytes[1], 3);
  EXPECT_EQ(bytes[3], 1);  // position
  const std::size_t iat = 4 + kSnapshotFileBytes + TableBlock::kIatCorr * 2;
  EXPECT_EQ(bytes[iat], 0xFF);
  EXPECT_EQ(bytes[iat + 1], 0xFB);

  TOrvelBroadcaster bus;
  Table other(bus, Messages, Keys);
  other.BindGraph(nullptr, true, nullptr);
  other.SetPoint(1, 1);
  const TableBlock before = other.Tab1();
  ASSERT_TRUE(other.LoadHistory(path));
  EXPECT_EQ(other.Tab1(), before);
  EXPECT_EQ(other.History().History(), Model.History().History());
  EXPECT_EQ(other.History().HistoryCount(), 3U);
  EXPECT_EQ(other.History().HistoryPos(), 1);
  ASSERT_TRUE(other.SaveHistory(dir.Path() / "again.his"));
  EXPECT_EQ(ReadAll(dir.Path() / "again.his"), bytes);
  other.Redo();
  EXPECT_EQ(other.Tab1()[TableBlock::kIatCorr], -5);
  EXPECT_EQ(other.GetOut(7), 70);
  EXPECT_TRUE(Messages.Texts.empty());
}

TEST_F(TableTest, MissingHistoryFileIsSkippedSilently) {
  TempDir dir;
  EXPECT_FALSE(Model.LoadHistory(dir.Path() / "none.his"));
  EXPECT_EQ(Model.History().HistoryCount(), 1U);
  EXPECT_TRUE(Messages.Texts.empty());
}

// A valid two-snapshot file, then damaged in the ways a loader must notice.
// The bytes of the history's file.
std::vector<std::uint8_t> SavedBytes(const UndoHistory& history) {
  TempDir dir;
  RecordedMessages messages;
  EXPECT_TRUE(SaveHistoryFile(dir.Path() / "h.his", history, messages));
  return ReadAll(dir.Path() / "h.his");
}

// Loads `bytes` as a history file into `history`.
bool LoadBytes(const std::vector<std::uint8_t>& bytes, UndoHistory& history, RecordedMessages& messages) {
  TempDir dir;
  WriteAll(dir.Path() / "h.his", bytes);
  return LoadHistoryFile(dir.Path() / "h.his", history, messages);
}

TEST(HistoryFile, DamagedFilesAreRejectedAndTheHistoryKept) {
  UndoHistory source;
  source.Push(Marked(1));
  source.Push(Marked(2));
  const std::vector<std::uint8_t> good = SavedBytes(source);
  const auto link = [](std::size_t snapshot, bool redo) {
    return 4 + snapshot * kSnapshotFileBytes + (kSnapshotNumbers - (redo ? 1 : 2)) * 2;
  };
  struct Case {
    const char* Name;
    std::size_t Offset;
    std::vector<std::uint8_t> Word;  // empty: cut the file at Offset
  };
  for (const Case& c :
       {Case{"short header", 3, {}}, Case{"short snapshot", good.size() - 1, {}},
        Case{"negative count", 0, {0xFF, 0xFE}}, Case{"count beyond capacity", 0, {0x7D, 0x01}},
        Case{"position beyond", 2, {0, 2}}, Case{"negative position", 2, {0xFF, 0xFF}},
        Case{"undo link beyond", link(1, false), {0, 2}},
        Case{"redo link negative", link(0, true), {0x80, 0}}}) {
    std::vector<std::uint8_t> bytes = good;
    if (c.Word.empty()) {
      bytes.resize(c.Offset);
    } else {
      bytes[c.Offset] = c.Word[0];
      bytes[c.Offset + 1] = c.Word[1];
    }
    UndoHistory history;
    history.Push(Marked(9));
    RecordedMessages messages;
    EXPECT_FALSE(LoadBytes(bytes, history, messages)) << c.Name;
    EXPECT_EQ(messages.Texts.size(), 1U) << c.Name;
    EXPECT_EQ(history.HistoryCount(), 1U) << c.Name;
    EXPECT_EQ(history.History()[0].Tab1[0], 9) << c.Name;
  }
  UndoHistory history;
  RecordedMessages messages;
  EXPECT_TRUE(LoadBytes(good, history, messages));
  EXPECT_EQ(history.History(), source.History());
}

// Random and truncated files: the loader either accepts a history whose links
// all lie inside it or keeps the old one; undo and redo never leave it.
TEST(HistoryFile, RandomAndTruncatedFilesNeverLeadOutside) {
  std::mt19937 random(1234);
  UndoHistory source(8);
  for (int i = 0; i < 5; ++i) {
    source.Push(Marked(i));
  }
  const std::vector<std::uint8_t> good = SavedBytes(source);
  int accepted = 0;
  for (int round = 0; round < 300; ++round) {
    std::vector<std::uint8_t> bytes = good;
    if (round % 2 == 1) {
      bytes.resize(std::uniform_int_distribution<std::size_t>(0, good.size())(random));
    } else {
      // Full length with a small count and position, so that some files are sound.
      bytes[1] = static_cast<std::uint8_t>(random() % 6);
      bytes[3] = static_cast<std::uint8_t>(random() % 6);
    }
    const int flips = std::uniform_int_distribution<int>(0, 3)(random);
    for (int f = 0; f < flips && !bytes.empty(); ++f) {
      const std::size_t at = std::uniform_int_distribution<std::size_t>(0, bytes.size() - 1)(random);
      bytes[at] = static_cast<std::uint8_t>(random());
    }
    UndoHistory history(8);
    history.Push(Marked(99));
    RecordedMessages messages;
    if (LoadBytes(bytes, history, messages)) {
      ++accepted;
    } else {
      ASSERT_EQ(history.History().size(), 1U);
      ASSERT_EQ(history.History()[0].Tab1[0], 99);
    }
    const auto size = static_cast<std::int32_t>(history.History().size());
    if (size == 0) {
      ASSERT_EQ(history.Undo(), nullptr);
      continue;
    }
    for (int step = 0; step < 20; ++step) {
      const TBufUndoRedo* s = step % 3 == 0 ? history.Redo() : history.Undo();
      ASSERT_NE(s, nullptr);
      ASSERT_GE(history.HistoryPos(), 0);
      ASSERT_LT(history.HistoryPos(), size);
    }
    history.Push(Marked(100));
    ASSERT_LE(history.History().size(), 8U);
  }
  EXPECT_GT(accepted, 0);  // the sound path is exercised too
}

}  // namespace
}  // namespace orvel::test

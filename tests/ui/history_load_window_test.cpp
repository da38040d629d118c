// The undo history loads on a worker thread after the first paint: the
// window answers keys meanwhile, an undo pressed before the load landed acts
// on the loaded history, and a close or the window's end before the landing
// leaves the history file as it was.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QKeyEvent>
#include <QTimer>

#include "frame_rig.h"
#include "table/history_file.h"
#include "table/table.h"
#include "ui/keyboard_modifiers.h"

namespace orvel::ui {
namespace {

// The file's identity: a save replaces it by a new file (a rename).
ino_t InodeOf(const std::filesystem::path& path) {
  struct stat info {};
  EXPECT_EQ(::stat(path.c_str(), &info), 0);
  return info.st_ino;
}

// Runs the event loop only until the first paint has started the history
// load; the landing needs the loop again (or a history command), so the load
// is still pending afterwards.
bool RunUntilTheLoadStarted(TForm1& window) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!window.MainTable().HistoryLoadPending() && std::chrono::steady_clock::now() < deadline) {
    QApplication::processEvents();
  }
  return window.MainTable().HistoryLoadPending();
}

// A key as the keyboard delivers it, without running the event loop around it.
void Press(TForm1& window, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QKeyEvent press(QEvent::KeyPress, key, modifiers);
  QKeyEvent release(QEvent::KeyRelease, key, modifiers);
  QCoreApplication::sendEvent(window.windowHandle(), &press);
  QCoreApplication::sendEvent(window.windowHandle(), &release);
}

// Every one of the 32000 places taken, each snapshot marked with its number.
UndoHistory FullHistory() {
  UndoHistory full;
  for (std::size_t i = 0; i < kHistoryCapacity; ++i) {
    TBufUndoRedo s;
    s.Tab1[0] = static_cast<std::int32_t>(i % 256);
    s.Tab1[1] = static_cast<std::int32_t>(i / 256);
    full.Push(s);
  }
  return full;
}

TEST(HistoryLoadWindowTest, KeysAreAnsweredWhileAFullHistoryLoadsAndAnEarlyUndoActsOnIt) {
  UndoHistory full = FullHistory();
  test::FrameRig rig;
  RecordedMessages saved;
  ASSERT_TRUE(SaveHistoryFile(rig.File(kHistoryFileName), full, saved));
  rig.DeferHistory = true;
  rig.Start();
  TForm1& window = *rig.Window;
  window.show();
  ASSERT_TRUE(RunUntilTheLoadStarted(window));

  // The page key is handled at once: the UI thread does not wait for the
  // worker's decode, which has not landed.
  Press(window, Qt::Key_4);
  EXPECT_EQ(window.MainPageControl().currentIndex(), TForm1::kDashboardPage);
  EXPECT_TRUE(window.MainTable().HistoryLoadPending());

  // Undo before the landing waits for it and undoes in the loaded history.
  window.ModifierKeys().CtrlLatched = true;
  Press(window, Qt::Key_Z);
  EXPECT_TRUE(window.HistoryLoaded());
  const TBufUndoRedo* undone = full.Undo();
  ASSERT_NE(undone, nullptr);
  EXPECT_EQ(window.MainTable().GetOut(0), undone->Tab1[0]);
  EXPECT_EQ(window.MainTable().GetOut(1), undone->Tab1[1]);
  EXPECT_EQ(window.MainTable().History().HistoryPos(), full.HistoryPos());
  EXPECT_EQ(window.MainTable().History().HistoryCount(), kHistoryCapacity);
  // The worker's queued hand-over was dropped: nothing lands a second time.
  QTest::qWait(50);
  EXPECT_EQ(window.MainTable().History().HistoryPos(), full.HistoryPos());
  EXPECT_TRUE(rig.Messages.Texts.empty()) << rig.Messages.Texts.front();
}

// The close writes a full history on a worker while the event loop turns:
// a timer keeps firing through it, and the file holds the history exactly.
TEST(HistoryLoadWindowTest, AFullHistoryIsSavedAtTheCloseWhileTheWindowTurns) {
  UndoHistory full = FullHistory();
  test::FrameRig rig;
  RecordedMessages saved;
  ASSERT_TRUE(SaveHistoryFile(rig.File(kHistoryFileName), full, saved));
  const auto bytes = rig.ReadFile(kHistoryFileName);
  rig.Start();
  TForm1& window = *rig.Window;
  window.show();
  ASSERT_TRUE(window.HistoryLoaded());
  ASSERT_TRUE(std::filesystem::remove(rig.File(kHistoryFileName)));

  int ticks = 0;
  QTimer timer;
  timer.setInterval(1);
  QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
  timer.start();
  window.close();
  timer.stop();
  EXPECT_TRUE(window.Core().Closed());
  EXPECT_GT(ticks, 0) << "the event loop stood still while the history was written";
  EXPECT_EQ(rig.ReadFile(kHistoryFileName), bytes);
  EXPECT_TRUE(rig.Messages.Texts.empty()) << rig.Messages.Texts.front();
}

// Closed, or the window gone, while the load runs: the file is neither
// rewritten nor replaced, and nothing waits for the dropped hand-over.
TEST(HistoryLoadWindowTest, ACloseOrTheWindowsEndBeforeTheLandingLeavesTheFile) {
  UndoHistory earlier;
  for (int i = 0; i < 4; ++i) {
    TBufUndoRedo s;
    s.Tab1[0] = i;
    earlier.Push(s);
  }
  for (const bool close : {true, false}) {
    SCOPED_TRACE(close);
    test::FrameRig rig;
    RecordedMessages saved;
    ASSERT_TRUE(SaveHistoryFile(rig.File(kHistoryFileName), earlier, saved));
    const auto bytes = rig.ReadFile(kHistoryFileName);
    const ino_t inode = InodeOf(rig.File(kHistoryFileName));
    rig.DeferHistory = true;
    rig.Start();
    rig.Window->show();
    ASSERT_TRUE(RunUntilTheLoadStarted(*rig.Window));
    if (close) {
      rig.Window->close();
      EXPECT_TRUE(rig.Window->Core().Closed());
      EXPECT_FALSE(rig.Window->HistoryLoaded());
    }
    rig.Window.reset();
    EXPECT_EQ(InodeOf(rig.File(kHistoryFileName)), inode);
    EXPECT_EQ(rig.ReadFile(kHistoryFileName), bytes);
  }
}

}  // namespace
}  // namespace orvel::ui

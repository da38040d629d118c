// The undo history loaded on a worker thread and landed through the main
// thread's dispatcher: it lands as the synchronous load leaves the history, a
// command issued before it lands waits for it and acts on the loaded history,
// a damaged file is reported on landing and changes nothing, and a model that
// goes while its load runs drops the load without leaving a call behind.

#include "table/history_load.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>

#include "core/main_thread_dispatcher.h"
#include "support/temp_dir.h"
#include "table/history_file.h"
#include "table/table.h"

namespace orvel::test {
namespace {

TBufUndoRedo Marked(int mark) {
  TBufUndoRedo s;
  s.Tab1[0] = mark;
  s.Trained[3] = -mark;
  return s;
}

// What PushHistory stores of the model.
TBufUndoRedo SnapshotOf(const Table& model) {
  TBufUndoRedo s;
  s.Tab1 = model.Tab1().Entries;
  s.Tab2 = model.Tab2().Entries;
  s.Anchors1 = model.Anchors1();
  s.Anchors2 = model.Anchors2();
  s.TrainedAnchors = model.TrainedAnchors();
  s.Trained = model.Trained();
  return s;
}

void ExpectSameHistory(const UndoHistory& actual, const UndoHistory& expected) {
  EXPECT_EQ(actual.HistoryCount(), expected.HistoryCount());
  EXPECT_EQ(actual.HistoryPos(), expected.HistoryPos());
  EXPECT_TRUE(actual.History() == expected.History());
}

class HistoryLoadTest : public ::testing::Test {
 protected:
  HistoryLoadTest() {
    Model.BindGraph(nullptr, true, nullptr);
    // An earlier run's history of five snapshots, standing on the fourth, so
    // that both undo and redo have somewhere to go.
    UndoHistory earlier;
    for (int i = 1; i <= 5; ++i) {
      earlier.Push(Marked(i));
    }
    earlier.Undo();
    RecordedMessages saved;
    EXPECT_TRUE(SaveHistoryFile(Path, earlier, saved));
    EXPECT_TRUE(LoadHistoryFile(Path, Loaded, saved));
  }

  void Start(Table& model) {
    model.StartHistoryLoad(Path, [this](std::function<void()> call, std::stop_token stop) {
      return Dispatcher.RunAndWait(std::move(call), std::move(stop));
    });
  }

  // The main thread's loop: runs the dispatcher's calls until the load landed.
  bool RunUntilLanded() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (Model.HistoryLoadPending() && std::chrono::steady_clock::now() < deadline) {
      Dispatcher.WaitForCall(std::chrono::milliseconds(10));
      Dispatcher.RunPending();
    }
    return !Model.HistoryLoadPending();
  }

  TempDir Dir;
  const std::filesystem::path Path = Dir.Path() / kHistoryFileName;
  // The synchronous decode of the file.
  UndoHistory Loaded;
  // Before the model: a load's worker may be waiting in it while the model goes.
  QueuedDispatcher Dispatcher;
  TOrvelBroadcaster Bus;
  RecordedMessages Messages;
  LatchedModifiers Keys;
  Table Model{Bus, Messages, Keys};
};

TEST_F(HistoryLoadTest, LandsThroughTheDispatcherAsTheSynchronousLoadAndKeepsTheTable) {
  Model.SetPoint(9, 90);
  const TableBlock before = Model.Tab1();
  Start(Model);
  ASSERT_TRUE(RunUntilLanded());
  ExpectSameHistory(Model.History(), Loaded);
  EXPECT_EQ(Model.Tab1(), before);
  EXPECT_TRUE(Messages.Texts.empty());
}

// Each command, issued right after the start without the main loop running
// (so the hand-over cannot have run), acts on the loaded history exactly as
// on the synchronously loaded one; the hand-over the worker queued is then
// dropped and lands nothing a second time.
TEST_F(HistoryLoadTest, ACommandBeforeTheLandingWaitsForItAndActsOnTheLoadedHistory) {
  struct Case {
    const char* Name;
    std::function<void(Table&)> Command;
    std::function<void(UndoHistory&, const Table&)> OnLoaded;
  };
  const Case cases[] = {
      {"push",
       [](Table& t) {
         t.Tab1()[5] = 55;
         t.PushHistory();
       },
       [](UndoHistory& h, const Table& t) { h.Push(SnapshotOf(t)); }},
      {"undo", [](Table& t) { t.Undo(); }, [](UndoHistory& h, const Table&) { h.Undo(); }},
      {"redo", [](Table& t) { t.Redo(); }, [](UndoHistory& h, const Table&) { h.Redo(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    RecordedMessages messages;
    Table model(Bus, messages, Keys);
    model.BindGraph(nullptr, true, nullptr);
    Start(model);
    c.Command(model);
    EXPECT_FALSE(model.HistoryLoadPending());
    UndoHistory expected = Loaded;
    c.OnLoaded(expected, model);
    ExpectSameHistory(model.History(), expected);
    EXPECT_EQ(model.Tab1()[0], expected.History()[static_cast<std::size_t>(expected.HistoryPos())].Tab1[0]);
    Dispatcher.WaitForCall(std::chrono::milliseconds(50));
    Dispatcher.RunPending();
    ExpectSameHistory(model.History(), expected);
    EXPECT_TRUE(messages.Texts.empty());
  }
}

TEST_F(HistoryLoadTest, ADamagedFileIsReportedOnLandingAndLeavesTheHistory) {
  std::filesystem::resize_file(Path, std::filesystem::file_size(Path) - 1);
  Model.SetPoint(2, 20);
  const UndoHistory before = Model.History();
  Start(Model);
  // Nothing is shown from the worker: the message waits for the landing.
  EXPECT_TRUE(Messages.Texts.empty());
  ASSERT_TRUE(RunUntilLanded());
  EXPECT_EQ(Messages.Texts,
            std::vector<std::string>{Path.string() + ": damaged undo history, not loaded; it is kept as " +
                                     Path.string() + ".damaged when the program closes"});
  ExpectSameHistory(Model.History(), before);
}

// Gone while decoding, or with its hand-over queued and not yet run: either
// way no call to the gone model stays behind in the dispatcher.
TEST_F(HistoryLoadTest, AModelThatGoesBeforeTheLandingDropsTheLoad) {
  for (const bool handedOver : {false, true}) {
    SCOPED_TRACE(handedOver);
    RecordedMessages messages;
    auto model = std::make_unique<Table>(Bus, messages, Keys);
    Start(*model);
    if (handedOver) {
      ASSERT_TRUE(Dispatcher.WaitForCall(std::chrono::seconds(20)));
    }
    model.reset();
    EXPECT_EQ(Dispatcher.RunPending(), 0U);
    EXPECT_TRUE(messages.Texts.empty());
  }
}

}  // namespace
}  // namespace orvel::test

#include "table/table.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace orvel {

namespace {

int LimitIndex(int x) {
  return std::clamp(x, 0, 255);
}

}  // namespace

Table::Table(TOrvelBroadcaster& bus, UserMessages& messages, const ModifierState& modifiers)
    : Broadcaster(bus), Messages(messages), Modifiers(modifiers) {}

void Table::BindGraph(TableGraphView* graph, bool showTrained, ParameterPanel* tab1Panel) {
  Graph = graph;
  TrainedShown = showTrained;
  if (tab1Panel != nullptr) {
    Panel1 = tab1Panel;
  }
  ExtendEnds = false;
  Falling = false;
  Dashboard = nullptr;
  ResetParameters(1);
  ShowParameters(1);
  Redraw();
  PushHistory();
}

void Table::BindDashboard(DashboardChartView* dashboard) {
  Dashboard = dashboard;
  DashValues.MafBeg = 0;
  DashValues.MafEnd = 0;
  DashValues.Correction = 0;
  DashValues.DashMaf = 0;
  DashValues.DashOut = 0;
  RedrawDashboard();
}

void Table::BindSecondTable(ParameterPanel* tab2Panel) {
  if (tab2Panel != nullptr) {
    Panel2 = tab2Panel;
  }
  ResetParameters(2);
  ShowParameters(2);
  Redraw();
}

void Table::ResetParameters(int n) {
  orvel::ResetParameters(Block(n));
}

void Table::ShowParameters(int n) {
  orvel::ShowParameters(Block(n), Panel(n));
}

void Table::TakeParameters(int n) {
  orvel::TakeParameters(Panel(n), Block(n));
}

void Table::SetLearnedBegin(int index) {
  LearnedBeginIndex = LimitIndex(index);
}

void Table::SetMaxMaf(int x) {
  MaxMafX = LimitIndex(x);
  Redraw();
}

void Table::SetMaxMafAnyway(int x) {
  MaxMafAnywayX = LimitIndex(x);
}

void Table::SetDashboardSample(int maf, int out, int iat, int ect, int iatCorr, int ectCorr) {
  DashValues.DashMaf = maf;
  DashValues.DashOut = out;
  DashValues.DashIat = iat;
  DashValues.DashEct = ect;
  DashValues.DashIatCorr = iatCorr;
  DashValues.DashEctCorr = ectCorr;
}

void Table::SetCorrectionWindow(int correction, int beg, int end, int reason) {
  const bool moved = beg != DashValues.MafBeg || end != DashValues.MafEnd;
  DashValues.Correction = correction;
  DashValues.MafBeg = beg;
  DashValues.MafEnd = end;
  if (Link != nullptr) {
    Link->TellCorrectionWindow(correction, beg, end, reason);
  }
  // The chart draws the borders, not the correction.
  if (moved) {
    RedrawDashboard();
  }
}

void Table::Redraw() {
  if (Graph != nullptr) {
    Graph->ShowTable(*this);
  }
  RedrawDashboard();
}

void Table::RedrawDashboard() {
  if (Dashboard != nullptr) {
    Dashboard->ShowDashboard(*this);
  }
}

TBufUndoRedo Table::Snapshot() const {
  TBufUndoRedo s;
  s.Tab1 = Tab1Block.Entries;
  s.Tab2 = Tab2Block.Entries;
  s.Anchors1 = Anchors1Flags;
  s.Anchors2 = Anchors2Flags;
  s.TrainedAnchors = TrainedAnchorFlags;
  s.Trained = TrainedValues;
  return s;
}

void Table::Restore(const TBufUndoRedo& snapshot) {
  Tab1Block.Entries = snapshot.Tab1;
  Tab2Block.Entries = snapshot.Tab2;
  Anchors1Flags = snapshot.Anchors1;
  Anchors2Flags = snapshot.Anchors2;
  TrainedAnchorFlags = snapshot.TrainedAnchors;
  TrainedValues = snapshot.Trained;
  // The panels show the restored parameters: saving and sending take them
  // from there.
  ShowParameters(1);
  ShowParameters(2);
}

void Table::PushHistory() {
  LoadedHistory().Push(Snapshot());
}

void Table::Undo() {
  if (const TBufUndoRedo* snapshot = LoadedHistory().Undo()) {
    Restore(*snapshot);
  }
}

void Table::Redo() {
  if (const TBufUndoRedo* snapshot = LoadedHistory().Redo()) {
    Restore(*snapshot);
  }
}

UndoHistory& Table::LoadedHistory() {
  FinishHistoryLoad();
  return Snapshots;
}

UndoHistory Table::ReleaseHistory() {
  FinishHistoryLoad();
  return std::exchange(Snapshots, UndoHistory(Snapshots.Capacity()));
}

void Table::StartHistoryLoad(const std::filesystem::path& path, MainThreadCall handOver) {
  FinishHistoryLoad();
  PendingLoad.reset();
  PendingLanded = false;
  PendingLoad = std::make_unique<BackgroundHistoryLoad>(path, Snapshots.Capacity(), std::move(handOver),
                                                        [this] { LandHistory(); });
}

void Table::FinishHistoryLoad() {
  if (HistoryLoadPending()) {
    PendingLoad->Wait();
    LandHistory();
  }
}

void Table::AbandonHistoryLoad() {
  if (HistoryLoadPending()) {
    PendingLoad.reset();
  }
}

void Table::LandHistory() {
  if (!HistoryLoadPending()) {
    return;
  }
  // Landed before anything is shown: a message box's event loop may run a
  // command that uses the history, and it finds the loaded one.
  PendingLanded = true;
  if (PendingLoad->Loaded()) {
    std::swap(Snapshots, PendingLoad->Staged());
  }
  const std::vector<std::string> texts = PendingLoad->Messages();
  for (const std::string& text : texts) {
    Messages.ShowMessage(text);
  }
}

}  // namespace orvel

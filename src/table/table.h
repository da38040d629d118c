#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "core/orvel_broadcaster.h"
#include "core/user_messages.h"
#include "table/history_load.h"
#include "table/parameters.h"
#include "table/table_block.h"
#include "table/table_views.h"
#include "table/undo_history.h"

namespace orvel {

inline constexpr std::int32_t kFlagSet = 255;
inline constexpr const char* kHistoryFileName = "UndoRedoHistory.his";

using BlockFlags = std::array<std::int32_t, TableBlock::kSize>;
using PointValues = std::array<std::int32_t, TableBlock::kOutCount>;

// Which temperature correction table ApplyTempCorrection changes.
enum class TempCorrection { Iat, Ect };

// The conversion table model: two blocks with the bookkeeping that editing
// and correction need (trained points, anchors, the learned beginning), the
// dashboard's live values, and the undo history. Views, panels and the link
// are bound after construction; without them the model works the same.
class Table {
 public:
  Table(TOrvelBroadcaster& bus, UserMessages& messages, const ModifierState& modifiers);
  Table(const Table&) = delete;
  Table& operator=(const Table&) = delete;

  // Binding, once each, in this order.
  void BindGraph(TableGraphView* graph, bool showTrained, ParameterPanel* tab1Panel);
  void BindDashboard(DashboardChartView* dashboard);
  void BindSecondTable(ParameterPanel* tab2Panel);
  void SetLink(CorrectionWindowLink* link) { Link = link; }

  // The panel that shows the parameters of block 1 or 2 (the bound one, or
  // the model's own text panel while none is bound).
  ParameterPanel& BoundPanel(int n) { return Panel(n); }
  // Parameters of block 1 or 2.
  void ResetParameters(int n);
  void ShowParameters(int n);
  void TakeParameters(int n);

  // Table file of block n; false (after the message) when nothing was written/read.
  bool SaveTableFile(const std::filesystem::path& path, int n);
  bool LoadTableFile(const std::filesystem::path& path, int n);

  // Undo history and its file. While a load started by StartHistoryLoad has
  // not landed, each of these first waits for it and lands it, so nothing is
  // pushed onto (or read from) the history that the load then replaces.
  void PushHistory();
  void Undo();
  void Redo();
  bool SaveHistory(const std::filesystem::path& path = kHistoryFileName);
  bool LoadHistory(const std::filesystem::path& path = kHistoryFileName);
  [[nodiscard]] const UndoHistory& History() { return LoadedHistory(); }
  // Ties the snapshots of one user action (several operations) into one undo step.
  void TieHistorySince(std::int32_t before, std::uint32_t countBefore) {
    LoadedHistory().TieSince(before, countBefore);
  }

  // Main thread. Starts loading the history file on a worker thread; it
  // lands when `handOver` runs it on the main thread or when the history is
  // first used, whichever comes first. Landing replaces the history when the
  // file was sound and shows the load's messages, as LoadHistory does.
  void StartHistoryLoad(const std::filesystem::path& path, MainThreadCall handOver);
  // A started load that has not landed yet.
  [[nodiscard]] bool HistoryLoadPending() const { return PendingLoad != nullptr && !PendingLanded; }
  // The last started load has landed (whatever the file held).
  [[nodiscard]] bool HistoryLoadLanded() const { return PendingLoad != nullptr && PendingLanded; }
  // The landed load found a history file that exists but could not be read
  // or was damaged: the close keeps it aside before writing the new one.
  [[nodiscard]] bool HistoryFileDamaged() const { return HistoryLoadLanded() && PendingLoad->Damaged(); }
  // Waits for a pending load and lands it now.
  void FinishHistoryLoad();
  // Drops a pending load: the history stays as it is and nothing is shown.
  void AbandonHistoryLoad();
  // Hands the whole history over (a pending load lands first) and keeps an
  // empty one of the same capacity: the close saves it on a worker while the
  // window goes on turning.
  [[nodiscard]] UndoHistory ReleaseHistory();

  // Table operations.
  void InterpolateByAnchors(bool extendEnds, int edited, bool inverse);
  void InterpolateByTrained(bool extendEnds, int edited, bool inverse);
  void SelectSeries(EditSeries series) { Selected = series; }
  [[nodiscard]] EditSeries SelectedSeries() const { return Selected; }
  void SetPoint(int index, int value);
  void SetOutPoint(int index, int value);
  void MakeOneToOne();
  void SetBeginAsLearned(int count, int delta, bool reset);
  void ApplyWindowCorrection(int correction, int beg, int end, int mode);
  void ClearLearnedRange(int from, int to);
  void MarkLearned(int index);
  void UnmarkLearned(int index);
  [[nodiscard]] int FindTrainedPoint(int from, bool forward, bool reSearch) const;
  void ApplyTempCorrection(int correction, TempCorrection which);

  // Accessors and setters.
  [[nodiscard]] std::int32_t GetOut(int i) const { return Tab1Block[i]; }
  TableBlock& Tab1() { return Tab1Block; }
  [[nodiscard]] const TableBlock& Tab1() const { return Tab1Block; }
  TableBlock& Tab2() { return Tab2Block; }
  [[nodiscard]] const TableBlock& Tab2() const { return Tab2Block; }
  TableBlock& Block(int n) { return n == 2 ? Tab2Block : Tab1Block; }
  BlockFlags& Anchors1() { return Anchors1Flags; }
  [[nodiscard]] const BlockFlags& Anchors1() const { return Anchors1Flags; }
  BlockFlags& Anchors2() { return Anchors2Flags; }
  [[nodiscard]] const BlockFlags& Anchors2() const { return Anchors2Flags; }
  PointValues& Trained() { return TrainedValues; }
  [[nodiscard]] const PointValues& Trained() const { return TrainedValues; }
  PointValues& TrainedAnchors() { return TrainedAnchorFlags; }
  [[nodiscard]] const PointValues& TrainedAnchors() const { return TrainedAnchorFlags; }

  [[nodiscard]] int LearnedBegin() const { return LearnedBeginIndex; }
  void SetLearnedBegin(int index);
  [[nodiscard]] bool InterpolateEnds() const { return ExtendEnds; }
  void SetInterpolateEnds(bool b) { ExtendEnds = b; }
  [[nodiscard]] bool ToyotaMode() const { return Falling; }
  void SetToyotaMode(bool b) { Falling = b; }
  [[nodiscard]] bool ShowTrained() const { return TrainedShown; }
  [[nodiscard]] bool HasDashboard() const { return Dashboard != nullptr; }

  // The log page's MAF limit: a line on every chart of the table.
  [[nodiscard]] int MaxMaf() const { return MaxMafX; }
  void SetMaxMaf(int x);
  // The highest MAF of the run, as the dashboard's tick hands it over every
  // 100 ms. Only stored: the dashboard draws it from its own frame, and the
  // table graph shows the stored value whenever it draws.
  [[nodiscard]] int MaxMafAnyway() const { return MaxMafAnywayX; }
  void SetMaxMafAnyway(int x);

  // The dashboard's correction window and live sample (the temperature
  // corrections in force follow the sample's IAT and ECT).
  struct DashboardState {
    int Correction = 0;
    int MafBeg = 0;
    int MafEnd = 0;
    int DashMaf = 0;
    int DashOut = 0;
    int DashIat = 0;
    int DashEct = 0;
    int DashIatCorr = 0;
    int DashEctCorr = 0;
  };
  [[nodiscard]] const DashboardState& Dash() const { return DashValues; }
  // Stored only: the dashboard's tick draws the sample from its own frame.
  void SetDashboardSample(int maf, int out, int iat, int ect, int iatCorr, int ectCorr);
  void SetCorrectionWindow(int correction, int beg, int end, int reason);

  void Redraw();
  void RedrawDashboard();

  [[nodiscard]] TOrvelBroadcaster& Bus() { return Broadcaster; }

 private:
  ParameterPanel& Panel(int n) { return n == 2 ? *Panel2 : *Panel1; }
  [[nodiscard]] TBufUndoRedo Snapshot() const;
  void Restore(const TBufUndoRedo& snapshot);
  void Interpolate(bool byTrained, bool extendEnds, int edited, bool inverse);
  void InterpolateOutput(bool byTrained, bool extendEnds, int edited, bool inverse);
  void InterpolateTrainedSpans();
  void ForgetAnchors();
  UndoHistory& LoadedHistory();
  void LandHistory();

  TOrvelBroadcaster& Broadcaster;
  UserMessages& Messages;
  const ModifierState& Modifiers;
  TableGraphView* Graph = nullptr;
  DashboardChartView* Dashboard = nullptr;
  CorrectionWindowLink* Link = nullptr;
  TextPanel OwnPanel1;
  TextPanel OwnPanel2;
  ParameterPanel* Panel1 = &OwnPanel1;
  ParameterPanel* Panel2 = &OwnPanel2;

  TableBlock Tab1Block;
  TableBlock Tab2Block;
  BlockFlags Anchors1Flags{};
  BlockFlags Anchors2Flags{};
  PointValues TrainedValues{};
  PointValues TrainedAnchorFlags{};
  int LearnedBeginIndex = 0;
  bool ExtendEnds = false;
  bool Falling = false;
  bool TrainedShown = false;
  int MaxMafX = 0;
  int MaxMafAnywayX = 0;
  DashboardState DashValues;
  EditSeries Selected = EditSeries::Tab1;
  UndoHistory Snapshots;
  // The background load of the history, kept after it landed until the next
  // start or the model's end (its worker may still be returning from the
  // hand-over). Main thread only.
  std::unique_ptr<BackgroundHistoryLoad> PendingLoad;
  bool PendingLanded = false;
};

}  // namespace orvel

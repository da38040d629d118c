// The operations that change a table's values: interpolation between anchors,
// point editing, the 1:1 table, the learned beginning, the dashboard and
// temperature corrections, and the trained-point bookkeeping.
#include <algorithm>

#include "core/number_format.h"
#include "table/interpolation.h"
#include "table/table.h"

namespace orvel {

namespace {

constexpr int kLastPoint = 255;
constexpr int kCorrLimit = 30;

int LimitIndex(int x) {
  return std::clamp(x, 0, kLastPoint);
}
std::int32_t LimitOut(std::int64_t v) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, 0, 255));
}
std::int32_t LimitCorr(std::int64_t v) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, -kCorrLimit, kCorrLimit));
}

std::span<std::int32_t> OutOf(TableBlock& block) {
  return {block.Entries.data(), TableBlock::kOutCount};
}

// Fills one correction table (64 entries from `first`) between its anchored entries.
void InterpolateCorrections(TableBlock& block, const BlockFlags& flags, std::size_t first) {
  const std::span<std::int32_t> entries(block.Entries.data() + first, TableBlock::kCorrCount);
  const auto begin = static_cast<int>(first);
  FillBetweenAnchors(entries, FlaggedAnchors(flags, begin, begin + 63, begin), false);
}

}  // namespace

void Table::InterpolateOutput(bool byTrained, bool extendEnds, int edited, bool inverse) {
  const std::span<std::int32_t> out = OutOf(Tab1Block);
  const int begin = LearnedBeginIndex;
  AnchorList anchors;
  for (int i = begin; i <= kLastPoint; ++i) {
    if (byTrained ? TrainedValues[i] == out[i] : Anchors1Flags[i] > 0) {
      anchors.Add(i);
    }
  }
  if (anchors.Count == 0) {
    return;
  }
  if (anchors.Count == 1) {
    if (!extendEnds) {
      return;
    }
    // One anchor: the straight line through it and the table's end point,
    // (0, 0) for a rising table and (0, 255) for a falling one. An anchor at
    // 0 gives no slope that way; the line then runs to the far corner,
    // (255, 255) or (255, 0), so the table keeps its direction.
    const int p = anchors.Index[0];
    const std::int32_t y = out[p];
    double slope = 0;
    if (p == 0) {
      slope = ((inverse ? 0 : 255) - y) / 255.0;
    } else {
      slope = inverse ? (255.0 - y) / -p : static_cast<double>(y) / p;
    }
    for (int k = 0; p - k >= begin; ++k) {
      out[p - k] = LimitOut(LineValue(y, slope, -k));
    }
    for (int k = 0; p + k <= kLastPoint; ++k) {
      out[p + k] = LimitOut(LineValue(y, slope, k));
    }
    return;
  }
  FillBetweenAnchors(out, anchors, true);
  const int last = anchors.Index[anchors.Count - 1];
  if (extendEnds && last != kLastPoint && edited >= last) {
    const int a = anchors.Index[anchors.Count - 2];
    const std::int32_t y0 = out[a];
    const double slope = AnchorSlope(out, a, last);
    for (int i = last + 1; i <= kLastPoint; ++i) {
      out[i] = LimitOut(LineValue(y0, slope, i - a));
    }
  }
  const int first = anchors.Index[0];
  if (extendEnds && edited != begin && edited <= first) {
    const std::int32_t y0 = out[first];
    const double slope = AnchorSlope(out, first, anchors.Index[1]);
    for (int k = 0; first - k >= begin; ++k) {
      out[first - k] = LimitOut(LineValue(y0, slope, -k));
    }
  }
}

void Table::InterpolateTrainedSpans() {
  const AnchorList spans = FlaggedAnchors(TrainedAnchorFlags, LearnedBeginIndex, kLastPoint);
  for (int n = 0; n + 1 < spans.Count; ++n) {
    const int a = spans.Index[n];
    const int b = spans.Index[n + 1];
    const bool aTrained = TrainedValues[a] > 0;
    const bool bTrained = TrainedValues[b] > 0;
    if (aTrained != bTrained) {
      continue;
    }
    for (int i = a; i < b; ++i) {
      TrainedValues[i] = aTrained ? Tab1Block[i] : 0;
    }
  }
}

void Table::Interpolate(bool byTrained, bool extendEnds, int edited, bool inverse) {
  InterpolateOutput(byTrained, extendEnds, edited, inverse);
  for (std::size_t i = 0; i < TableBlock::kOutCount; ++i) {
    if (TrainedValues[i] > 0) {
      TrainedValues[i] = Tab1Block[i];
    }
  }
  InterpolateCorrections(Tab1Block, Anchors1Flags, TableBlock::kIatCorr);
  InterpolateCorrections(Tab1Block, Anchors1Flags, TableBlock::kEctCorr);
  InterpolateTrainedSpans();
  FillBetweenAnchors(OutOf(Tab2Block), FlaggedAnchors(Anchors2Flags, 0, kLastPoint), false);
  InterpolateCorrections(Tab2Block, Anchors2Flags, TableBlock::kIatCorr);
  InterpolateCorrections(Tab2Block, Anchors2Flags, TableBlock::kEctCorr);
}

void Table::InterpolateByAnchors(bool extendEnds, int edited, bool inverse) {
  Interpolate(false, extendEnds, edited, inverse);
}

void Table::InterpolateByTrained(bool extendEnds, int edited, bool inverse) {
  Interpolate(true, extendEnds, edited, inverse);
}

void Table::ForgetAnchors() {
  Anchors1Flags.fill(0);
  Anchors2Flags.fill(0);
  TrainedAnchorFlags.fill(0);
}

void Table::SetPoint(int index, int value) {
  const bool shift = Modifiers.ShiftHeld();
  if (!shift) {
    ForgetAnchors();
  }
  index = LimitIndex(index);
  const bool correction =
      Selected != EditSeries::Tab1 && Selected != EditSeries::Trained && Selected != EditSeries::Tab2;
  value = correction ? LimitCorr(value) : LimitOut(value);
  const bool second =
      Selected == EditSeries::Tab2 || Selected == EditSeries::IATCorr2 || Selected == EditSeries::ECTCorr2;
  TableBlock& block = second ? Tab2Block : Tab1Block;
  BlockFlags& anchors = second ? Anchors2Flags : Anchors1Flags;
  int hintX = index;
  switch (Selected) {
    case EditSeries::Tab1:
    case EditSeries::Tab2: {
      block[index] = value;
      if (!second && TrainedValues[index] > 0) {
        TrainedValues[index] = value;
      }
      if (shift) {
        anchors[index] = kFlagSet;
      }
      break;
    }
    case EditSeries::IATCorr:
    case EditSeries::ECTCorr:
    case EditSeries::IATCorr2:
    case EditSeries::ECTCorr2: {
      const bool iat = Selected == EditSeries::IATCorr || Selected == EditSeries::IATCorr2;
      const std::size_t entry = (iat ? TableBlock::kIatCorr : TableBlock::kEctCorr) + index / 4;
      block[entry] = value;
      if (shift) {
        anchors[entry] = kFlagSet;
      }
      hintX = index / 4 * 4;
      break;
    }
    case EditSeries::Trained:
      TrainedValues[index] = value >= Tab1Block[index] ? Tab1Block[index] : 0;
      if (shift) {
        TrainedAnchorFlags[index] = kFlagSet;
      }
      break;
  }
  if (Graph != nullptr) {
    Graph->ShowEditHint(Selected, hintX, value);
  }
  if (shift) {
    InterpolateByAnchors(Modifiers.CtrlHeld(), index, Falling);
  }
  Redraw();
  PushHistory();
}

void Table::SetOutPoint(int index, int value) {
  index = LimitIndex(index);
  Tab1Block[index] = value;
  if (TrainedValues[index] > 0) {
    TrainedValues[index] = value;
  }
  if (Modifiers.ShiftHeld()) {
    Anchors1Flags[index] = kFlagSet;
    InterpolateByAnchors(Modifiers.CtrlHeld(), index, Falling);
  } else {
    ForgetAnchors();
  }
  Redraw();
  PushHistory();
}

void Table::MakeOneToOne() {
  for (int i = 0; i <= kLastPoint; ++i) {
    Tab1Block[i] = Falling ? kLastPoint - i : i;
    TrainedValues[i] = 0;
    Anchors1Flags[i] = 0;
    TrainedAnchorFlags[i] = 0;
  }
  std::fill(Tab1Block.Entries.begin() + TableBlock::kIatCorr, Tab1Block.Entries.end(), 0);
  ResetParameters(1);
  ShowParameters(1);
  // The window resets its own copy of the learned beginning; this one stays.
  Redraw();
  PushHistory();
}

void Table::SetBeginAsLearned(int count, int delta, bool reset) {
  count = LimitIndex(count);
  LearnedBeginIndex = count;
  PushHistory();
  const std::int32_t level = LimitOut(static_cast<std::int64_t>(Tab1Block[count]) + delta);
  for (int i = 0; i <= count; ++i) {
    Tab1Block[i] = level;
    TrainedValues[i] = level;
    TrainedAnchorFlags[i] = kFlagSet;
  }
  if (reset) {
    for (int i = 0; i <= kLastPoint; ++i) {
      Anchors1Flags[i] = 0;
      TrainedAnchorFlags[i] = 0;
      if (i > count) {
        TrainedValues[i] = 0;
      }
    }
    Anchors1Flags[count] = kFlagSet;
    Anchors1Flags[kLastPoint] = kFlagSet;
    Tab1Block[kLastPoint] = Falling ? 0 : kLastPoint;
    InterpolateByAnchors(false, count, Falling);
    std::fill_n(Anchors1Flags.begin(), TableBlock::kOutCount, 0);
    TrainedAnchorFlags.fill(0);
    PushHistory();
  }
  InterpolateByTrained(ExtendEnds, count, Falling);
  Redraw();
}

void Table::ApplyWindowCorrection(int correction, int beg, int end, int mode) {
  beg = LimitIndex(beg);
  end = LimitIndex(end);
  const auto add = [&](int i) {
    Tab1Block[i] = LimitOut(static_cast<std::int64_t>(Tab1Block[i]) + correction);
    TrainedValues[i] = Tab1Block[i];
  };
  int edited = end;
  if (mode == 3) {
    for (int i = beg; i <= end; ++i) {
      add(i);
    }
  } else {
    const int m = static_cast<int>(RoundHalfEven((beg + end) / 2.0));
    add(m);
    if (m > 0 && m < kLastPoint) {
      TrainedValues[m - 1] = 0;
      TrainedValues[m + 1] = 0;
    }
    edited = m;
  }
  InterpolateByTrained(ExtendEnds, edited, Falling);
  Redraw();
}

void Table::ClearLearnedRange(int from, int to) {
  PushHistory();
  for (int i = std::max(from, 0); i <= std::min(to, kLastPoint); ++i) {
    TrainedValues[i] = 0;
    Anchors1Flags[i] = 0;
    TrainedAnchorFlags[i] = 0;
  }
  Redraw();
}

void Table::MarkLearned(int index) {
  PushHistory();
  if (index > LearnedBeginIndex && index <= kLastPoint) {
    Anchors1Flags[index] = kFlagSet;
    TrainedValues[index] = Tab1Block[index];
  }
}

void Table::UnmarkLearned(int index) {
  if (index <= LearnedBeginIndex || index > kLastPoint) {
    return;
  }
  Anchors1Flags[index] = 0;
  TrainedValues[index] = 0;
  // With no anchor at or after the point there is nothing to span it: the
  // curve stays as it is and only the point's marks go.
  const bool anchorAfter = std::any_of(Anchors1Flags.begin() + index, Anchors1Flags.begin() + kLastPoint + 1,
                                       [](auto f) { return f > 0; });
  if (anchorAfter) {
    InterpolateByAnchors(ExtendEnds, kLastPoint, Falling);
  }
  Redraw();
}

int Table::FindTrainedPoint(int from, bool forward, bool reSearch) const {
  const auto trained = [this](int i) { return TrainedValues[i] == Tab1Block[i]; };
  if (forward) {
    // A re-search that would start below the table starts at its beginning.
    for (int i = std::max(reSearch ? from - 2 : from + 1, 0); i <= kLastPoint; ++i) {
      if (trained(i)) {
        return i;
      }
    }
    return kLastPoint;
  }
  for (int i = std::min(reSearch ? from + 2 : from - 1, kLastPoint); i >= 0; --i) {
    if (trained(i)) {
      return i;
    }
  }
  return 0;
}

void Table::ApplyTempCorrection(int correction, TempCorrection which) {
  PushHistory();
  const bool iat = which == TempCorrection::Iat;
  const int raw = std::clamp(iat ? DashValues.DashIat : DashValues.DashEct, 0, kLastPoint);
  const std::size_t entry =
      (iat ? TableBlock::kIatCorr : TableBlock::kEctCorr) + static_cast<std::size_t>(raw / 4);
  Tab1Block[entry] = LimitCorr(static_cast<std::int64_t>(SignedByte(Tab1Block[entry])) + correction);
  Redraw();
}

}  // namespace orvel

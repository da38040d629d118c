#pragma once

// The command-line tool's progress bar: one line redrawn in place on a
// terminal, nothing at all when the output is not a terminal.

#include <ostream>
#include <string>

#include "core/progress.h"

namespace orvel::cli {

// True when the process's standard output is a terminal.
bool StdoutIsTerminal();

class TerminalProgress final : public ProgressView {
 public:
  static constexpr int BarWidth = 40;

  TerminalProgress(std::ostream& stream, bool draw) : Stream(stream), Draw(draw) {}
  ~TerminalProgress() override { Hide(); }
  TerminalProgress(const TerminalProgress&) = delete;
  TerminalProgress& operator=(const TerminalProgress&) = delete;

  void SetTitle(std::string_view title) override;
  void SetRange(int minimum, int maximum) override;
  void SetPosition(int position) override;
  [[nodiscard]] int Position() const override { return Current; }
  void Show() override;
  void Hide() override;
  [[nodiscard]] bool Visible() const override { return IsVisible; }

 private:
  void Redraw();

  std::ostream& Stream;
  const bool Draw;
  std::string Title;
  int Minimum = 0;
  int Maximum = 100;
  int Current = 0;
  bool IsVisible = false;
  int DrawnPercent = -1;  // the percentage last drawn; an unchanged one is not redrawn
};

}  // namespace orvel::cli

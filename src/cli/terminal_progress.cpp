#include "cli/terminal_progress.h"

#include <unistd.h>

#include <algorithm>

namespace orvel::cli {

bool StdoutIsTerminal() {
  return isatty(STDOUT_FILENO) == 1;
}

void TerminalProgress::SetTitle(std::string_view title) {
  Title = title;
  DrawnPercent = -1;
  Redraw();
}

void TerminalProgress::SetRange(int minimum, int maximum) {
  Minimum = minimum;
  Maximum = std::max(maximum, minimum);
  Current = std::clamp(Current, Minimum, Maximum);
  Redraw();
}

void TerminalProgress::SetPosition(int position) {
  Current = std::clamp(position, Minimum, Maximum);
  Redraw();
}

void TerminalProgress::Show() {
  IsVisible = true;
  DrawnPercent = -1;
  Redraw();
}

void TerminalProgress::Hide() {
  if (IsVisible && Draw) {
    Stream << '\n' << std::flush;
  }
  IsVisible = false;
}

void TerminalProgress::Redraw() {
  if (!IsVisible || !Draw) {
    return;
  }
  const int span = Maximum - Minimum;
  const int percent = span == 0 ? 100 : (Current - Minimum) * 100 / span;
  if (percent == DrawnPercent) {
    return;
  }
  DrawnPercent = percent;
  const int filled = percent * BarWidth / 100;
  Stream << "\r\033[K" << Title << " [" << std::string(static_cast<std::size_t>(filled), '#')
         << std::string(static_cast<std::size_t>(BarWidth - filled), ' ') << "] " << percent << '%'
         << std::flush;
}

}  // namespace orvel::cli

#pragma once

// Progress of a long transfer (a table write, a firmware update). The window's
// progress window and the command-line tool's terminal bar implement it; the
// transfers only set the title, the range and the position.

#include <string>
#include <string_view>

namespace orvel {

class ProgressView {
 public:
  virtual ~ProgressView() = default;
  virtual void SetTitle(std::string_view title) = 0;
  // The bar runs from `minimum` to `maximum`.
  virtual void SetRange(int minimum, int maximum) = 0;
  virtual void SetPosition(int position) = 0;
  [[nodiscard]] virtual int Position() const = 0;
  virtual void Show() = 0;
  virtual void Hide() = 0;
  [[nodiscard]] virtual bool Visible() const = 0;

 protected:
  ProgressView() = default;
  ProgressView(const ProgressView&) = default;
  ProgressView& operator=(const ProgressView&) = default;
};

// A progress view that only keeps its state: headless callers and tests.
class KeptProgress : public ProgressView {
 public:
  void SetTitle(std::string_view title) override { Title = title; }
  void SetRange(int minimum, int maximum) override {
    Minimum = minimum;
    Maximum = maximum;
  }
  void SetPosition(int position) override { Current = position; }
  [[nodiscard]] int Position() const override { return Current; }
  void Show() override { IsVisible = true; }
  void Hide() override { IsVisible = false; }
  [[nodiscard]] bool Visible() const override { return IsVisible; }

  std::string Title;
  int Minimum = 0;
  int Maximum = 100;
  int Current = 0;
  bool IsVisible = false;
};

}  // namespace orvel

#pragma once

// Tells the converter about the dashboard's correction window: the "c"
// command when the correction changed, the "g" command when the window moved.

#include <array>
#include <cstdint>

#include "core/user_messages.h"
#include "table/table_views.h"

namespace orvel {

class TRXTX;

// The bytes of each command. "c": the magnitude of the correction (held to
// 0..255) and its sign (1 if negative). "g": always 0x00 and 0xFF, whatever
// the window is.
std::array<std::uint8_t, 3> CorrectionCommand(int correction);
std::array<std::uint8_t, 3> WindowCommand();

// Table::SetCorrectionWindow calls it. It writes only while the link is
// connected; a port error is reported once per failure through `messages`,
// and the table keeps its new window and correction either way.
class ConverterCorrectionLink final : public CorrectionWindowLink {
 public:
  ConverterCorrectionLink(TRXTX& link, UserMessages& messages) : Link(link), Messages(messages) {}

  // reason 1: the correction changed; reason 2: the window changed; other
  // reasons send nothing.
  void TellCorrectionWindow(int correction, int beg, int end, int reason) override;

 private:
  TRXTX& Link;
  UserMessages& Messages;
};

}  // namespace orvel

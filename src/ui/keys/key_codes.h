#pragma once

// Keys as the keyboard commands name them: virtual-key codes (the main
// keyboard row's digits and the letters are their characters' codes), with
// the modifier state a command sees. No toolkit types: the dispatcher
// translates the toolkit's key events into these.

#include <cstdint>

namespace orvel::ui {

enum class KeyCode : std::uint16_t {
  None = 0,
  Enter = 13,
  Escape = 27,
  Space = 32,
  Left = 37,
  Up = 38,
  Right = 39,
  Down = 40,
  Delete = 46,
  Digit1 = '1',
  Digit2 = '2',
  Digit3 = '3',
  Digit4 = '4',
  Digit5 = '5',
  Digit8 = '8',
  A = 'A',
  E = 'E',
  I = 'I',
  L = 'L',
  O = 'O',
  P = 'P',
  Q = 'Q',
  R = 'R',
  S = 'S',
  T = 'T',
  Z = 'Z',
  F1 = 112,
  F2,
  F3,
  F4,
  F5,
  F6,
  F7,
  F8,
  F9,
  F10,
  F11,
  F12,
};

// F1 … F12 as 1 … 12; 0 for any other key.
constexpr int FunctionKeyNumber(KeyCode key) {
  const int code = static_cast<int>(key);
  return code >= static_cast<int>(KeyCode::F1) && code <= static_cast<int>(KeyCode::F12)
             ? code - static_cast<int>(KeyCode::F1) + 1
             : 0;
}

constexpr KeyCode FunctionKey(int number) {
  return static_cast<KeyCode>(static_cast<int>(KeyCode::F1) + number - 1);
}

// A key going down (repeated while held) or coming up, with Shift and Ctrl
// as held on the keyboard or latched on screen. Alt is not looked at.
struct KeyStroke {
  KeyCode Key = KeyCode::None;
  bool Shift = false;
  bool Ctrl = false;
};

}  // namespace orvel::ui

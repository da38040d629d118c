#pragma once

// The error words of the converter protocol and the two shared reports that
// turn a failed exchange into a message to the user.

#include <cstddef>
#include <exception>
#include <string>
#include <string_view>

#include "core/user_messages.h"

namespace orvel {

class TRXTX;

// The converter did not answer (or answered short): the word starts with "E".
inline constexpr std::string_view kErrorConnect = "ErrorConnect";
inline constexpr std::string_view kErrorConnectCount = "ErrorConnect=";
// The table read back after a permanent write differs: the word starts with "V".
inline constexpr std::string_view kVerificationError = "VerificationError";

// A failed exchange: the error word and the byte counts received and expected.
struct LinkError : std::exception {
  LinkError(std::string_view word, std::size_t received, std::size_t expected)
      : Word(word), Received(received), Expected(expected) {}
  [[nodiscard]] const char* what() const noexcept override { return Word.c_str(); }

  std::string Word;
  std::size_t Received = 0;
  std::size_t Expected = 0;
};

inline constexpr std::string_view kTryAgain = "Try again!\nПопробуйте еще раз!";

// What follows kTryAgain when the port exists but this user may not open it
// (on a fresh desktop the user is not yet in the group that owns the serial
// devices): why, and what to do. `group` is the device's group ("dialout").
std::string PortPermissionText(std::string_view portPath, std::string_view group);
// The group that owns the device at `portPath`, "dialout" when it cannot be told.
std::string PortGroup(const std::string& portPath);
inline constexpr std::string_view kPortErrorText =
    "COM port doesn't open or used by other application \n"
    "COM порт не выбран или используется  другим приложением";
inline constexpr std::string_view kNoResponseText =
    "Converter doesn't respond. Please check supply voltage,COM port cable, Bluetooth adapter.\n\n"
    "Конвертер не отвечает. Проверьте наличие питания, кабель COM порта, адаптер Bluetooth\n\n\n";
inline constexpr std::string_view kVerificationText = "Verification error.\n\nОшибка верификации.\n\n\n";

// A port that went away in the middle of an exchange.
inline constexpr std::string_view kDeviceGoneText =
    "The converter's port went away during the exchange: check the cable, the adapter and the "
    "converter's power.\n"
    "Порт конвертера пропал во время обмена: проверьте кабель, адаптер и питание конвертера.";

// Errors of the serial port (EComPort) get the port message, or the gone
// device's when the device went away, followed by what failed and why (the
// port's name and the system's reason); any other exception is shown by its
// own text.
void ReportPortError(const std::exception& error, UserMessages& messages);

// Tests only the first letter of the word. "E": the no-response message with
// the counts, then the port is closed (Connected keeps its value, so the next
// operation gets the port message until the port is opened again). "V": the
// verification message. Anything else: nothing.
void ReportLinkError(const LinkError& error, UserMessages& messages, TRXTX& link);

}  // namespace orvel

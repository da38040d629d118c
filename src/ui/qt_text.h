#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace orvel::ui {

// The logic libraries keep texts as UTF-8; the widgets take QString.
inline QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string ToStdString(const QString& text) {
  return text.toStdString();
}

}  // namespace orvel::ui

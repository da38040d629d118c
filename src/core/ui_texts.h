#pragma once

// The window's language-dependent texts. Position 1 of the language list is
// English; every other position selects Russian, except for the hot-key memo
// and the sound folder, which only know positions 0 and 1.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvel {

struct BilingualText {
  std::string_view English;
  std::string_view Russian;

  [[nodiscard]] std::string_view For(int languagePosition) const {
    return languagePosition == 1 ? English : Russian;
  }
};

inline constexpr int kLanguageRussian = 0;
inline constexpr int kLanguageEnglish = 1;

namespace texts {

// Each text is named after the control it captions, as the rest of the
// program names those controls.
// NOLINTBEGIN(readability-identifier-naming)

// Pages and the setup page, with the contactless-sensor settings.
inline constexpr BilingualText TableTabSheet{"2 Conversion Table", "2 Таблица Замены"};
inline constexpr BilingualText LogTabSheet{"3 Log Graph", "3 Графики лога"};
inline constexpr BilingualText DashboardTabSheet{"4 Dashboard", "4 Панель приборов"};
inline constexpr BilingualText SetupTabSheet{"5 Options/Setup", "5 Настройки"};
inline constexpr BilingualText TabSheetTableGraph{"Table Graph", "График таблицы замены"};
inline constexpr BilingualText TabSheetTableCompare{"Comparison", "Утилита сранения таблиц"};
inline constexpr BilingualText TabSheetFirmwareUpdate{"Firmware Update", "Обновление прошивки"};
inline constexpr BilingualText CheckBoxFirmwareRecovery{"Firmware Recovery", "Восстановление прошивки"};
inline constexpr BilingualText GroupBoxContactlessSettings{"Contactless sensor settings",
                                                           "Настройки бесконтактного датчика"};
inline constexpr BilingualText LabelType{"Type", "Тип"};
inline constexpr BilingualText LabelAngle{"Angle", "Раб. угол"};
inline constexpr BilingualText LabelDirection{"Direction", "Направл-е"};
inline constexpr BilingualText LabelCalibration{"Calibrate at", "Калибровка"};
inline constexpr BilingualText ButtonCalibrateKMA{"Run calibration", "Калибровать датчик"};
inline constexpr BilingualText LabelInvertSwitches{"Invert", "Инвертировать"};
inline constexpr BilingualText CheckBoxIdleSwitch{"Idle switch", "Концевик ХХ"};
inline constexpr BilingualText CheckBoxFullSwitch{"Full load switch", "Концевик полной нагрузки"};

// Firmware update page.
inline constexpr BilingualText LabelAttention{"Attention!!!", "Внимание!!!"};
inline constexpr BilingualText LabelFollowFUpgrade{
    "Follow firmware upgrade instructions carefully",
    "Строго соблюдайте инструкцию по обновлению прошивки устройства"};

// Progress window caption.
inline constexpr BilingualText ProgressCaption{"Writing table", "Запись таблицы"};
// NOLINTEND(readability-identifier-naming)

}  // namespace texts

// The hot-key help, one entry per line: 28 lines for positions 0 and 1, none
// for any other position.
std::vector<std::string> HotKeyMemoLines(int languagePosition);

// "Sound/Ru/" for position 0, "Sound/En/" for position 1, nothing otherwise
// (the folder then stays as it was).
std::optional<std::string> SoundFolderFor(int languagePosition);

}  // namespace orvel

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
// The firmware label while the converter is being opened and identified.
inline constexpr BilingualText LabelConnecting{"Connecting…", "Подключение…"};
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

// Action bars. Two bars may caption one command differently.
inline constexpr BilingualText TableBarOpen{"Open", "Открыть"};
inline constexpr BilingualText TableBarSave{"Save", "Сохранить"};
inline constexpr BilingualText TableBarOneToOne{"1:1 Table", "Замена 1:1"};
inline constexpr BilingualText TableBarRead{"Read from Converter", "Считать из конвертера"};
inline constexpr BilingualText TableBarWrite{"Write to Converter", "Записать в конвертер"};
inline constexpr BilingualText CompareBarOpen{"Open", "Открыть"};
inline constexpr BilingualText CompareBarSave{"Save", "Сохранить"};
inline constexpr BilingualText LogBarOpen{"Open", "Открыть"};
inline constexpr BilingualText LogBarSave{"Save", "Сохранить"};
inline constexpr BilingualText DashboardBarSaveAll{"Save all", "Сохранить все"};
inline constexpr BilingualText DashboardBarWrite{"Write to converter", "Записать в конвертер"};
inline constexpr BilingualText DashboardBarRead{"Read from converter", "Считать из конвертера"};
inline constexpr BilingualText DashboardBarStart{"Start", "Старт"};
inline constexpr BilingualText DashboardBarStop{"Stop", "Стоп"};
inline constexpr BilingualText FirmwareBarUpdate{"Update from file", "Обновить из файла"};
inline constexpr BilingualText FirmwareBarUpdateOneToOne{"Update from file with table 1:1",
                                                         "Обновить с заменой таблицы 1:1"};

// Table graph. The comparison and dashboard charts copy the left-axis title;
// the comparison's LabelSm, LabelEnrch and LabelTpsThrhd copy LabelSmooth,
// LabelEnrichment and LabelTpsThreshold.
inline constexpr BilingualText TableGraphLeftAxis{"Converter OUT, IAT and ECT Corrs",
                                                  "Выход конв., IAT и ECT коррекции"};
inline constexpr BilingualText LabelSmooth{"Smoothing", "Сглаживание"};
inline constexpr BilingualText LabelEnrichment{"Enrichment", "Обогащение УН"};
inline constexpr BilingualText LabelTpsThreshold{"Table 2 threshold", "Переход на таб.№2"};
inline constexpr BilingualText LabelMafTime{"MAF sampling time", "Время выборки MAF"};
inline constexpr BilingualText LabelMafTimeCompare{"MAF samp. 1/100sec", "Выб-ка MAF 1/100сек"};
inline constexpr BilingualText LabelThreshold{"Threshold", "Порог срабатывания"};
inline constexpr BilingualText LabelEnrichmentFactor{"Enrichment ", "Обогащение "};
inline constexpr BilingualText LabelEnleanmentFactor{"Enleanment ", "Спад обогащения "};
inline constexpr BilingualText LabelThresholdCompare{"Threshold", "Порог"};

// Log chart axes.
inline constexpr BilingualText LogValueAxis{"Signal Level", "Уровень Сигнала"};
inline constexpr BilingualText LogTimeAxis{"Time", "Время"};
// Log page buttons.
inline constexpr BilingualText SpeedButtonLogMagicLearn{"Learn", "Обучить"};
inline constexpr BilingualText SpeedButtonLogTakeOutput{"Take output", "Взять выход"};
inline constexpr BilingualText LockLogLimitSpeedButton{"Lock", "Фикс."};
inline constexpr BilingualText LabelLogO2Target{"O2 target", "Цель O2"};
inline constexpr BilingualText LabelLogO2FromDash{"O2 ref.", "O2 реф."};
inline constexpr BilingualText LabelLogMafLimit{"MAF limit", "Порог MAF"};

// Correction group of the dashboard.
inline constexpr BilingualText GroupBoxCorr{"Correction", "Коррекция"};
inline constexpr BilingualText LabelMafBeg{"MAF beg.", "MAF нач."};
inline constexpr BilingualText LabelMafEnd{"MAF end", "MAF кон."};
// Buttons of the correction group and the dashboard chart, named after their keys.
inline constexpr BilingualText SpeedButtonAplToTable{"Table", "Таблица"};
inline constexpr BilingualText SpeedButtonAutocorr{"A  Autocorrection", "A  Автокоррекция"};
inline constexpr BilingualText SpeedButtonExtrapolate{"F6 Extrapolate", "F6 Экстраполяция"};
inline constexpr BilingualText SpeedButtonSetBeginOfTableAsLearned{"F7 Begin learned", "F7 Начало обучено"};
inline constexpr BilingualText SpeedButtonManualBorders{"F8 Manual borders", "F8 Ручные границы"};
inline constexpr BilingualText LabelWidthCaption{"Width", "Ширина"};
inline constexpr BilingualText LabelSensorO2{"O2 sensor", "Датчик O2"};
inline constexpr BilingualText DashboardUndoZoom{"Full view", "Весь график"};

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

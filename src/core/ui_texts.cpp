#include "core/ui_texts.h"

namespace orvel {

namespace {

// Continuation lines of the hot-key help are indented by 61 blanks so that
// they line up under the description of the line above.
std::string Indented(std::string_view text) {
  return std::string(61, ' ') + std::string(text);
}

}  // namespace

std::vector<std::string> HotKeyMemoLines(int languagePosition) {
  if (languagePosition == kLanguageEnglish) {
    return {
        std::string("'F1...F12' - Parameter selection for editing with arrows"),
        std::string("'S' - Start/stop the dashboard"),
        std::string("'Space' - Log marker"),
        std::string(""),
        std::string("'CTRL+S' - Save all (log + table)"),
        std::string("'CTRL+Z' - Undo last action"),
        std::string("'CTRL+SHIFT+Z' - Redo last action"),
        std::string(""),
        std::string("'↑↓' - Manual adjustment, change parameter, change table point"),
        std::string(""),
        std::string("'←/→', Shift + '←/→', CTRL + '←/→' - Change correction boundary positions,"),
        Indented("change correction window width,"),
        Indented("change correction boundary positions by points"),
        std::string(""),
        std::string("DEL - Delete status of trained point"),
        std::string(""),
        std::string("8 - 1 to 1 table"),
        std::string("'Q' - Reset correction to 0"),
        std::string(""),
        std::string("'Enter' - Apply correction to the table"),
        std::string("'I' - Apply correction to the IAT table"),
        std::string("'E' - Apply correction to the ECT table"),
        std::string(""),
        std::string("'A' - Auto-correction/auto-boundaries on/off"),
        std::string("'O' - Reset trained points in the correction window"),
        std::string("'P' - Reset all trained points"),
        std::string(""),
        std::string("'R' - Full reset of the converter!"),
    };
  }
  if (languagePosition == kLanguageRussian) {
    return {
        std::string("'F1...F12'- Выбор параметра для редактирования стрелками"),
        std::string("'S'- Старт/стоп панели приборов"),
        std::string("'Пробел' -маркер лога"),
        std::string(""),
        std::string("'CTRL+S'-Сохранить все (лог+таблица)"),
        std::string("'CTRL+Z'- Отмена последнего действия"),
        std::string("'CTRL+SHIFT+Z' -Повтор последнего действия"),
        std::string(""),
        std::string("'↑↓'- Ручная коррекция , изменение параметра, изменение точки таблицы"),
        std::string(""),
        std::string("'←/→',Shift +'←/→', CTRL+'←/→' - Изменние положения границ коррекции,"),
        Indented("ширины окна коррекции,"),
        Indented("положения границ коррекции по точкам"),
        std::string(""),
        std::string("DEL - удалить статус  обучености точки"),
        std::string(""),
        std::string("8- таблица 1 к 1"),
        std::string("'Q'- сброс коррекции =0"),
        std::string(""),
        std::string("'Enter'-Внести  коррекцию в таблицу"),
        std::string("'I'-Внести коррекцию в таблицу IAT"),
        std::string("'E'-Внести коррекцию в таблицу ECT"),
        std::string(""),
        std::string("'A'- Автокоррекция/автограницы вкл-выкл"),
        std::string("'O'-Сброс обученных точек в окне коррекции"),
        std::string("'P'-Сброс всех обученных точек"),
        std::string(""),
        std::string("'R'- Полный сброс конвертера!"),
    };
  }
  return {};
}

std::optional<std::string> SoundFolderFor(int languagePosition) {
  if (languagePosition == kLanguageRussian) {
    return "Sound/Ru/";
  }
  if (languagePosition == kLanguageEnglish) {
    return "Sound/En/";
  }
  return std::nullopt;
}

}  // namespace orvel

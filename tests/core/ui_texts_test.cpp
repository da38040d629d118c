#include <gtest/gtest.h>

#include "core/ui_texts.h"

namespace orvel {
namespace {

TEST(UiTexts, HotKeyMemoHasTwentyEightLinesPerLanguageAndNoneOtherwise) {
  const auto english = HotKeyMemoLines(kLanguageEnglish);
  const auto russian = HotKeyMemoLines(kLanguageRussian);
  ASSERT_EQ(english.size(), 28U);
  ASSERT_EQ(russian.size(), 28U);
  EXPECT_EQ(english[0], "'F1...F12' - Parameter selection for editing with arrows");
  EXPECT_EQ(english[11], std::string(61, ' ') + "change correction window width,");
  EXPECT_EQ(russian[27], "'R'- Полный сброс конвертера!");
  EXPECT_TRUE(english[3].empty());
  EXPECT_TRUE(HotKeyMemoLines(2).empty());
}

TEST(UiTexts, PositionsOtherThanEnglishSelectRussianButLeaveTheSoundFolder) {
  EXPECT_EQ(texts::LogTabSheet.For(kLanguageEnglish), "3 Log Graph");
  EXPECT_EQ(texts::LogTabSheet.For(kLanguageRussian), "3 Графики лога");
  EXPECT_EQ(texts::LogTabSheet.For(7), "3 Графики лога");
  EXPECT_EQ(SoundFolderFor(kLanguageRussian), "Sound/Ru/");
  EXPECT_EQ(SoundFolderFor(kLanguageEnglish), "Sound/En/");
  EXPECT_EQ(SoundFolderFor(7), std::nullopt);
}

}  // namespace
}  // namespace orvel

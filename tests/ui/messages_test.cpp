// The fatal messages are stored as Shift-JIS bytes; each must read as the intended Japanese.
#include "ui/messages.h"

#include <gtest/gtest.h>

#include "common/shift_jis.h"

namespace tsuzuri {
namespace {

TEST(MessagesTest, ShiftJisTextsReadAsIntended) {
    EXPECT_EQ(sjisToUtf8Strict(kErrorCaption), "Error");
    EXPECT_EQ(sjisToUtf8Strict(kWindowFailedText), "ウインドウの作成に失敗しました");
    EXPECT_EQ(sjisToUtf8Strict(kRenderDeviceFailedText), "Direct3Dの初期化に失敗しました");
    EXPECT_EQ(sjisToUtf8Strict(kSoundFailedText), "DirectSoundの初期化に失敗しました");
    EXPECT_EQ(sjisToUtf8Strict(kThreadFailedText), "スレッドの初期化に失敗しました");
    EXPECT_EQ(sjisToUtf8Strict(kScenarioFailedText),
              "シナリオの読み込みに失敗しました。\nプログラムを終了します。");
    EXPECT_EQ(sjisToUtf8Strict(kChosenScriptFailedText), "スクリプトの読み込みに失敗しました");
}

}  // namespace
}  // namespace tsuzuri

#include "tests/support/ModalDriver.h"
#include "widgets/MessageBox.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QCoreApplication>

namespace testing_support {
namespace {

using widgets::showMessage;
namespace hook = widgets::messageHook;

// Counts the message boxes that really come on screen.
class ShownBoxes : public QObject {
public:
    ShownBoxes() { qApp->installEventFilter(this); }
    ~ShownBoxes() override { qApp->removeEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && qobject_cast<QMessageBox*>(watched) != nullptr) {
            ++count;
        }
        return false;
    }
    int count = 0;
};

class MessageHookTest : public ::testing::Test {
protected:
    void TearDown() override { forgetMessages(); }
};

TEST_F(MessageHookTest, PresetAnswersAreTakenInOrderAndEachBoxIsRecordedUnshown) {
    ShownBoxes onScreen;
    hook::presetAnswers({QMessageBox::No, QMessageBox::Ok});
    EXPECT_EQ(showMessage(nullptr, QMessageBox::Question, "削除", "よろしいですか？",
                          QMessageBox::Yes | QMessageBox::No),
              QMessageBox::No);
    EXPECT_EQ(showMessage(nullptr, QMessageBox::Warning, "失敗", "保存できません。"),
              QMessageBox::Ok);

    EXPECT_EQ(onScreen.count, 0);
    EXPECT_EQ(hook::presetAnswerCount(), 0);
    const QList<widgets::ShownMessage>& shown = hook::shownMessages();
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(shown[0].title, "削除");
    EXPECT_EQ(shown[0].text, "よろしいですか？");
    EXPECT_EQ(shown[0].icon, QMessageBox::Question);
    EXPECT_EQ(shown[0].buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(shown[0].answer, QMessageBox::No);
    EXPECT_EQ(shown[1].title, "失敗");
    EXPECT_EQ(shown[1].icon, QMessageBox::Warning);
    EXPECT_EQ(shown[1].buttons, QMessageBox::Ok);
}

TEST_F(MessageHookTest, WithNoAnswerPresetTheBoxIsShownAndItsButtonCounts) {
    ShownBoxes onScreen;
    auto visit = onNextModal([](QWidget* box) { pressMessageButton(box, QMessageBox::No); });
    EXPECT_EQ(showMessage(nullptr, QMessageBox::Question, "削除", "よろしいですか？",
                          QMessageBox::Yes | QMessageBox::No),
              QMessageBox::No);
    EXPECT_EQ(onScreen.count, 1);
    EXPECT_TRUE(visit->appeared);
    EXPECT_EQ(visit->objectName, "MessageBox");
    EXPECT_EQ(visit->text, "よろしいですか？");
    EXPECT_TRUE(hook::shownMessages().isEmpty());
}

TEST_F(MessageHookTest, PresetAnswersAreUsedInOrderAndResetForgetsAll) {
    hook::presetAnswers({QMessageBox::Yes, QMessageBox::Ok});
    EXPECT_EQ(showMessage(nullptr, QMessageBox::Question, "a", "a", QMessageBox::Yes),
              QMessageBox::Yes);
    EXPECT_EQ(showMessage(nullptr, QMessageBox::Question, "b", "b"), QMessageBox::Ok);
    hook::presetAnswers({QMessageBox::Yes});
    hook::reset();
    EXPECT_EQ(hook::presetAnswerCount(), 0);
    EXPECT_TRUE(hook::shownMessages().isEmpty());
}

TEST_F(MessageHookTest, TheDriverFillsVisitsAsBoxesCome) {
    auto next = answerNextMessage(QMessageBox::Cancel);
    EXPECT_EQ(showMessage(nullptr, QMessageBox::Information, "題", "本文",
                          QMessageBox::Ok | QMessageBox::Cancel),
              QMessageBox::Cancel);
    EXPECT_TRUE(next->appeared);
    EXPECT_EQ(next->title, "題");
    EXPECT_EQ(next->text, "本文");
    EXPECT_EQ(next->icon, QMessageBox::Information);
    EXPECT_EQ(next->buttons, QMessageBox::Ok | QMessageBox::Cancel);
}

TEST_F(MessageHookTest, TheNoMessageWatchSeesAnUnexpectedBoxWithoutBeingBlocked) {
    {
        NoMessageWatch quiet;
        EXPECT_FALSE(quiet.sawMessage());
    }
    NoMessageWatch watch;
    showMessage(nullptr, QMessageBox::Critical, "エラー", "壊れています。");
    EXPECT_TRUE(watch.sawMessage());
    EXPECT_EQ(watch.firstSeen(), "エラー: 壊れています。");
}

}  // namespace
}  // namespace testing_support

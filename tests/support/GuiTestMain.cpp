#include <gtest/gtest.h>
#include <QApplication>

#include "tests/support/ModalDriver.h"
#include "widgets/Appearance.h"

namespace {

// Answers a test preset but never used must not answer a box of the next test.
class ForgetMessagesAfterEachTest : public ::testing::EmptyTestEventListener {
    void OnTestEnd(const ::testing::TestInfo&) override { testing_support::forgetMessages(); }
};

}  // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication application(argc, argv);
    widgets::installFontSubstitutes();
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new ForgetMessagesAfterEachTest);
    return RUN_ALL_TESTS();
}

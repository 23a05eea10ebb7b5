// The salon's prices in its settings window, and a booking's price in its details: from the
// settings to the booking, and what is refused.
#include "records/Kaikei.h"
#include "salon/uYoyakuShousai.h"
#include "tests/mainwindow/MainWindowFixture.h"
#include "tests/support/DialogFields.h"
#include "tests/support/ModalDriver.h"

#include <QAction>
#include <QLineEdit>
#include <QTableWidget>

namespace testing_support {
namespace {

using records::RecordFile;
using records::kaikei::PriceSettings;

class RyoukinTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        writeReservations({reservationLine("2026", "12", "09", "10", "山田", "ポチ")});
        window = openWindow();
        window->show();
    }
    records::RecordLists& lists() { return window->recordLists(); }

    std::unique_ptr<TfmMain> window;
};

TEST_F(RyoukinTest, PricesSetInTheSettingsAreTheBookingsUntilItIsGivenItsOwn) {
    std::vector<std::shared_ptr<ModalVisit>> refused;
    auto settings = onNextModal([&](QWidget* dialog) {
        auto* grid = dialog->findChild<QTableWidget*>(QStringLiteral("StringGridRyoukin"));
        grid->item(3, 0)->setText(QStringLiteral("5,500"));  // その他・犬, the line's choices
        setFieldText(*dialog, "edtRyoukinHigeCut", QStringLiteral("800"));
        setFieldText(*dialog, "edtSalonMei", QStringLiteral("サロン ポチ"));
        const std::pair<const char*, const char*> wrongs[] = {{"edtRyoukinTumekiri", "-1"},
                                                              {"edtTourokuBangou", "T12345"}};
        for (const auto& [name, text] : wrongs) {
            setFieldText(*dialog, name, QString::fromLatin1(text));
            refused.push_back(answerNextMessage(QMessageBox::Ok));
            click(*dialog, "btnSetteiOK");
            setFieldText(*dialog, name, QString());
        }
        setFieldText(*dialog, "edtTourokuBangou", QStringLiteral("T1234567890123"));
        click(*dialog, "btnSetteiOK");
    });
    window->findChild<QAction*>(QStringLiteral("actSalonSettei"))->trigger();
    ASSERT_TRUE(settings->appeared);
    ASSERT_EQ(refused.size(), 2u);
    EXPECT_TRUE(refused[0]->appeared && refused[0]->text.contains(QStringLiteral("爪切り")));
    EXPECT_TRUE(refused[1]->appeared && refused[1]->text.contains(QStringLiteral("13桁")));
    const PriceSettings stored =
        PriceSettings::fromBytes(lists().setting(PriceSettings::SettingName));
    EXPECT_EQ(stored.prices[3][0], 5500);
    EXPECT_EQ(stored.extraPrices[0], 800);
    EXPECT_EQ(stored.salonName, QStringLiteral("サロン ポチ"));
    EXPECT_EQ(stored.registrationNumber, QStringLiteral("T1234567890123"));

    // Left at the usual price, the booking keeps no price of its own.
    QString shown;
    auto usual = onNextModal([&](QWidget* dialog) {
        shown = fieldText(*dialog, "edtRyoukin");
        click(*dialog, "btnShousaiOK");
    });
    salon::runYoyakuShousai(window.get(), lists(), 0);
    ASSERT_TRUE(usual->appeared);
    EXPECT_EQ(shown, QStringLiteral("5,500"));
    EXPECT_TRUE(lists().detailsAt(RecordFile::Yoyaku, 0).isEmpty());

    std::shared_ptr<ModalVisit> bad;
    auto own = onNextModal([&](QWidget* dialog) {
        setFieldText(*dialog, "edtRyoukin", QStringLiteral("五千"));
        bad = answerNextMessage(QMessageBox::Ok);
        click(*dialog, "btnShousaiOK");
        setFieldText(*dialog, "edtRyoukin", QStringLiteral("6000"));
        click(*dialog, "btnShousaiOK");
    });
    salon::runYoyakuShousai(window.get(), lists(), 0);
    ASSERT_TRUE(own->appeared);
    ASSERT_TRUE(bad && bad->appeared);
    EXPECT_TRUE(bad->text.contains(QStringLiteral("料金")));
    EXPECT_EQ(records::kaikei::ownPriceOf(lists().detailsAt(RecordFile::Yoyaku, 0)), 6000);
}

}  // namespace
}  // namespace testing_support

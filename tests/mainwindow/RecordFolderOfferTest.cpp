#include "mainwindow/RecordFolderOffer.h"
#include "records/RecordFolder.h"
#include "records/uLib.h"
#include "tests/support/Files.h"
#include "tests/support/ModalDriver.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QTemporaryDir>

using namespace testing_support;
using mainwindow::offerCopy;
using mainwindow::pendingCopyOffer;

namespace {

// A packaged program in /usr/bin, its records in a data folder, and an earlier source install
// holding records.
class RecordFolderOfferTest : public ::testing::Test {
protected:
    void SetUp() override {
        QDir().mkpath(data);
        QDir().mkpath(source);
        writeBytes(recordFilePath(source, UserFileName), customers);
        writeBytes(recordFilePath(source, YoyakuFileName), reservations);
    }
    std::optional<mainwindow::CopyOffer> pending() const {
        return pendingCopyOffer(QStringLiteral("/usr/bin"), data,
                                data + QStringLiteral("/trimbook.ini"), source);
    }

    QTemporaryDir temp;
    const QString data = temp.filePath(QStringLiteral("share/trimbook"));
    const QString source = temp.filePath(QStringLiteral("opt/trimbook"));
    const QByteArray customers = sjisOf("ポチ\t犬\n");
    const QByteArray reservations = sjisOf("2026\t12\t9\t10\n");
};

TEST_F(RecordFolderOfferTest, NoOfferWhereTheProgramKeepsItsOwnFolderOrFindsNothing) {
    EXPECT_FALSE(pendingCopyOffer(data, data, data + QStringLiteral("/trimbook.ini"), source))
        << "a program using its own folder";
    EXPECT_FALSE(pendingCopyOffer(QStringLiteral("/usr/bin"), source,
                                  source + QStringLiteral("/trimbook.ini"), source));
    EXPECT_FALSE(pendingCopyOffer(QStringLiteral("/usr/bin"), data,
                                  data + QStringLiteral("/trimbook.ini"), temp.filePath("none")));
}

TEST_F(RecordFolderOfferTest, YesCopiesOnceAndSaysWhereTheRecordsAreNow) {
    const auto offer = pending();
    ASSERT_TRUE(offer);
    auto visits = answerMessages({QMessageBox::Yes, QMessageBox::Ok});
    EXPECT_TRUE(offerCopy(*offer));
    ASSERT_TRUE(visits->at(1)->appeared);
    EXPECT_EQ(visits->at(0)->icon, QMessageBox::Question);
    EXPECT_EQ(visits->at(0)->buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_TRUE(visits->at(0)->text.contains(source)) << visits->at(0)->text.toStdString();
    EXPECT_EQ(visits->at(1)->icon, QMessageBox::Information);
    EXPECT_TRUE(visits->at(1)->text.contains(data)) << visits->at(1)->text.toStdString();

    for (const QString& folder : {data, source}) {
        EXPECT_EQ(bytesOf(recordFilePath(folder, UserFileName)), customers) << folder.toStdString();
        EXPECT_EQ(bytesOf(recordFilePath(folder, YoyakuFileName)), reservations);
    }
    EXPECT_FALSE(pending()) << "asked again after copying";
}

TEST_F(RecordFolderOfferTest, NoIsRememberedInTheDataFolderAndCopiesNothing) {
    auto visits = answerMessages({QMessageBox::No, QMessageBox::NoButton});
    EXPECT_TRUE(offerCopy(*pending()));
    EXPECT_TRUE(visits->at(0)->appeared);
    EXPECT_FALSE(visits->at(1)->appeared);
    EXPECT_FALSE(records::folder::holdsRecordFiles(data));
    EXPECT_FALSE(pending()) << "asked again after No";
    EXPECT_EQ(bytesOf(recordFilePath(source, UserFileName)), customers);
}

TEST_F(RecordFolderOfferTest, AFailedCopyIsReportedAndAskedAgainNextTime) {
    QFile::remove(recordFilePath(source, YoyakuFileName));
    ASSERT_TRUE(QDir().mkdir(recordFilePath(source, YoyakuFileName)));
    auto visits = answerMessages({QMessageBox::Yes, QMessageBox::Ok});
    EXPECT_FALSE(offerCopy(*pending()));
    ASSERT_TRUE(visits->at(1)->appeared);
    EXPECT_EQ(visits->at(1)->icon, QMessageBox::Critical);
    EXPECT_TRUE(pending());
}

}  // namespace

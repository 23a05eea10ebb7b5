#include "photos/PhotoFiles.h"
#include "photos/ShashinPanel.h"
#include "records/RecordLists.h"
#include "records/ReservationRecord.h"
#include "records/VisitPhotos.h"
#include "records/uLib.h"
#include "tests/support/Files.h"
#include "tests/support/FixedClock.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/RecordLines.h"

#include <gtest/gtest.h>
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

using namespace testing_support;
namespace rsv = records::reservation_record;
namespace vp = records::photos;

namespace {

QByteArray booking(const char* tuki, const char* niti, const char* petName = "モモ") {
    QByteArrayList values(rsv::FieldCount);
    values[rsv::YoyakuNen] = "2026";
    values[rsv::YoyakuTuki] = tuki;
    values[rsv::YoyakuNiti] = niti;
    values[rsv::YoyakuJikan] = "10";
    values[rsv::YoyakuHun] = "30";
    values[rsv::Shimei] = sjisOf("山田　花子");
    values[rsv::PetName] = sjisOf(petName);
    return rsv::buildLine(values);
}

class ShashinPanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        standClockAt(QDateTime(QDate(2026, 12, 9), QTime(10, 30)));
        customer_ = customerLine({"モモ", "犬", "", "やまだ", "山田　花子"});
        // Oldest first in the file: the list shows the newest first.
        bookings_ = {booking("11", "18"), booking("12", "02", "ハナ"), booking("12", "23")};
        writeBytes(recordFilePath(dir_.path(), UserFileName), fileOf({customer_}));
        writeBytes(recordFilePath(dir_.path(), YoyakuFileName), fileOf(bookings_));
        lists_.UserListLoad();
        ASSERT_TRUE(lists_.YoyakuFileLoad());
        ASSERT_EQ(lists_.yoyakuIndex().bookedForPet(sjisOf("モモ")).size(), 2);
        QImage picture(2400, 1800, QImage::Format_RGB32);
        picture.fill(Qt::darkCyan);
        ASSERT_TRUE(picture.save(sources_.filePath("dog.jpg")));
        writeBytes(sources_.filePath("notes.jpg"), "no photo");
    }
    void TearDown() override { photos::setPhotoChooser({}); }

    template <typename Widget>
    Widget* child(const QString& name) const {
        auto* found = panel_->findChild<Widget*>(name);
        EXPECT_NE(found, nullptr) << name.toStdString();
        return found;
    }
    QStringList photoFiles() const {
        return QDir(vp::folderOf(dir_.path())).entryList(QDir::Files);
    }
    vp::VisitPhotos stored(qsizetype position) const {
        return vp::VisitPhotos::of(lists_.detailsAt(records::RecordFile::Yoyaku, position));
    }
    void choose(const QStringList& names) {
        QStringList paths;
        for (const QString& name : names) {
            paths.append(sources_.filePath(name));
        }
        photos::setPhotoChooser([paths](QWidget*) { return paths; });
    }

    QTemporaryDir dir_;
    QTemporaryDir sources_;
    THonjitu honjitu_;
    records::RecordLists lists_{honjitu_, dir_.path()};
    QByteArray customer_;
    QByteArrayList bookings_;
    std::unique_ptr<photos::ShashinPanel> panel_;
};

TEST_F(ShashinPanelTest, PhotosAddedToAVisitReachTheStoreOnApplyAndDiscardLeavesNoFile) {
    panel_ = std::make_unique<photos::ShashinPanel>(lists_, customer_);
    panel_->show();
    auto* list = child<QTreeWidget>("ListViewShashin");
    ASSERT_EQ(list->topLevelItemCount(), 2);  // not ハナ's booking
    EXPECT_EQ(list->topLevelItem(0)->text(0), "予定 2026/12/23 10:30");
    EXPECT_EQ(list->topLevelItem(1)->text(0), "2026/11/18 10:30");
    auto* add = child<QPushButton>("btnShashinAdd");
    EXPECT_FALSE(add->isEnabled());

    // The past visit, after grooming: one photo in, the unreadable one named in a warning.
    list->setCurrentItem(list->topLevelItem(1));
    child<QComboBox>("cbPhotoKind")->setCurrentIndex(1);
    choose({"dog.jpg", "notes.jpg"});
    const auto warning = answerNextMessage(QMessageBox::Ok);
    QTest::mouseClick(add, Qt::LeftButton);
    EXPECT_TRUE(warning->appeared);
    EXPECT_TRUE(warning->text.contains("notes.jpg"));
    ASSERT_EQ(list->topLevelItem(1)->childCount(), 1);
    EXPECT_EQ(list->topLevelItem(1)->child(0)->text(0), "施術後");
    EXPECT_FALSE(list->topLevelItem(1)->child(0)->icon(0).isNull());
    ASSERT_EQ(photoFiles().size(), 1);
    EXPECT_TRUE(stored(0).photos.isEmpty());  // not before OK

    // Shown large on a double-click.
    const auto large = onNextModal([](QWidget* dialog) { dialog->close(); });
    emit list->itemDoubleClicked(list->topLevelItem(1)->child(0), 0);
    EXPECT_EQ(large->objectName, "fmShashin");

    EXPECT_TRUE(panel_->hasChanges());
    panel_->apply();
    const vp::VisitPhotos applied = stored(0);
    ASSERT_EQ(applied.photos.size(), 1);
    EXPECT_EQ(applied.photos[0].file, photoFiles().value(0));
    EXPECT_EQ(applied.photos[0].kind, vp::Kind::After);
    QImage kept(photos::photoPath(dir_.path(), applied.photos[0].file));
    EXPECT_EQ(kept.size(), QSize(1600, 1200));
    EXPECT_TRUE(stored(2).photos.isEmpty());

    // Another one to the coming visit, then cancelled: its file goes, the store stays.
    list->setCurrentItem(list->topLevelItem(0));
    choose({"dog.jpg"});
    QTest::mouseClick(add, Qt::LeftButton);
    EXPECT_EQ(photoFiles().size(), 2);
    panel_->discard();
    EXPECT_EQ(photoFiles(), QStringList{applied.photos[0].file});
    EXPECT_EQ(list->topLevelItem(0)->childCount(), 0);
    EXPECT_TRUE(stored(2).photos.isEmpty());

    // Files dropped on a visit are added to it.
    QMimeData dropped;
    dropped.setUrls({QUrl::fromLocalFile(sources_.filePath("dog.jpg"))});
    const QPoint onComing = list->visualItemRect(list->topLevelItem(0)).center();
    QDragEnterEvent enter(onComing, Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(onComing, Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &drop);
    EXPECT_EQ(list->topLevelItem(0)->childCount(), 1);
    EXPECT_EQ(photoFiles().size(), 2);
    panel_->discard();
    EXPECT_EQ(photoFiles().size(), 1);

    // Taken off and applied: the reference goes, the applied file stays.
    list->setCurrentItem(list->topLevelItem(1)->child(0));
    auto* remove = child<QPushButton>("btnShashinDelete");
    ASSERT_TRUE(remove->isEnabled());
    QTest::mouseClick(remove, Qt::LeftButton);
    panel_->apply();
    EXPECT_TRUE(stored(0).photos.isEmpty());
    EXPECT_EQ(photoFiles(), QStringList{applied.photos[0].file});

    // A panel opened again shows what the store holds; one closed unapplied leaves no file.
    panel_ = std::make_unique<photos::ShashinPanel>(lists_, customer_);
    list = child<QTreeWidget>("ListViewShashin");
    list->setCurrentItem(list->topLevelItem(1));
    EXPECT_EQ(panel_->addFiles({sources_.filePath("dog.jpg")}), 1);
    EXPECT_EQ(photoFiles().size(), 2);
    panel_.reset();
    EXPECT_EQ(photoFiles(), QStringList{applied.photos[0].file});
}

}  // namespace

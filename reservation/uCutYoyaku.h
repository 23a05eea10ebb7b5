#pragma once

#include "records/ReservationChecks.h"
#include "records/ReservationRecord.h"
#include "records/VisitHistory.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QDateTime>
#include <QDialog>
#include <QList>
#include <QString>

namespace records {
class Booking;
}

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

// The reservation dialog: books an appointment for one time slot, and shows the reservations
// already booked for that slot as pages that can be updated or deleted. It works on its own
// copies of the reservation and customer lines; the caller reads the result after it closed.
class TfmCutYoyaku : public QDialog {
    Q_OBJECT
public:
    explicit TfmCutYoyaku(QWidget* owner = nullptr);

    void setZenUserList(const QByteArrayList& list);
    // Chooses the slot (column 1 = the Sunday `date`, row 1 = 8 o'clock; 0 = `date` itself) and
    // collects that slot's reservations from `list` as pages.
    void YoyakuEdit(int column, int row, const QDateTime& date, const QByteArrayList& list);
    // Chooses the next visit's slot and collects its pages from `list`, but opens on a blank
    // page, so that OK books the visit beside the slot's reservations: the customer copied as a
    // lookup copies it, the last visit's minute and services taken over, the remarks empty.
    void YoyakuEditNextVisit(const records::history::NextVisit& next, const QByteArrayList& list);
    void setZenyoyakuList(const QByteArrayList& list);
    void getZenyoyakuList(QByteArrayList& list) const;
    // The reservation line of the fields as they are now.
    QByteArray GetYoyakuKoumoku() const;
    // True while an existing reservation is shown: accepting then replaces that reservation.
    bool isUpdatingPage() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // A free-text field with what the user is told when it cannot be stored.
    struct TextField {
        records::reservation_record::Field field;
        QWidget* control;
        QGroupBox* group;
        QString label;
    };
    // A radio group stores the checked button's caption; `fallback` stands for every other value.
    struct ChoiceGroup {
        records::reservation_record::Field field;
        QList<QRadioButton*> buttons;
        QRadioButton* fallback;
    };
    struct CheckField {
        records::reservation_record::Field field;
        QCheckBox* box;
    };

    void buildControls();
    QWidget* buildLeftColumn();
    QWidget* buildRightColumn();
    QWidget* buildBottomBar();
    void describeFields();
    void arrangeTabOrder();
    void fillComboItems();

    void setSlotTexts(const QDate& date, int hour);
    void MakePageList(const QByteArrayList& list);
    void SetYoyakuKoumoku(const QByteArray& line);
    void showChoices(const records::Booking& booking);
    void DeleteZenyoyakuLine(const QByteArray& line);
    void showPage(int index);
    records::reservation_record::TimeSlot shownSlot() const;
    bool refusedInput();
    records::reservation_record::SlotTexts shownSlotTexts() const;
    QString impossibleSlotText(records::reservation_record::Field field) const;

    void Button1Click();
    void btnBackPageClick();
    void btnNextPageClick();
    void btnDeletePageClick();

    // What a lookup tries when no customer line contains the text: nothing more, or, from the
    // telephone field, the customers whose telephone numbers hold the text's digits.
    enum class LookupFallback { None, TelephoneDigits };
    void searchOnEnter(int key, const QLineEdit& edit,
                       LookupFallback fallback = LookupFallback::None);
    // On Enter each searches the customers for its own edit's text; the key goes on as usual.
    void edtFuriganaKeyDown(int key);
    void edtShimeiKeyDown(int key);
    void edtTelephoneNoKeyDown(int key);
    void edtPetNameKeyDown(int key);
    // Lists the customers found in the picker and copies the chosen one; shows nothing when
    // none is found.
    void UserSearch(const QString& text, LookupFallback fallback);
    void SetUserKoumoku(const QByteArray& line);

    int PageIndex = 0;
    QByteArrayList PageList;
    QByteArrayList ZenyoyakuList;
    QByteArrayList ZenUserList;
    QByteArray PageLine;

    QGroupBox* gbYoyaku;
    QComboBox* cbYoyakuNen;
    QComboBox* cbYoyakuTuki;
    QComboBox* cbYoyakuNiti;
    QComboBox* cbYoyakuJikan;
    QLineEdit* edtYoyakuHun;
    QGroupBox* gbKainushiJyouhou;
    QLineEdit* edtFurigana;
    QLineEdit* edtShimei;
    QLineEdit* edtYubin;
    QLineEdit* edtJyusho;
    QLineEdit* edtJyushoTuzuki;
    QLineEdit* edtTelephoneNo;
    QLineEdit* edtMobilPhoneNo;
    QGroupBox* gbPetJyouhou;
    QLineEdit* edtPetName;
    QRadioButton* rdoDog;
    QRadioButton* rdoCat;
    QRadioButton* rdoSonota;
    QLineEdit* edtShuNado;
    QGroupBox* gbShamp;
    QRadioButton* rdoShamMotikomi;
    QRadioButton* rdoShamRegyura;
    QRadioButton* rdoShamSonota;
    QGroupBox* gbStyle;
    QRadioButton* rdoStyleBarikan;
    QRadioButton* rdoStylePoohDol;
    QRadioButton* rdoStyleMonpe;
    QRadioButton* rdoStyleSonota;
    QGroupBox* gbSonota;
    QCheckBox* chbSonotaHigeCut;
    QCheckBox* chbSonotaTumekiri;
    QPlainTextEdit* memoSonotaBikou;
    QPushButton* btnBackPage;
    QPushButton* btnNextPage;
    QPushButton* btnDeletePage;
    QPushButton* Button1;
    QPushButton* Button2;
    QPushButton* Button3;

    QList<TextField> textFields_;
    QList<ChoiceGroup> choiceGroups_;
    QList<CheckField> checkFields_;
};

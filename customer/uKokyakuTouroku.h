#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QDialog>
#include <QString>
#include <optional>
#include <vector>

#include "records/CustomerRecord.h"

class QAbstractButton;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The form that registers a new customer or changes one: the pet on top, the owner below.
// It knows nothing of files; the caller fills it, shows it and reads the line after OK.
class TfmKokyakuTouroku : public QDialog {
    Q_OBJECT
public:
    explicit TfmKokyakuTouroku(QWidget* owner = nullptr);

    // Fills the form from customer line `index` of `lines`. Missing fields show as empty, and
    // a kind that is neither dog nor cat shows as "その他". Throws std::runtime_error when
    // `index` is not a position in `lines`.
    void UserEdit(int index, const QByteArrayList& lines);

    // The customer line of the form's contents. A field left as UserEdit showed it keeps its
    // stored bytes. Throws std::runtime_error for a field that Shift-JIS cannot hold, which
    // OK never accepts.
    QByteArray GetUserKoumoku() const;

public slots:
    // Closes with OK when an owner or a pet name is entered and every field can be stored;
    // otherwise tells why and stays open with the input as it is.
    void Button1Click();

private:
    // One edit with the record field it carries and the label that names it to the user.
    struct TextField {
        QLineEdit* edit;
        const QLabel* label;
        records::customer_record::Field field;
        QString shownText;       // what UserEdit put in the edit
        QByteArray storedBytes;  // the bytes it came from
    };

    void buildPetGroup();
    void buildOwnerGroup();
    void buildButtons();
    void setFormTabOrder();
    QLineEdit* addEdit(QWidget* parent, const char* name, int x, int y, int width);
    QLabel* addLabel(QWidget* parent, const char* name, const QString& caption, int x, int y);

    std::optional<QByteArray> bytesOf(const TextField& text) const;
    const TextField* firstUnstorableField() const;
    QString missingNameMessage() const;
    void warn(const QString& text);

    QPushButton* Button1;
    QPushButton* Button2;
    // Each field beside the label that names it.
    QGroupBox* gbKainushiJyouhou;
    QLabel* lbFurigana;
    QLineEdit* edtFurigana;
    QLabel* lbShimei;
    QLineEdit* edtShimei;
    QLabel* lbYubin;
    QLineEdit* edtYubin;
    QLabel* lbJyusho;
    QLineEdit* edtJyusho;
    QLineEdit* edtJyushoTuzuki;
    QLabel* lbTelephoneNo;
    QLineEdit* edtTelephoneNo;
    QLabel* lbMobilPhoneNo;
    QLineEdit* edtMobilPhoneNo;
    QGroupBox* gbPetJyouhou;
    QLabel* lbPetName;
    QLineEdit* edtPetName;
    QRadioButton* rdoDog;
    QRadioButton* rdoCat;
    QRadioButton* rdoSonota;
    QLabel* lbShuNado;
    QLineEdit* edtShuNado;
    QPushButton* Button3;

    std::vector<TextField> textFields_;  // in tab order
};

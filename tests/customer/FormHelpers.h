#pragma once

#include "tests/support/Files.h"
#include "tests/support/Typing.h"

#include <QByteArrayList>
#include <QLineEdit>
#include <QPushButton>
#include <initializer_list>

// Reaching the registration form's controls by name and writing customer lines readably.
namespace customer_testing {

using testing_support::sjisOf;

inline const QByteArray Mark = QByteArrayLiteral("\xF9\xD3");
inline const char* const EditNames[] = {"edtPetName",      "edtShuNado",     "edtFurigana",
                                        "edtShimei",       "edtYubin",       "edtJyusho",
                                        "edtJyushoTuzuki", "edtTelephoneNo", "edtMobilPhoneNo"};

// A customer line from UTF-8 field texts, filled up to ten fields; an empty text stands for
// the empty-field mark.
inline QByteArray customerLine(std::initializer_list<const char*> fields) {
    QByteArrayList bytes;
    for (const char* field : fields) {
        bytes.append(*field ? sjisOf(field) : Mark);
    }
    while (bytes.size() < 10) {
        bytes.append(Mark);
    }
    return bytes.join('\t');
}

template <typename Widget = QLineEdit>
Widget* child(QWidget* dialog, const char* name) {
    return dialog->findChild<Widget*>(QString::fromLatin1(name));
}

inline void type(QWidget* dialog, const char* edit, const char* utf8) {
    testing_support::typeText(child(dialog, edit), QString::fromUtf8(utf8));
}

inline void click(QWidget* dialog, const char* button) {
    child<QPushButton>(dialog, button)->click();
}

}  // namespace customer_testing

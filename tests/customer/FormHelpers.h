#pragma once

#include "tests/support/Files.h"
#include "tests/support/RecordLines.h"
#include "tests/support/Typing.h"

#include <QByteArrayList>
#include <QLineEdit>
#include <QPushButton>

// Reaching the registration form's controls by name and writing customer lines readably.
namespace customer_testing {

using testing_support::customerLine;
using testing_support::sjisOf;

inline const QByteArray Mark = QByteArrayLiteral("\xF9\xD3");
inline const char* const EditNames[] = {"edtPetName",      "edtShuNado",     "edtFurigana",
                                        "edtShimei",       "edtYubin",       "edtJyusho",
                                        "edtJyushoTuzuki", "edtTelephoneNo", "edtMobilPhoneNo"};

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

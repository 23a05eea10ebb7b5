#pragma once

#include <QString>

#include "records/RecordLists.h"

class QWidget;

namespace customer {

// Opens the registration dialog for a new customer (n = 0) or for customer line n - 1 of
// UserList, and on OK stores the result in the customer file and UserList.
// A changed customer moves to the end of both. Returns true when the file was written (the
// caller then refills the customer list page). When the file cannot be written, the error is
// shown and the dialog opens again as it was, UserList being left as it was. Throws
// std::runtime_error when n is neither 0 nor a position in UserList.
bool runKokyakuTouroku(QWidget* owner, records::RecordLists& lists, int n);

}  // namespace customer

#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QByteArrayView>
#include <QList>

#include <array>
#include <vector>

namespace customer {

// The customers as the find window searches them: of each line the pet's name, the reading, the
// owner's name and the two telephone numbers, marks removed, and the digits of the numbers, cut
// out once when the window opens so that every keystroke only compares.
class CustomerFinder {
public:
    enum Shown { PetName, Furigana, Shimei, TelephoneNo, MobilPhoneNo, ShownCount };

    explicit CustomerFinder(const QByteArrayList& userList);

    // Positions in the list, in list order, of the customers with a shown field that holds
    // `query` (compared as Shift-JIS bytes, a match starting only where a character starts),
    // or with a telephone number that holds its digits. An empty query finds none.
    QList<int> find(const QByteArray& query) const;
    // One shown field of the customer at `position`.
    QByteArrayView field(int position, Shown which) const;

private:
    // After the shown fields, the digits of the two numbers, a space between them.
    static constexpr int NumberDigits = ShownCount;
    // The shown fields and the digits one after the other, and where each of them ends.
    struct Entry {
        QByteArray texts;
        std::array<int, ShownCount + 1> ends{};
    };
    bool holds(const Entry& entry, const QByteArray& query) const;
    QByteArrayView partOf(const Entry& entry, int part) const;

    std::vector<Entry> entries_;
};

}  // namespace customer

#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <initializer_list>
#include <utility>
#include <vector>

// Record lines and files written readably, for expectations. They are built without the
// program's field sanitizer, so that an expectation does not repeat what it checks: texts are
// given as stored (a full-width space where the program turns a half-width one into it).
namespace testing_support {

// Field positions and their UTF-8 texts; a later text for the same position wins.
using FieldTexts = std::vector<std::pair<int, const char*>>;

// A line of `fieldCount` fields: the texts in Shift-JIS at their positions, every other field
// and every empty text the empty-field mark.
QByteArray recordLine(int fieldCount, const FieldTexts& texts);

// A customer line from its UTF-8 field texts in record order, the rest empty.
QByteArray customerLine(std::initializer_list<const char*> fields);

// The lines as a record file holds them, each ended by CR LF.
QByteArray fileOf(const QByteArrayList& lines);

}  // namespace testing_support

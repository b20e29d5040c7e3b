#pragma once

#include <QString>

namespace zq48 {

// The order of two sort texts of the file list. A text of decimal digits
// only (or an empty one) compares by its value, so sizes sort 9 before 10;
// any other text compares by the user's locale, case mattering.
// Negative, zero or positive, like strcmp.
int CompareSortTexts(const QString& a, const QString& b);

}  // namespace zq48

#include "ui/list_sorting.h"

#include <QCollator>
#include <algorithm>

namespace zq48 {

namespace {

bool DigitsOnly(const QString& text) {
  return std::all_of(text.begin(), text.end(),
                     [](QChar c) { return c >= u'0' && c <= u'9'; });
}

}  // namespace

int CompareSortTexts(const QString& a, const QString& b) {
  if (DigitsOnly(a)) {
    // b may be anything; a text that is no number counts as 0, as a is taken.
    const qulonglong x = a.toULongLong();
    const qulonglong y = b.toULongLong();
    return x < y ? -1 : (x > y ? 1 : 0);
  }
  // A collator per thread: the sort runs on the GUI thread, but a shared one
  // would not be safe if it ever did not.
  thread_local QCollator collator = [] {
    QCollator c;
    c.setCaseSensitivity(Qt::CaseSensitive);
    return c;
  }();
  return collator.compare(a, b);
}

}  // namespace zq48

#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <functional>

namespace mainwindow {

// The row at which key is inserted into a list that is sorted in the order of
// store::CompareKeys: after every entry that sorts before it or equal to it (binary search).
// `at` gives the entry of a row; `count` is the number of rows.
int SortedInsertPosition(int count, const std::function<QString(int)>& at, const QString& key);
int SortedInsertPosition(const QStringList& sorted, const QString& key);

// True when the shown list holds every line of the name index at the same place (it may hold
// more entries after them): the list needs no reload.
bool ListAgrees(const QStringList& shown, const QStringList& lines);

// The first entry equal to text when letter case is ignored, or -1.
int IndexIgnoringCase(const QStringList& entries, const QString& text);

}  // namespace mainwindow

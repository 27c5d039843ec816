#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "store/recordstore.h"

namespace mainwindow {

// The company view's tree as plain data: the root "Firmen", one node per company in the order
// in which each company first occurs among the keys, and under each its members in key order.
// A member's text (stored name, ",", stored first name) is read from the record table when it
// is asked for, so grouping 100 000 records makes no text per member.
class CompanyTree {
 public:
  qsizetype CompanyCount() const { return companies_.size(); }
  // The stored company, or "Keiner Firma zugehörig" when it is empty.
  const QString& CompanyText(qsizetype company) const { return companies_.at(company).text; }
  qsizetype MemberCount(qsizetype company) const { return companies_.at(company).rows.size(); }
  // Stored name, ",", stored first name; "Error" for a value that is missing.
  QString MemberText(qsizetype company, qsizetype member) const;
  // The record key the member was read under.
  const QString& MemberKey(qsizetype company, qsizetype member) const;

 private:
  friend CompanyTree BuildCompanyTree(const store::RecordStore& records, const QStringList& keys);

  struct Company {
    QString text;
    QList<qsizetype> rows;  // members, as rows of keys_ and table_
  };
  QStringList keys_;
  store::RecordTable table_;  // name and first name of every key
  QList<Company> companies_;
};

QString CompanyTreeRootText();  // "Firmen"
QString NoCompanyText();        // "Keiner Firma zugehörig"

// Groups the records of keys (in the given order) by their stored company. Companies are told
// apart exactly, letter case and blanks included.
CompanyTree BuildCompanyTree(const store::RecordStore& records, const QStringList& keys);

}  // namespace mainwindow

#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "store/recordstore.h"

namespace mainwindow {

// The company view's tree as plain data: the root "Firmen", one node per company in the order
// in which each company first occurs among the keys, and under each its members in key order.
struct CompanyTree {
  struct Member {
    QString text;  // stored name, ",", stored first name
    QString key;   // the record key the member was read under
  };
  struct Company {
    QString text;  // the stored company, or "Keiner Firma zugehörig" when it is empty
    QList<Member> members;
  };
  QList<Company> companies;
};

QString CompanyTreeRootText();  // "Firmen"
QString NoCompanyText();        // "Keiner Firma zugehörig"

// Groups the records of keys (in the given order) by their stored company. Companies are told
// apart exactly, letter case and blanks included.
CompanyTree BuildCompanyTree(const store::RecordStore& records, const QStringList& keys);

}  // namespace mainwindow

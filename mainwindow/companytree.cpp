#include "mainwindow/companytree.h"

#include <QHash>

#include "store/cp1252.h"

namespace mainwindow {

QString CompanyTreeRootText() {
  return QStringLiteral("Firmen");
}

QString NoCompanyText() {
  return QStringLiteral("Keiner Firma zugeh\u00f6rig");
}

QString CompanyTree::MemberText(qsizetype company, qsizetype member) const {
  const qsizetype row = companies_.at(company).rows.at(member);
  return table_.Text(row, store::kName) + QLatin1Char(',') + table_.Text(row, store::kVorname);
}

const QString& CompanyTree::MemberKey(qsizetype company, qsizetype member) const {
  return keys_.at(companies_.at(company).rows.at(member));
}

CompanyTree BuildCompanyTree(const store::RecordStore& records, const QStringList& keys) {
  static const QByteArray noCompany = store::ToCp1252(NoCompanyText());
  CompanyTree tree;
  tree.keys_ = keys;
  tree.table_ =
      records.ReadRecords(keys, store::FieldBit(store::kFirma) | store::FieldBit(store::kName) |
                                    store::FieldBit(store::kVorname));
  // Company bytes -> index in tree.companies_: a hash lookup per record keeps the build linear
  // in the number of records however many companies there are. Windows-1252 maps bytes to
  // characters one to one, so equal bytes are exactly equal texts; only the first record of a
  // company turns its name into text.
  QHash<QByteArrayView, qsizetype> index;
  for (store::RecordRows rows(tree.table_); rows.Next();) {
    const QByteArrayView company = rows.Value(store::kFirma);
    const QByteArrayView shown = company.isEmpty() ? QByteArrayView(noCompany) : company;
    auto it = index.constFind(shown);
    if (it == index.constEnd()) {
      it = index.insert(shown, tree.companies_.size());
      tree.companies_.append(CompanyTree::Company{store::FromCp1252(shown), {}});
    }
    tree.companies_[*it].rows.append(rows.Row());
  }
  return tree;
}

}  // namespace mainwindow

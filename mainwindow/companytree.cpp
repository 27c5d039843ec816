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
  static const QByteArray missing = store::ToCp1252(store::MissingValue());
  static const QByteArray noCompany = store::ToCp1252(NoCompanyText());
  constexpr qsizetype kAhead = 16;
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
  for (qsizetype row = 0; row < keys.size(); ++row) {
    // The rows' sections lie all over the store: ask the memory for a later row's company now,
    // so it has arrived when that row is grouped.
    if (row + kAhead < keys.size()) {
      if (const auto ahead = tree.table_.Raw(row + kAhead, store::kFirma))
        __builtin_prefetch(ahead->data());
    }
    const QByteArrayView company =
        tree.table_.Raw(row, store::kFirma).value_or(QByteArrayView(missing));
    const QByteArrayView shown = company.isEmpty() ? QByteArrayView(noCompany) : company;
    auto it = index.constFind(shown);
    if (it == index.constEnd()) {
      it = index.insert(shown, tree.companies_.size());
      tree.companies_.append(CompanyTree::Company{store::FromCp1252(shown), {}});
    }
    tree.companies_[*it].rows.append(row);
  }
  return tree;
}

}  // namespace mainwindow

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

CompanyTree BuildCompanyTree(const store::RecordStore& records, const QStringList& keys) {
  CompanyTree tree;
  // Company text -> index in tree.companies: a hash lookup per record keeps the build linear
  // in the number of records however many companies there are.
  QHash<QString, qsizetype> index;
  for (const QString& key : keys) {
    // One section lookup per record; only the three values the tree shows become text.
    const auto raw = records.RawRecord(key);
    auto text = [&raw](int field) {
      return raw[field] ? store::FromCp1252(*raw[field]) : store::MissingValue();
    };
    QString company = text(store::kFirma);
    if (company.isEmpty())
      company = NoCompanyText();
    CompanyTree::Member member{text(store::kName) + QLatin1Char(',') + text(store::kVorname), key};
    auto it = index.constFind(company);
    if (it == index.constEnd()) {
      it = index.insert(company, tree.companies.size());
      tree.companies.append(CompanyTree::Company{company, {}});
    }
    tree.companies[*it].members.append(std::move(member));
  }
  return tree;
}

}  // namespace mainwindow

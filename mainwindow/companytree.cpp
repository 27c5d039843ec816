#include "mainwindow/companytree.h"

#include <QHash>

namespace mainwindow {

QString CompanyTreeRootText() {
  return QStringLiteral("Firmen");
}

QString NoCompanyText() {
  return QStringLiteral("Keiner Firma zugeh\u00f6rig");
}

CompanyTree BuildCompanyTree(const store::RecordStore& records, const QStringList& keys) {
  const auto& fields = store::Fields();
  const QString companyKey = QString::fromLatin1(fields[store::kFirma].storeKey);
  const QString nameKey = QString::fromLatin1(fields[store::kName].storeKey);
  const QString firstNameKey = QString::fromLatin1(fields[store::kVorname].storeKey);

  CompanyTree tree;
  // Company text -> index in tree.companies: a hash lookup per record keeps the build linear
  // in the number of records however many companies there are.
  QHash<QString, qsizetype> index;
  for (const QString& key : keys) {
    QString company = records.Value(key, companyKey);
    if (company.isEmpty())
      company = NoCompanyText();
    CompanyTree::Member member{
        records.Value(key, nameKey) + QLatin1Char(',') + records.Value(key, firstNameKey), key};
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

#include "mainwindow/companytree.h"

#include <QHash>

#include "mainwindow/bytetext.h"
#include "store/cp1252.h"

namespace mainwindow {

namespace {

// True when text reads exactly name + "," + firstName, compared character by character
// without building the joined text: for nearly every record the member text is its key.
bool IsJoinedName(const QString& text, QByteArrayView name, QByteArrayView firstName) {
  return text.size() == name.size() + 1 + firstName.size() &&
         text.at(name.size()) == QLatin1Char(',') && HasCp1252At(text, 0, name) &&
         HasCp1252At(text, name.size() + 1, firstName);
}

}  // namespace

QString CompanyTreeRootText() {
  return QStringLiteral("Firmen");
}

QString NoCompanyText() {
  return QStringLiteral("Keiner Firma zugeh\u00f6rig");
}

CompanyTree BuildCompanyTree(const store::RecordStore& records, const QStringList& keys) {
  static const QByteArray missing = store::ToCp1252(store::MissingValue());
  static const QByteArray noCompany = store::ToCp1252(NoCompanyText());
  const store::RecordTable table =
      records.ReadRecords(keys, store::FieldBit(store::kFirma) | store::FieldBit(store::kName) |
                                    store::FieldBit(store::kVorname));
  CompanyTree tree;
  // Company bytes -> index in tree.companies: a hash lookup per record keeps the build linear
  // in the number of records however many companies there are. Windows-1252 maps bytes to
  // characters one to one, so equal bytes are exactly equal texts; only the first record of a
  // company turns its name into text.
  QHash<QByteArrayView, qsizetype> index;
  for (qsizetype row = 0; row < keys.size(); ++row) {
    const QByteArrayView company = table.Raw(row, store::kFirma).value_or(QByteArrayView(missing));
    const QByteArrayView shown = company.isEmpty() ? QByteArrayView(noCompany) : company;
    auto it = index.constFind(shown);
    if (it == index.constEnd()) {
      it = index.insert(shown, tree.companies.size());
      tree.companies.append(CompanyTree::Company{store::FromCp1252(shown), {}});
    }
    const QString& key = keys.at(row);
    const QByteArrayView name = table.Raw(row, store::kName).value_or(QByteArrayView(missing));
    const QByteArrayView firstName =
        table.Raw(row, store::kVorname).value_or(QByteArrayView(missing));
    QString text = IsJoinedName(key, name, firstName)
                       ? key
                       : store::FromCp1252(name) + QLatin1Char(',') + store::FromCp1252(firstName);
    tree.companies[*it].members.append(CompanyTree::Member{std::move(text), key});
  }
  return tree;
}

}  // namespace mainwindow

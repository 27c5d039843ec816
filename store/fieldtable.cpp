#include "store/fieldtable.h"

namespace store {

const std::array<int, kFieldCount>& StoreOrder() {
  static const std::array<int, kFieldCount> order = {
      kVorname,  kName,     kPosition, kKurzzeichen, kFirma, kStrasse,  kPLZ, kOrt,
      kTelefon1, kTelefon2, kFax,      kHandy,       kEMail, kKurzwahl, kIRuf};
  return order;
}

QString FieldCaption(int field) {
  QString caption = QString::fromUtf8(Fields()[size_t(field)].label);
  if (caption.endsWith(QLatin1Char(':')))
    caption.chop(1);
  return caption;
}

int FieldTooLongForUtf8(const RecordValues& values) {
  for (int field = 0; field < kFieldCount; ++field) {
    // Only a value of more than a third of the limit can take more bytes than that.
    const QString& value = values[size_t(field)];
    if (value.size() * 3 > kMaxFieldLength && value.toUtf8().size() > kMaxFieldLength)
      return field;
  }
  return -1;
}

QString GroupCaption(FieldGroup group) {
  switch (group) {
    case FieldGroup::PersonCompany:
      return QStringLiteral("Angaben zur Person / Firma");
    case FieldGroup::Address:
      return QStringLiteral("Anschrift");
    case FieldGroup::Phone:
      break;
  }
  return QStringLiteral("Telefon / Fax / E-Mail");
}

}  // namespace store

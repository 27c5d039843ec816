#include "store/fieldtable.h"

namespace store {

const std::array<int, kFieldCount>& StoreOrder() {
  static const std::array<int, kFieldCount> order = {
      kVorname,  kName,     kPosition, kKurzzeichen, kFirma, kStrasse,  kPLZ, kOrt,
      kTelefon1, kTelefon2, kFax,      kHandy,       kEMail, kKurzwahl, kIRuf};
  return order;
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

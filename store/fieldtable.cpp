#include "store/fieldtable.h"

namespace store {

const std::array<FieldDef, kFieldCount>& Fields() {
  static const std::array<FieldDef, kFieldCount> fields = {{
      {"EVorname", "Vorname:", FieldGroup::PersonCompany, "Vorname", 0},
      {"EName", "Name:", FieldGroup::PersonCompany, "Name", 0},
      {"EFirma", "Firma:", FieldGroup::PersonCompany, "Firma", 0},
      {"EKurzzeichen", "Kurzzeichen / Abteilung:", FieldGroup::PersonCompany, "Kurzzeichen", 0},
      {"EPosition", "Position:", FieldGroup::PersonCompany, "Position", 0},
      {"EStrasse", "Straße:", FieldGroup::Address, "Strasse", 0},
      {"EPLZ", "PLZ:", FieldGroup::Address, "PLZ", 5},
      {"EOrt", "Ort:", FieldGroup::Address, "Ort", 0},
      {"ETelefon1", "Telefon1:", FieldGroup::Phone, "Telefon1", 0},
      {"ETelefon2", "Telefon2:", FieldGroup::Phone, "Telefon2", 0},
      {"EFax", "Fax:", FieldGroup::Phone, "Fax", 0},
      {"EHandy", "Mobiltelefon:", FieldGroup::Phone, "Handy", 0},
      {"EEmail", "E-Mail:", FieldGroup::Phone, "EMail", 0},
      {"EKurzwahl", "Kurzwahl:", FieldGroup::Phone, "Kurzwahl", 0},
      {"EIRuf", "Interne Rufnummer:", FieldGroup::Phone, "IRuf", 0},
  }};
  return fields;
}

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

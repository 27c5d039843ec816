#pragma once

#include <QString>
#include <array>

namespace store {

constexpr int kFieldCount = 15;

// The record store gives back at most this many characters of a value.
constexpr qsizetype kMaxFieldLength = 1023;

// The value every read of the record store gets for a missing file, section or key.
inline QString MissingValue() {
  return QStringLiteral("Error");
}

enum class FieldGroup { PersonCompany, Address, Phone };

struct FieldDef {
  const char* control;  // edit control name, e.g. "EVorname"
  const char* label;    // UTF-8 label on the main window, e.g. "Vorname:"
  FieldGroup group;
  const char* storeKey;  // key name in the record's section, e.g. "Vorname"
  int maxLength;         // 0: no limit
};

// Field indices in editor order: the order on screen and of the Enter chain.
enum Field {
  kVorname,
  kName,
  kFirma,
  kKurzzeichen,
  kPosition,
  kStrasse,
  kPLZ,
  kOrt,
  kTelefon1,
  kTelefon2,
  kFax,
  kHandy,
  kEMail,
  kKurzwahl,
  kIRuf
};

// A record's fifteen values, in editor order.
using RecordValues = std::array<QString, kFieldCount>;

// The fifteen fields in editor order.
inline constexpr std::array<FieldDef, kFieldCount> kFieldTable = {{
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
inline const std::array<FieldDef, kFieldCount>& Fields() {
  return kFieldTable;
}

// Editor indices in the order a record's keys are written into a new section:
// Vorname, Name, Position, Kurzzeichen, Firma, then the rest in editor order.
const std::array<int, kFieldCount>& StoreOrder();

// The field's name as the user reads it beside the field, without the colon ("Straße").
QString FieldCaption(int field);

// The first field whose value takes more than kMaxFieldLength bytes in UTF-8, or -1. A record
// store kept in UTF-8 gives back at most that many bytes of a value, and an umlaut takes two.
int FieldTooLongForUtf8(const RecordValues& values);

// Caption of a group box, e.g. "Angaben zur Person / Firma".
QString GroupCaption(FieldGroup group);

}  // namespace store

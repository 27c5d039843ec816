#include "reports/reportfields.h"

namespace reports {

const std::array<ReportField, kReportFieldCount>& ReportFields() {
  static const std::array<ReportField, kReportFieldCount> fields = {{
      {"Name", "Name", "Name", "Name: ", store::kName},
      {"Vorname", "Vorname", "Vorname", "Vorname: ", store::kVorname},
      {"Position", "Position", "Position", "Position:", store::kPosition},
      {"KZeichen/Abtlg", "Kurzzeichen", "Kurzzeichen", "Kurzzeichen: ", store::kKurzzeichen},
      {"Firma", "Firma", "Firma", "Firma: ", store::kFirma},
      {"Straße", "Strasse", "Strasse", "Straße:", store::kStrasse},
      {"PLZ", "PLZ", "Plz", "PLZ: ", store::kPLZ},
      {"Ort", "Ort", "Ort", "Ort: ", store::kOrt},
      {"Telefon1", "Telefon1", "Telefon1", "Telefon1: ", store::kTelefon1},
      {"Telefon2", "Telefon2", "Telefon2", "Telefon2:", store::kTelefon2},
      {"Fax", "Fax", "Fax", "Fax: ", store::kFax},
      {"Mobiltelefon", "Handy", "Handy", "Mobiltelefon: ", store::kHandy},
      {"E-Mail", "EMail", "email", "E-Mail: ", store::kEMail},
      {"Kurzwahl", "Kurzwahl", "Kurzwahl", "Kurzwahl: ", store::kKurzwahl},
      {"Int. Rufnr.", "IRuf", "IRUF", "Interne Rufnummer: ", store::kIRuf},
  }};
  return fields;
}

const std::array<int, kReportFieldCount>& BlockLineOrder() {
  static const std::array<int, kReportFieldCount> order = {1, 0, 2,  3,  4,  5,  6, 7,
                                                           8, 9, 10, 11, 12, 13, 14};
  return order;
}

}  // namespace reports

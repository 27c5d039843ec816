// The thirty label print handlers of the table layout and their connection to the labels.
#include "reports/tquickreport11.h"

void TQuickReport11::ConnectHandlers() {
  report_.onBeforePrint = [this](bool& printReport) { QuickReport11BeforePrint(printReport); };
  report_.onNeedData = [this](bool& moreData) { QuickReport11NeedData(moreData); };
  QRSubDetail1->onNeedData = [this](bool& moreData) { QRSubDetail1NeedData(moreData); };

  using Handler = void (TQuickReport11::*)(const platform::ReportLabel&, QString&);
  static constexpr Handler kHandlers[30] = {
      &TQuickReport11::QRLabel1Print,  &TQuickReport11::QRLabel2Print,
      &TQuickReport11::QRLabel3Print,  &TQuickReport11::QRLabel4Print,
      &TQuickReport11::QRLabel5Print,  &TQuickReport11::QRLabel6Print,
      &TQuickReport11::QRLabel7Print,  &TQuickReport11::QRLabel8Print,
      &TQuickReport11::QRLabel9Print,  &TQuickReport11::QRLabel10Print,
      &TQuickReport11::QRLabel11Print, &TQuickReport11::QRLabel12Print,
      &TQuickReport11::QRLabel13Print, &TQuickReport11::QRLabel14Print,
      &TQuickReport11::QRLabel15Print, &TQuickReport11::QRLabel16Print,
      &TQuickReport11::QRLabel17Print, &TQuickReport11::QRLabel18Print,
      &TQuickReport11::QRLabel19Print, &TQuickReport11::QRLabel20Print,
      &TQuickReport11::QRLabel21Print, &TQuickReport11::QRLabel22Print,
      &TQuickReport11::QRLabel23Print, &TQuickReport11::QRLabel24Print,
      &TQuickReport11::QRLabel25Print, &TQuickReport11::QRLabel26Print,
      &TQuickReport11::QRLabel27Print, &TQuickReport11::QRLabel28Print,
      &TQuickReport11::QRLabel29Print, &TQuickReport11::QRLabel30Print,
  };
  for (int k = 1; k <= 30; ++k) {
    const Handler handler = kHandlers[k - 1];
    QRLabel(k).onPrint = [this, handler](const platform::ReportLabel& sender, QString& value) {
      (this->*handler)(sender, value);
    };
  }
}

void TQuickReport11::QRLabel1Print(const platform::ReportLabel&, QString& Value) {
  Value = Cell(1, 0);
}

void TQuickReport11::QRLabel2Print(const platform::ReportLabel&, QString& Value) {
  Value = Cell(2, 0);
}

void TQuickReport11::QRLabel3Print(const platform::ReportLabel&, QString& Value) {
  Value = Cell(3, 0);
}

void TQuickReport11::QRLabel4Print(const platform::ReportLabel&, QString& Value) {
  Value = Cell(4, 0);
}

void TQuickReport11::QRLabel5Print(const platform::ReportLabel&, QString& Value) {
  Value = Cell(5, 0);
}

void TQuickReport11::QRLabel6Print(const platform::ReportLabel&, QString& Value) {
  Value = Cell(6, 0);
}

void TQuickReport11::QRLabel7Print(const platform::ReportLabel&, QString& Value) {
  Value = Cell(7, 0);
}

void TQuickReport11::QRLabel8Print(const platform::ReportLabel&, QString& Value) {
  Value = Cell(8, 0);
}

void TQuickReport11::QRLabel9Print(const platform::ReportLabel&, QString& Value) {
  Value = Cell(9, 0);
}

void TQuickReport11::QRLabel10Print(const platform::ReportLabel&, QString& Value) {
  Value = Cell(10, 0);
}

void TQuickReport11::QRLabel11Print(const platform::ReportLabel&, QString& Value) {
  Value = Cell(11, 0);
}

void TQuickReport11::QRLabel12Print(const platform::ReportLabel&, QString& Value) {
  Value = Cell(12, 0);
}

void TQuickReport11::QRLabel13Print(const platform::ReportLabel&, QString& Value) {
  Value = Cell(13, 0);
}

void TQuickReport11::QRLabel14Print(const platform::ReportLabel&, QString& Value) {
  Value = Cell(14, 0);
}

void TQuickReport11::QRLabel15Print(const platform::ReportLabel&, QString& Value) {
  Value = Cell(15, 0);
}

void TQuickReport11::QRLabel16Print(const platform::ReportLabel&, QString& Value) {
  Value = Cell(1, PrintRow);
}

void TQuickReport11::QRLabel17Print(const platform::ReportLabel&, QString& Value) {
  Value = Cell(2, PrintRow);
}

void TQuickReport11::QRLabel18Print(const platform::ReportLabel&, QString& Value) {
  Value = Cell(3, PrintRow);
}

void TQuickReport11::QRLabel19Print(const platform::ReportLabel&, QString& Value) {
  Value = Cell(4, PrintRow);
}

void TQuickReport11::QRLabel20Print(const platform::ReportLabel&, QString& Value) {
  Value = Cell(5, PrintRow);
}

void TQuickReport11::QRLabel21Print(const platform::ReportLabel&, QString& Value) {
  Value = Cell(6, PrintRow);
}

void TQuickReport11::QRLabel22Print(const platform::ReportLabel&, QString& Value) {
  Value = Cell(7, PrintRow);
}

void TQuickReport11::QRLabel23Print(const platform::ReportLabel&, QString& Value) {
  Value = Cell(8, PrintRow);
}

void TQuickReport11::QRLabel24Print(const platform::ReportLabel&, QString& Value) {
  Value = Cell(9, PrintRow);
}

void TQuickReport11::QRLabel25Print(const platform::ReportLabel&, QString& Value) {
  Value = Cell(10, PrintRow);
}

void TQuickReport11::QRLabel26Print(const platform::ReportLabel&, QString& Value) {
  Value = Cell(11, PrintRow);
}

void TQuickReport11::QRLabel27Print(const platform::ReportLabel&, QString& Value) {
  Value = Cell(12, PrintRow);
}

void TQuickReport11::QRLabel28Print(const platform::ReportLabel&, QString& Value) {
  Value = Cell(13, PrintRow);
}

void TQuickReport11::QRLabel29Print(const platform::ReportLabel&, QString& Value) {
  Value = Cell(14, PrintRow);
}

void TQuickReport11::QRLabel30Print(const platform::ReportLabel&, QString& Value) {
  Value = Cell(15, PrintRow);
}

#pragma once

#include <QObject>
#include <QString>
#include <array>
#include <vector>

#include "platform/reportengine.h"

class QWidget;

namespace reports {
class TableSource;
}

// The printed table: landscape A4 pages with the field captions in a column header on every
// page, one row band per table row and the page number at the bottom. Created once at start-up;
// each table print sets fonts, left edges, visibility and the separator line anew.
//
// Fifteen column slots, each a header label (QRLabel1 to QRLabel15) and a detail label
// (QRLabel16 to QRLabel30); slot i shows grid column i + 1.
class TQuickReport11 : public QObject {
  Q_OBJECT

 public:
  explicit TQuickReport11(QObject* parent = nullptr);
  ~TQuickReport11() override;

  // The grid row the row band shows during a run; reset at the start of every run.
  static inline qint32 PrintRow = 0;
  // Distance between the left edges of neighbouring printed columns, set by every table print.
  int ColumnStep = 200;

  // Table print: column step, separator line, fonts, left edges and visibility of all fifteen
  // slots from the table, then the preview; returns when the preview is closed.
  void PrintTable(const reports::TableSource& table, bool separatorLines, QWidget* parent);
  // The first part of the table print alone: everything but the preview.
  void PrepareTable(const reports::TableSource& table, bool separatorLines);
  // Produces the pages of the prepared table (runs the handlers as the preview does).
  std::vector<platform::ReportPage> LayOut();
  // Shows the preview of the prepared table.
  void Preview(QWidget* parent);
  // Forgets the table the layout reads; a run without a table prints no rows.
  void ReleaseTable();

  platform::Report& Report() { return report_; }
  // Label number k, 1 to 30.
  platform::ReportLabel& QRLabel(int k) const;

  platform::ReportBand* QRBand1 = nullptr;       // column header
  platform::ReportBand* QRSubDetail1 = nullptr;  // row band
  platform::ReportBand* QRBand3 = nullptr;       // page footer
  platform::ReportLabel* QRSysData1 = nullptr;   // page number

  // Handlers called by the report engine.
  void QuickReport11BeforePrint(bool& PrintReport);
  void QuickReport11NeedData(bool& MoreData);
  void QRSubDetail1NeedData(bool& MoreData);

  // Header labels: the caption of grid column k (row 0).
  void QRLabel1Print(const platform::ReportLabel& sender, QString& Value);
  void QRLabel2Print(const platform::ReportLabel& sender, QString& Value);
  void QRLabel3Print(const platform::ReportLabel& sender, QString& Value);
  void QRLabel4Print(const platform::ReportLabel& sender, QString& Value);
  void QRLabel5Print(const platform::ReportLabel& sender, QString& Value);
  void QRLabel6Print(const platform::ReportLabel& sender, QString& Value);
  void QRLabel7Print(const platform::ReportLabel& sender, QString& Value);
  void QRLabel8Print(const platform::ReportLabel& sender, QString& Value);
  void QRLabel9Print(const platform::ReportLabel& sender, QString& Value);
  void QRLabel10Print(const platform::ReportLabel& sender, QString& Value);
  void QRLabel11Print(const platform::ReportLabel& sender, QString& Value);
  void QRLabel12Print(const platform::ReportLabel& sender, QString& Value);
  void QRLabel13Print(const platform::ReportLabel& sender, QString& Value);
  void QRLabel14Print(const platform::ReportLabel& sender, QString& Value);
  void QRLabel15Print(const platform::ReportLabel& sender, QString& Value);
  // Detail labels: the cell of grid column k - 15 in row PrintRow.
  void QRLabel16Print(const platform::ReportLabel& sender, QString& Value);
  void QRLabel17Print(const platform::ReportLabel& sender, QString& Value);
  void QRLabel18Print(const platform::ReportLabel& sender, QString& Value);
  void QRLabel19Print(const platform::ReportLabel& sender, QString& Value);
  void QRLabel20Print(const platform::ReportLabel& sender, QString& Value);
  void QRLabel21Print(const platform::ReportLabel& sender, QString& Value);
  void QRLabel22Print(const platform::ReportLabel& sender, QString& Value);
  void QRLabel23Print(const platform::ReportLabel& sender, QString& Value);
  void QRLabel24Print(const platform::ReportLabel& sender, QString& Value);
  void QRLabel25Print(const platform::ReportLabel& sender, QString& Value);
  void QRLabel26Print(const platform::ReportLabel& sender, QString& Value);
  void QRLabel27Print(const platform::ReportLabel& sender, QString& Value);
  void QRLabel28Print(const platform::ReportLabel& sender, QString& Value);
  void QRLabel29Print(const platform::ReportLabel& sender, QString& Value);
  void QRLabel30Print(const platform::ReportLabel& sender, QString& Value);

 private:
  void CreateBands();
  void ConnectHandlers();
  QString Cell(int column, int row) const;

  platform::Report report_;
  std::array<platform::ReportLabel*, 30> labels_{};
  const reports::TableSource* table_ = nullptr;
};

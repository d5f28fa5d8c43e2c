// The cost chart screens (RCX00511, RCX00512, RCX00513): the rows of a chart dataset drawn one
// line per number field against the day of the month, with the standard dashed, planned and
// realized in their own colours, values in Brazilian format on hover, and the chart saved as PNG
// or its rows copied as CSV.
#pragma once

#include <QDialog>
#include <QString>
#include <string>

#include "export/table.h"
#include "platform/client_dataset.h"

class QChart;
class QWidget;

namespace desktop {

// The rows of `dataSet` as a table: "Dia" and the line names, then per row the day and the
// values as stored (general number form). Does not move the cursor.
exporting::Table chartTable(platform::ClientDataSet& dataSet);
// chartTable as CSV (export/csv.h): the day as dd/mm/yyyy, the values with decimal comma and
// no thousands separator (what a spreadsheet in pt-BR reads as numbers).
QString chartCsv(platform::ClientDataSet& dataSet);

// Writes what `view` shows to `path` as PNG. Returns false when the file cannot be written.
bool saveChartPng(QWidget& view, const QString& path);

// The chart of makeChartWindow, headed `title`, without a window; the caller owns it.
QChart* makeChart(platform::ClientDataSet& dataSet, const QString& title);

// A chart of the rows of `dataSet`: the day of DTCARDAPIO along the bottom ("dd"), one line per
// visible number field, named by its label. `chartTitle` heads the chart (the window title when
// empty). Reads the rows without moving the cursor.
// REQUIRES: `dataSet` outlives the window.
QDialog* makeChartWindow(const std::string& title, platform::ClientDataSet& dataSet,
                         QWidget* parent = nullptr, const std::string& chartTitle = {});

}  // namespace desktop

#pragma once

#include "report/report_data.h"

#include <QByteArray>

namespace tolvane::report {

// The price-change table as CSV for a spreadsheet: UTF-8 with a byte-order mark (so
// that the Thai names show), a Thai header row, commas, CRLF line ends, and a field
// quoted only when it holds a comma, a double quote, CR or LF. Amounts are exact, with
// a dot and up to four decimals; the change is a percentage with 2 decimals and no
// sign of percent, empty when there was no old price. A text (kind, part number, name,
// model) that starts with =, +, -, @, TAB or CR is written quoted with a single quote
// in front ("'-2+3"), so that a spreadsheet shows it as text and never runs it as a
// formula; amounts are written as they are, a negative one as a number.
QByteArray ChangesCsv(const ReportData& data);

} // namespace tolvane::report

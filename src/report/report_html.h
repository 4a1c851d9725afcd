#pragma once

#include "report/report_data.h"

#include <QString>

namespace tolvane::report {

// The price-change report as one self-contained HTML page in Thai: the run itself,
// its counts, a chart of the price changes and the tables of changed and created
// parts and of the remaining differences. Nothing outside the page is loaded; its
// small script only sorts the tables and may be ignored.
//
// Every count is an element with a data-count="<key>" attribute whose text is the
// number alone, so that a program can read the page back.
QString ReportHtml(const ReportData& data);

} // namespace tolvane::report

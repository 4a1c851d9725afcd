#pragma once

// The two readings of the brand's part table that the price-change report compares:
// one before the run's first write, one after its last. Each is one read-only query
// whose rows are taken one at a time, so a shop of any size costs the rows' own
// values and no more.

#include "report/report_data.h"

#include <QString>
#include <vector>

namespace tolvane {
class Connection;
}

namespace tolvane::report {

// The parts as a reading saw them, in key order (part ID, kind, part number).
using PartRows = std::vector<PartRow>;

// The query of one reading of Pta<brandId> in a version's columns.
QString ReadingQuery(int brandId, const QString& version);

// Reads every part row of the brand (the first reading).
PartRows ReadParts(Connection& cn, int brandId, const QString& version);

// Reads the parts again and puts what differs from `before` into `data`: the parts
// whose price or sale price changed, the counts of rises, falls and unchanged prices
// and sale prices, the parts whose names or model changed, the parts only this reading
// holds (as created, role unknown) and the count of parts. The rows are compared as
// they arrive; only the changed ones are kept.
void CompareParts(Connection& cn, int brandId, const QString& version, const PartRows& before,
                  ReportData& data);

} // namespace tolvane::report

#pragma once

// What the runner's price-change report says about one run: read from the brand's part
// table before the run's first write and after its last, plus what the run itself
// showed. Filled by the runner, written by the HTML and CSV writers. Qt Core only.

#include "text/amount.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <vector>

namespace tolvane::report {

// One part row of Pta<B> as a reading saw it.
struct PartRow {
    std::int32_t partId = 0;
    QString kind, partNO, eName, tName, model;
    // The prices the run writes: Price/Sale, or Price1/Sale1 in the version that
    // keeps its prices there.
    Currency price, sale;
};

// A part whose price or sale price differs between the two readings.
struct PriceChange {
    PartRow before, after;
};

// A part that only the second reading holds.
enum class CreatedRole { Own, Linked, Alternate, Unknown };
struct CreatedPart {
    PartRow row;
    CreatedRole role = CreatedRole::Unknown;
};

// One line of the grid of remaining differences, cells 1 to 7 as the window shows them:
// running number, "New" mark, part, Thai name, model, old price, new price.
struct DifferenceLine {
    QString number, mark, part, tName, model, oldPrice, newPrice;
};

// List rows the run applied: per chunk of the brand's list, and in the all-brand pass.
struct AppliedRows {
    struct Chunk {
        int number = 0; // the chunk table's number n of PriceList_<n>
        int rows = 0;
    };
    std::vector<Chunk> chunks;
    std::optional<int> allBrandRows; // empty when the all-brand pass did not run
};

// The run itself.
struct RunFacts {
    QString shop;      // the shop database as the clerk knows it: its file, or its database
                       // and server (never a connection text)
    QString version;   // System.Ver as read; empty when the run ended before reading it
    QString priceList; // the price-list file
    QDateTime started, ended;
    QString message; // the last message box of the run ("เสร็จแล้วจ้า" when it finished)
    QString errorDetail;     // the technical detail of a failed run; empty otherwise
    QString errorAdvice;     // the failure's Thai sentence: what happened and what to do
    bool testRun = false;    // ran on copies: nothing of the shop was changed
    QString backupPath;      // the backup taken before the first write; empty when none
    QStringList notices;     // what the run reported on the side (counter repairs, ...)
    QStringList thaiNotices; // each notice's Thai sentence, in the same order (may be empty)
};

// Everything a report shows. The counts are derived by the writers from the lists
// below; only what the lists cannot tell is carried as a number.
struct ReportData {
    RunFacts run;
    AppliedRows applied;
    // Rows of the brand's part table in each reading; empty when that reading was not
    // taken (a run that ended before its first write, a shop that no longer answered).
    std::optional<int> partsBefore, partsAfter;
    // A price that rose or fell by more than this share (in percent) is one to check
    // before shelf labels are printed.
    int checkShare = 50;
    int pricesUp = 0, pricesDown = 0, pricesSame = 0; // over the parts both readings hold
    int salesUp = 0, salesDown = 0, salesSame = 0;
    int textsChanged = 0;                    // parts whose English or Thai name or model changed
    std::vector<PriceChange> changes;        // price or sale changed, in part-number order
    std::vector<CreatedPart> created;        // in part-number order
    std::vector<DifferenceLine> differences; // the grid's lines, in grid order
};

} // namespace tolvane::report

#pragma once

#include "stage_clock.h"

#include <QString>
#include <QTextStream>
#include <cstdint>
#include <vector>

namespace tolvane::bench {

// The two files of a sample shop.
struct ShopFiles {
    QString shop; // Velmora.accdb (SQLite)
    QString list; // PriceList_TATA.mdb (SQLite)
};

// A shop database on a server, as the window's SQL Server fields name it.
struct ServerShop {
    QString server; // txtServer: a host, or the server's socket folder
    QString database, user, password;
};

// What one measured run gave.
struct CaseResult {
    double seconds = 0;
    double floorSeconds = -1;    // first rows only
    double floorAllSeconds = -1; // every row of every open
    std::int64_t statements = 0;
    std::int64_t rows = 0;
    std::int64_t floorFailures = 0;
    QString firstFloorFailure;
    long peakKb = 0;
    std::int64_t roundTrips = 0;       // calls that waited for the shop database
    std::int64_t sourceRoundTrips = 0; // the same for the price-list file
    std::int64_t floorRoundTrips = 0;  // the shop database's that the run cannot avoid
    std::int64_t proxyTurns = -1;      // the latency link's turns; negative: no link
    std::int64_t proxyConnections = 0;
    double linkDelayMs = -1; // the link's delay each way
    QString message;         // the run's last message box
    std::vector<StageFigures> stages;

    // As lines "<key>\t..." for the parent process, and back.
    void Write(QTextStream& out) const;
    static CaseResult Read(const QString& text);
};

// The headless run (the batch runner's window and the Update command), stage by
// stage, with chkLikelAt ticked when `rebuild`. With `traceFile`, every database event is also
// written there as
// --trace-sql writes it, and with `floorCopy` that trace is then replayed against
// the copies of the starting files.
CaseResult RunHeadless(const ShopFiles& files, bool rebuild, const QString& traceFile,
                       const ShopFiles& floorCopy);

// The headless run with the shop database on a server (optSQL, on the server
// machine), with the alternate index rebuild when `rebuild`; `list` is the price-list file.
CaseResult RunHeadlessOnServer(const ServerShop& shop, const QString& list, bool rebuild);

// The same run through the window frmKordan (needs a QApplication).
CaseResult RunWindow(const ShopFiles& files, bool rebuild);

// Peak resident memory of this process so far, in kB.
long PeakKb();

} // namespace tolvane::bench

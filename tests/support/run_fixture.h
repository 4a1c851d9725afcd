#pragma once

#include "data/hooks.h"
#include "data/run_state.h"
#include "shop/db.h"
#include "shop/price_list_file.h"
#include "shop/shop_tables.h"
#include "support/qt_print.h"
#include "support/recording_window.h"
#include "support/sqlite_file.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

namespace tolvane::testing {

// A run set up on real files: a temporary folder with an empty supplier's file
// (PriceList.mdb) and a shop database of `version` (Velmora.accdb; both SQLite
// files), a recording window whose fields point at them (Access target), and a
// RunState with lngBrandID and strVer set and cnData opened through OpenConnection.
// Every connection of the state reports to `trace`; `faults` is handed to the
// connections made after it is set (call Reopen to make new ones).
class RunFixture {
public:
    explicit RunFixture(const QString& version, int brandId = 7);

    const QString version;
    const int brandId;
    QTemporaryDir dir;
    QString sourcePath, targetPath;
    RecordingWindow window;
    TraceLog trace;
    FaultInjector* faults = nullptr;
    std::unique_ptr<RunState> state;

    RunState& st() { return *state; }
    // The statements (execute and open) sent to the shop database, in order.
    QStringList Statements() const;
    // The shop database for the test's own reads and writes (outside the data layer).
    shop::Db Target() const { return shop::Db(targetPath); }
    // Seeds a part of the fixture's version and brand.
    void Seed(const shop::Part& part, bool withCopies = true);
    // A new RunState (with the current hooks) and cnData opened again.
    void Reopen();
};

} // namespace tolvane::testing

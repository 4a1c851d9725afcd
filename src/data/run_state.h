#pragma once

#include "data/connection.h"
#include "data/hooks.h"
#include "data/lock_file.h"
#include "data/recordset.h"
#include "data/window.h"

#include <QDate>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <vector>

namespace tolvane {

// One matching part row of the last part look-up.
struct PartMatch {
    std::int16_t UpRec = 0;
    std::int32_t PartID = 0;
};

struct RunState;

// Which of a staged row's parts a new part is created for.
enum class PartRole { Own, Linked, Alternate };

// Follows a run from outside (the runner's report); the window has none. Every call
// happens on the run's thread with the run's connections as they are.
class RunObserver {
public:
    virtual ~RunObserver() = default;
    // Both databases are open, the version and brand are known and the run lock is
    // held: the price list is about to be verified.
    virtual void BeforeListCheck(RunState& /*st*/) {}
    // A moment of taking the run lock file `lockPath`.
    virtual void LockStep(const QString& /*lockPath*/, LockFile::Step /*step*/) {}
    // Both databases are open, the version and brand are known, the run lock is held
    // and the list was verified: the next statement is the run's first write. An Error
    // raised here ends the run before it writes anything.
    virtual void BeforeFirstWrite(RunState& /*st*/) {}
    // A new part was written (in its row's transaction).
    virtual void PartCreated(PartRole /*role*/, std::int32_t /*partId*/) {}
    // The run wrote its last statement, or failed and rolled back its pending
    // transaction; the connections are not closed yet (a failed one may be).
    virtual void AfterLastWrite(RunState& /*st*/) {}
};

// The state a run shares: the members of frmKordan. Owned by the front end, passed
// by reference to every stage; no stage keeps a recordset open across a call of
// another. Not copyable.
struct RunState {
    RunState(Window& window, DataHooks hooks = {}) : window(window), hooks(hooks) {}
    RunState(const RunState&) = delete;
    RunState& operator=(const RunState&) = delete;

    Window& window;
    DataHooks hooks; // handed to every connection created for this state

    std::unique_ptr<Connection> cnPriceList;
    std::unique_ptr<Connection> cnData;
    Recordset rsList;
    Recordset rsData;
    Recordset rsWork;
    QString strSQL;

    std::int32_t lngBrandID = 0;
    QString strBrand = QStringLiteral("TATA");
    QString strVer;

    std::vector<std::int32_t> lngAltID;
    std::int32_t lngAltUB = 0;
    std::vector<std::int32_t> lngFacID;
    std::int32_t lngFacUB = 0;
    std::vector<std::int32_t> lngAltGXID;
    std::int32_t lngAltGXUB = 0;
    std::vector<std::int16_t> intCount;
    std::int32_t lngCountUB = 0;
    std::vector<PartMatch> udtPartMatch;
    std::int32_t lngPartMatchUB = 0;

    // The system date; tests fix it.
    std::function<QDate()> today = [] { return QDate::currentDate(); };
    // When positive, the command time-out of every connection in seconds instead of
    // the connection texts' own (20 for Access files, 100 for SQL Server); tests
    // shorten it.
    int commandTimeoutOverride = 0;
    // The connection roles whose ODBC driver refused the statement time-out and the
    // window was told so; emptied when a run starts (the window is told once per run).
    std::set<Role> timeoutRefusalsTold;
    // Told what the run does; not owned, may be null.
    RunObserver* observer = nullptr;

    // The two connections, created on first use.
    Connection& PriceList();
    Connection& Data();
    // Discards the target connection (after closing it); the next Data() makes a new one.
    void DiscardData();

    // strSQL = statement, then run it on the connection; on a server it may go out
    // with the next statement whose result the run waits for (Connection::Send).
    void Execute(Connection& connection, const QString& statement);
    // strSQL = statement, run it now; the number of rows it touched.
    int ExecuteCounted(Connection& connection, const QString& statement);
    // strSQL = statement, then open the recordset on the connection.
    void Open(Recordset& recordset, Connection& connection, const QString& statement);

    // The brand's per-brand table name: "Pta" -> "Pta12".
    QString Table(const char* base) const;
};

} // namespace tolvane

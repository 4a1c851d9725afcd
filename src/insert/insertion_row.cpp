#include "insert/insertion_row.h"

#include "data/literal.h"
#include "data/open_connection.h"
#include "data/run_state.h"
#include "insert/get_new_id.h"
#include "insert/row_layouts.h"
#include "insert/row_writer.h"
#include "text/error.h"
#include "text/mdu_date.h"
#include "text/part_keys.h"
#include "text/thai_find.h"
#include "text/versions.h"

#include "parts/alt_links.h"
#include "parts/part_entry.h"
#include "parts/progress.h"
#include <optional>

namespace tolvane {

bool NextStagedRow(InsertionRun& run, PartEntry* row) {
    RunState& st = run.st;
    st.Open(st.rsList, st.Data(),
            "Select Kind, PartNO, lKind, lAtNO, AKind, AltNO, EName, TName, Model, Import, "
            "Price, Sale From PriceList Where BrandID = " +
                run.Brand() + " Order By PartNO");
    if (st.rsList.Eof())
        return false;
    try {
        *row = ReadPartEntry(st.rsList, true);
    } catch (...) {
        st.rsList.Close();
        throw;
    }
    st.rsList.Close();
    return true;
}

SharedValues ShareValues(const InsertionRun& run, const PartEntry& row) {
    SharedValues shared;
    shared.E = row.EName;
    shared.T = row.TName;
    shared.M = row.Model;
    shared.I = row.Import;
    shared.RK = row.lKind;
    shared.RN = row.lAtNO;
    shared.P = row.Price;
    shared.S = row.Sale;
    shared.B = run.st.lngBrandID;
    shared.D = run.dateStamp;
    shared.sql = &run.st.Data().Dialect();
    if (run.layout.thaiKey) {
        shared.X = MakeThaiFind(shared.T);
    } else {
        shared.EM = TrimBlanks(QString(shared.E + QStringLiteral("  ") + shared.M));
        shared.TM = TrimBlanks(QString(shared.T + QStringLiteral("  ") + shared.M));
    }
    return shared;
}

PartLookup LookupOf(const RowLayout& layout, PartRole role, const QString& kind,
                    const QString& number) {
    if (!layout.lookupBySearchNumber)
        return {kind, number};
    return {role == PartRole::Own ? kind : QString(), EditString(number)};
}

QString LookupColumn(const RowLayout& layout) {
    return layout.lookupBySearchNumber ? QStringLiteral("FPartNO") : QStringLiteral("PartNO");
}

namespace {

// The condition that finds a part.
QString LookupCondition(const RowLayout& layout, PartRole role, const QString& kind,
                        const QString& number) {
    const PartLookup lookup = LookupOf(layout, role, kind, number);
    QString condition = QStringLiteral("Where ");
    if (!lookup.kind.isEmpty())
        condition += "Kind = " + Literal(lookup.kind) + " And ";
    return condition + LookupColumn(layout) + " = " + Literal(lookup.value);
}

// The ID of the part, or nothing when Pta<B> holds no row for it. A row found is a
// part found, whatever its ID: shops keep parts under ID 0 that an old program wrote.
std::optional<std::int32_t> FindPart(InsertionRun& run, PartRole role, const QString& kind,
                                     const QString& number) {
    RunState& st = run.st;
    st.Open(st.rsData, st.Data(),
            "Select PartID From " + st.Table("Pta") + " " +
                LookupCondition(run.layout, role, kind, number));
    std::optional<std::int32_t> id;
    if (!st.rsData.Eof()) {
        try {
            id = st.rsData.Long(QStringLiteral("PartID"));
        } catch (...) {
            st.rsData.Close();
            throw;
        }
    }
    st.rsData.Close();
    return id;
}

// Draws the new part's ID. A failing draw gives the row up (its transaction is rolled
// back) with the driver's reason, rather than a part written under ID 0.
std::int32_t NewPartID(RunState& st) {
    const QString counter = st.Table("Pta");
    try {
        return DrawNewID(st, counter);
    } catch (const Error& e) {
        throw Error(e.kind(), e.facts(),
                    "No new ID could be drawn for " + counter + ": " + e.message(), e.statement());
    }
}

} // namespace

NewPart NewPartOf(const InsertionRun& run, PartRole role, std::int32_t id, const QString& kind,
                  const QString& number) {
    NewPart part;
    part.role = role;
    part.ID = id;
    part.K = kind;
    part.N = number;
    part.F = run.layout.fByEditString ? EditString(number)
                                      : MakeFPartNO(run.st.strBrand, number, run.st.strVer);
    return part;
}

QString StagedRowRemoval(const InsertionRun& run, const PartEntry& row) {
    QString statement = "Delete From PriceList Where BrandID = " + run.Brand();
    if (!row.Kind.isEmpty())
        statement += " And Kind = " + Literal(row.Kind);
    return statement + " And PartNO = " + Literal(row.PartNO);
}

namespace {

// Writes a new part: its row in the layout and its alternate-price row.
std::int32_t CreatePart(InsertionRun& run, const SharedValues& shared, PartRole role,
                        const QString& kind, const QString& number) {
    RunState& st = run.st;
    const NewPart part = NewPartOf(run, role, NewPartID(st), kind, number);
    st.Execute(st.Data(), PartRowStatement(run.layout, shared, part));
    st.Execute(st.Data(), AltRowStatement(run.layout, shared, part));
    if (st.observer)
        st.observer->PartCreated(role, part.ID);
    return part.ID;
}

// The part's ID; an existing part is left as it is.
std::int32_t FindOrCreate(InsertionRun& run, const SharedValues& shared, PartRole role,
                          const QString& kind, const QString& number) {
    if (const std::optional<std::int32_t> found = FindPart(run, role, kind, number))
        return *found;
    return CreatePart(run, shared, role, kind, number);
}

// Removes the handled row. A row that the statement cannot match would be read again
// and again, so that is an error.
void DeleteStagedRow(InsertionRun& run, const PartEntry& row) {
    RunState& st = run.st;
    if (st.ExecuteCounted(st.Data(), StagedRowRemoval(run, row)) == 0)
        throw Error(QStringLiteral("The staged row could not be removed from PriceList."),
                    st.strSQL);
}

// Own, linked and alternate part, their links, and the staged row's removal.
void HandleRow(InsertionRun& run, const PartEntry& row, const SharedValues& shared) {
    RunState& st = run.st;
    const std::int32_t own = FindOrCreate(run, shared, PartRole::Own, row.Kind, row.PartNO);
    std::int32_t linked = 0;
    if (!row.lAtNO.isEmpty() && row.lAtNO != row.PartNO)
        linked = FindOrCreate(run, shared, PartRole::Linked, row.lKind, row.lAtNO);
    std::int32_t alternate = 0;
    if (!row.AltNO.isEmpty() && row.AltNO != row.PartNO)
        alternate = FindOrCreate(run, shared, PartRole::Alternate, row.AKind, row.AltNO);

    if (linked != 0 || alternate != 0) {
        SaveAltGFacD(st, own, linked, alternate);
    } else {
        st.Execute(st.Data(), "Insert Into " + st.Table("AltG") + " Values( 0, " +
                                  QString::number(own) + ", 0 )");
    }
    DeleteStagedRow(run, row);
}

} // namespace

SharedValues StartStagedRow(InsertionRun& run, InsertionProgress& progress, PartEntry& row) {
    RunState& st = run.st;
    if (row.TName.isEmpty())
        row.TName = row.EName;
    const SharedValues shared = ShareValues(run, row);
    st.window.Yield();
    ++progress.done;
    st.window.SetTxtQTY(kPhraseAdding + st.strBrand + u'_' + QString::number(progress.intCountNo) +
                        QStringLiteral("  ") + PercentText(progress.done, progress.total) +
                        QStringLiteral(" %"));
    st.window.SetTxtPartNO(
        PartProgressText(row.Kind, row.PartNO, row.TName, row.Model, QStringLiteral("   ")));
    return shared;
}

namespace {

// A failing rollback must not hide the error that caused it.
void RollBackQuietly(RunState& st) {
    try {
        if (st.cnData && st.cnData->InTransaction())
            st.cnData->RollbackTrans();
    } catch (...) {
    }
}

} // namespace

void InsertStagedRow(InsertionRun& run, const PartEntry& row, const SharedValues& shared) {
    // A failed row leaves nothing behind: its counter draw, parts, links and the
    // removal of the staged row are undone together.
    RunState& st = run.st;
    st.Data().BeginTrans();
    try {
        HandleRow(run, row, shared);
        st.Data().CommitTrans();
    } catch (...) {
        RollBackQuietly(st);
        throw;
    }
}

void InsertStagedRowsOneByOne(InsertionRun& run, InsertionProgress& progress) {
    PartEntry row;
    while (NextStagedRow(run, &row)) {
        const SharedValues shared = StartStagedRow(run, progress, row);
        InsertStagedRow(run, row, shared);
    }
    run.st.rsList.Close();
}

} // namespace tolvane

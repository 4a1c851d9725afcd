#include "transfer/update_part.h"

#include "data/literal.h"
#include "data/run_state.h"
#include "text/error.h"
#include "text/part_keys.h"
#include "text/thai_find.h"
#include "text/versions.h"

#include <algorithm>

namespace tolvane {

namespace {

const QString kComma = QStringLiteral(", ");

// Runs the write's statements, then its read-back, until the read-back finds a row. A
// write the database keeps unchanged is found at once; one that never shows up (a
// trigger, a column that rounds) would loop for ever, so the run stops with an error
// naming the read-back after kReadBackLimit attempts.
void WriteUntilReadBack(RunState& st, const PartWrite& write) {
    for (int attempt = 1;; ++attempt) {
        for (const QString& statement : write.statements)
            st.Execute(st.Data(), statement);
        st.Open(st.rsWork, st.Data(), write.readBack);
        const bool found = !st.rsWork.Eof();
        st.rsWork.Close();
        if (found)
            return;
        if (attempt >= kReadBackLimit)
            throw Error(QStringLiteral("The written values could not be read back after %1 "
                                       "attempts.")
                            .arg(kReadBackLimit),
                        write.readBack);
    }
}

// ---- Look-up -------------------------------------------------------------------

// The part number condition: the compact search number in the search-key versions,
// the number as listed in all others.
QString NumberCondition(const RunState& st, const PartEntry& e) {
    return UpdateKeyColumn(st) + " = " + Literal(UpdateLookupKey(st, e).value);
}

// An empty kind matches the number in every kind.
QString LookupStatement(const RunState& st, const PartEntry& e) {
    const QString kind = UpdateLookupKey(st, e).kind;
    QString sql = "Select UpRec, PartID From " + st.Table("Pta") + " Where ";
    if (!kind.isEmpty())
        sql += "Kind = " + Literal(kind) + " And ";
    return sql + NumberCondition(st, e);
}

// ---- Staging of a missing part ---------------------------------------------------

// The values go by position: each number before its kind, unlike the price list.
QString StagingInsert(const RunState& st, const PartEntry& e) {
    const QStringList values = {QString::number(st.lngBrandID),
                                Literal(e.PartNO),
                                Literal(e.Kind),
                                Literal(e.lAtNO),
                                Literal(e.lKind),
                                Literal(e.AltNO),
                                Literal(e.AKind),
                                Literal(e.EName),
                                Literal(e.TName),
                                Literal(e.Model),
                                Literal(e.Import),
                                e.Price.ToText(),
                                e.Sale.ToText()};
    return "Insert Into PriceList Values( " + values.join(kComma) + " )";
}

QString StagingReadBack(const RunState& st, const PartEntry& e) {
    const QString kind = TrimBlanks(e.Kind);
    QString sql = "Select PartNO From PriceList Where BrandID = " + QString::number(st.lngBrandID);
    if (!kind.isEmpty())
        sql += " And Kind = " + Literal(kind);
    return sql + " And PartNO = " + Literal(TrimBlanks(e.PartNO));
}

// ---- Texts of a matched part -------------------------------------------------------

// The tables that hold a copy of a part's texts and prices; each has its own key order.
enum class Copy { Pta, MovementStock, SPG, Price, Sale, Alt };

// Columns of one table set for the part: "EName = 'X'" or "EFind = 'X  M', EName = 'X'".
struct Assignment {
    Copy table;
    QString columns;
};
// Which versions a text statement belongs to.
enum class Versions { All, SearchText, Other };
// The search text written in the same statement as a name.
enum class Search { None, EFind, TFind, IndTName };

struct TextStatement {
    Versions versions;
    Copy table;
    const char* column;
    QString PartEntry::*value; // also decides: skipped when it is empty after trimming
    Search search;
};

// In the order they run; a part marked in UpRec gets none of them.
const TextStatement kTextStatements[] = {
    {Versions::All, Copy::Pta, "lAtNO", &PartEntry::lAtNO, Search::None},
    {Versions::SearchText, Copy::Pta, "EName", &PartEntry::EName, Search::EFind},
    {Versions::SearchText, Copy::Pta, "TName", &PartEntry::TName, Search::TFind},
    {Versions::Other, Copy::Pta, "EName", &PartEntry::EName, Search::None},
    {Versions::Other, Copy::Pta, "TName", &PartEntry::TName, Search::IndTName},
    {Versions::All, Copy::MovementStock, "EName", &PartEntry::EName, Search::None},
    {Versions::All, Copy::SPG, "EName", &PartEntry::EName, Search::None},
    {Versions::All, Copy::MovementStock, "TName", &PartEntry::TName, Search::None},
    {Versions::All, Copy::SPG, "TName", &PartEntry::TName, Search::None},
    {Versions::All, Copy::Price, "TName", &PartEntry::TName, Search::None},
    {Versions::All, Copy::Sale, "TName", &PartEntry::TName, Search::None},
    {Versions::All, Copy::Pta, "Model", &PartEntry::Model, Search::None},
    {Versions::All, Copy::MovementStock, "Model", &PartEntry::Model, Search::None},
    {Versions::All, Copy::SPG, "Model", &PartEntry::Model, Search::None},
    {Versions::All, Copy::Price, "Model", &PartEntry::Model, Search::None},
    {Versions::All, Copy::Sale, "Model", &PartEntry::Model, Search::None},
    {Versions::All, Copy::Pta, "Import", &PartEntry::Import, Search::None},
};

// "Update <table> Set <assignments> Where <the table's key for this part>".
QString UpdateCopy(const RunState& st, Copy table, const QString& assignments, std::int32_t id) {
    const QString b = QString::number(st.lngBrandID);
    const QString partId = "PartID = " + QString::number(id);
    switch (table) {
    case Copy::Pta:
        return "Update " + st.Table("Pta") + " Set " + assignments + " Where " + partId;
    case Copy::SPG:
        return "Update SPG Set " + assignments + " Where BrandID = " + b + " And " + partId;
    case Copy::MovementStock:
        return "Update MovementStock Set " + assignments + " Where " + partId +
               " And BrandID = " + b;
    case Copy::Price:
        return "Update Price Set " + assignments + " Where " + partId + " And BrandID = " + b;
    case Copy::Sale:
        return "Update Sale Set " + assignments + " Where " + partId + " And BrandID = " + b;
    case Copy::Alt:
        return "Update " + st.Table("Alt") + " Set " + assignments +
               " Where AltID = " + QString::number(id);
    }
    return QString();
}

// A name and the model, two blanks between: the search text of the search-text versions.
QString WithModel(const QString& name, const PartEntry& e) {
    return TrimBlanks(TrimBlanks(name) + QStringLiteral("  ") + TrimBlanks(e.Model));
}

// The search column and its value that go before the name, or an empty text.
QString SearchAssignment(Search search, const PartEntry& e) {
    switch (search) {
    case Search::None:
        return QString();
    case Search::EFind:
        return "EFind = " + Literal(WithModel(e.EName, e)) + kComma;
    case Search::TFind:
        return "TFind = " + Literal(WithModel(e.TName, e)) + kComma;
    case Search::IndTName:
        return "IndTName = " + Literal(MakeThaiFind(e.TName)) + kComma;
    }
    return QString();
}

bool AppliesTo(Versions versions, bool searchText) {
    return versions == Versions::All || (versions == Versions::SearchText) == searchText;
}

void AddTexts(const RunState& st, const PartEntry& e, std::vector<Assignment>& set) {
    const bool searchText = IsSearchTextVersion(st.strVer);
    for (const TextStatement& t : kTextStatements) {
        const QString& value = e.*t.value;
        if (!AppliesTo(t.versions, searchText) || TrimBlanks(value).isEmpty())
            continue;
        set.push_back({t.table, SearchAssignment(t.search, e) + QLatin1String(t.column) + " = " +
                                    Literal(value)});
    }
}

// ---- Prices of a matched part ------------------------------------------------------

// The version's price columns of Pta<B> with the entry's amounts: "Price = 10, Sale = 9".
QString PtaPrices(const RunState& st, const PartEntry& e, const QString& joint) {
    const bool price1 = IsPrice1Version(st.strVer);
    return QLatin1String(price1 ? "Price1 = " : "Price = ") + e.Price.ToText() + joint +
           QLatin1String(price1 ? "Sale1 = " : "Sale = ") + e.Sale.ToText();
}

void AddPrices(const RunState& st, const PartEntry& e, std::vector<Assignment>& set) {
    set.push_back({Copy::Pta, PtaPrices(st, e, kComma)});
    QString alt = "APrice = " + e.Price.ToText();
    if (IsAltSaleVersion(st.strVer))
        alt += ", ASale = " + e.Sale.ToText();
    set.push_back({Copy::Alt, alt});
    set.push_back({Copy::SPG, "Price = " + e.Price.ToText()});
}

// One statement per assignment, as the run writes them row by row; and one statement per
// table, which sets the same columns of the same rows to the same values at once.
void AddStatements(const RunState& st, const std::vector<Assignment>& set, std::int32_t id,
                   PartWrite& write) {
    std::vector<Assignment> perTable;
    for (const Assignment& a : set) {
        write.statements << UpdateCopy(st, a.table, a.columns, id);
        const auto same = std::find_if(perTable.begin(), perTable.end(),
                                       [&a](const Assignment& b) { return b.table == a.table; });
        if (same == perTable.end())
            perTable.push_back(a);
        else
            same->columns += kComma + a.columns;
    }
    for (const Assignment& a : perTable)
        write.perTable << UpdateCopy(st, a.table, a.columns, id);
}

QString PriceReadBack(const RunState& st, const PartEntry& e, std::int32_t id) {
    return "Select PartID From " + st.Table("Pta") + " Where PartID = " + QString::number(id) +
           " And " + PtaPrices(st, e, QStringLiteral(" And "));
}

// Copies the look-up rows so that no recordset stays open while the updates run.
void LoadMatches(RunState& st) {
    st.lngPartMatchUB = st.rsData.RecordCount();
    st.udtPartMatch.assign(static_cast<std::size_t>(st.lngPartMatchUB), PartMatch{});
    for (PartMatch& match : st.udtPartMatch) {
        match.UpRec = st.rsData.Integer(QStringLiteral("UpRec"));
        match.PartID = st.rsData.Long(QStringLiteral("PartID"));
        st.rsData.MoveNext();
    }
    st.rsData.Close();
}

} // namespace

QString UpdateKeyColumn(const RunState& st) {
    return IsSearchKeyVersion(st.strVer) ? QStringLiteral("FPartNO") : QStringLiteral("PartNO");
}

PartKey UpdateLookupKey(const RunState& st, const PartEntry& entry) {
    return {TrimBlanks(entry.Kind),
            IsSearchKeyVersion(st.strVer) ? EditString(entry.PartNO) : TrimBlanks(entry.PartNO)};
}

std::vector<PartWrite> PlanPartUpdate(const RunState& st, const PartEntry& entry,
                                      const std::vector<PartMatch>& matches) {
    if (matches.empty()) {
        const QString insert = StagingInsert(st, entry);
        return {{{insert}, {insert}, StagingReadBack(st, entry)}};
    }
    std::vector<PartWrite> writes;
    for (const PartMatch& match : matches) {
        // Texts (unless the row is marked in UpRec) and prices, again until the prices
        // read back.
        std::vector<Assignment> set;
        if (match.UpRec == 0)
            AddTexts(st, entry, set);
        AddPrices(st, entry, set);
        PartWrite write;
        AddStatements(st, set, match.PartID, write);
        write.readBack = PriceReadBack(st, entry, match.PartID);
        writes.push_back(std::move(write));
    }
    return writes;
}

void UpdatePart(RunState& st, const PartEntry& entry) {
    st.Open(st.rsData, st.Data(), LookupStatement(st, entry));
    if (st.rsData.Eof()) {
        st.rsData.Close();
        st.udtPartMatch.clear();
    } else {
        LoadMatches(st);
    }
    for (const PartWrite& write : PlanPartUpdate(st, entry, st.udtPartMatch))
        WriteUntilReadBack(st, write);
}

} // namespace tolvane

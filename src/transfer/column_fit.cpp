#include "transfer/column_fit.h"

#include "data/recordset.h"
#include "data/run_state.h"
#include "insert/insertion_row.h"
#include "insert/row_layouts.h"
#include "insert/row_writer.h"
#include "parts/part_entry.h"
#include "transfer/update_part.h"

#include <QStringList>
#include <algorithm>

namespace tolvane {

namespace {

// The texts of a line that go into PriceListAll, trimmed as the check stage reads them.
const QStringList kCollectedTexts = {"Kind",  "PartNO", "PartNew", "FPartNew", "lKind", "lAtNO",
                                     "AKind", "AltNO",  "EName",   "TName",    "Model", "Import"};

// The pieces of `text` between top-level commas; a quoted literal ('' inside) is one piece.
QStringList SplitValues(QStringView text) {
    QStringList pieces;
    QString piece;
    bool quoted = false;
    for (QChar c : text) {
        if (c == u'\'')
            quoted = !quoted; // a doubled quote closes and opens again
        if (c == u',' && !quoted) {
            pieces << piece.trimmed();
            piece.clear();
        } else {
            piece += c;
        }
    }
    pieces << piece.trimmed();
    return pieces;
}

// Where the first ` Where ` outside literals begins; the text's end when there is none.
qsizetype WhereClause(const QString& text, qsizetype from) {
    bool quoted = false;
    for (qsizetype i = from; i < text.size(); ++i) {
        if (text[i] == u'\'')
            quoted = !quoted;
        else if (!quoted && QStringView(text).mid(i).startsWith(u" Where "))
            return i;
    }
    return text.size();
}

// The part's rows the insertion writes for one new part.
QStringList NewPartStatements(const InsertionRun& run, const SharedValues& shared, PartRole role,
                              const QString& kind, const QString& number) {
    const NewPart part = NewPartOf(run, role, 1, kind, number);
    return {PartRowStatement(run.layout, shared, part), AltRowStatement(run.layout, shared, part)};
}

// The statements the run builds for a line: the stagings and part updates of the line's
// number and of its linked and alternate numbers, and the rows of every part it may create.
QStringList LineStatements(RunState& st, PartEntry e) {
    QStringList statements;
    const std::vector<PartMatch> matched = {PartMatch{0, 1}};
    PartEntry linked = e, alternate = e;
    linked.Kind = e.lKind;
    linked.PartNO = e.lAtNO;
    alternate.Kind = e.AKind;
    alternate.PartNO = e.AltNO;
    for (PartEntry* entry : {&e, &linked, &alternate}) {
        if (entry != &e) {
            entry->lKind = entry->lAtNO = entry->AKind = entry->AltNO = QString();
            if (entry->PartNO.isEmpty())
                continue;
        }
        for (const auto& matches : {std::vector<PartMatch>{}, matched})
            for (const PartWrite& write : PlanPartUpdate(st, *entry, matches))
                statements << write.statements;
    }
    const RowLayout* layout = LayoutForVersion(st.strVer);
    if (layout == nullptr)
        return statements;
    const InsertionRun run{st, *layout, 0};
    if (e.TName.isEmpty())
        e.TName = e.EName; // as the insertion does
    const SharedValues shared = ShareValues(run, e);
    statements << NewPartStatements(run, shared, PartRole::Own, e.Kind, e.PartNO);
    if (!e.lAtNO.isEmpty())
        statements << NewPartStatements(run, shared, PartRole::Linked, e.lKind, e.lAtNO);
    if (!e.AltNO.isEmpty())
        statements << NewPartStatements(run, shared, PartRole::Alternate, e.AKind, e.AltNO);
    return statements;
}

} // namespace

ColumnFit::ColumnFit(RunState& st) : st_(st) {
    const auto read = [&](const Connection& cn, const QString& table) {
        std::vector<ColumnLimit> limits = ColumnLimits(cn, table);
        checks_ = checks_ || std::any_of(limits.begin(), limits.end(), [](const ColumnLimit& l) {
                      return l.textSize > 0 || l.wholeDigits >= 0;
                  });
        limits_[table.toLower()] = std::move(limits);
    };
    for (const QString& table : {st.Table("Pta"), st.Table("Alt"), QStringLiteral("PriceList"),
                                 QStringLiteral("MovementStock"), QStringLiteral("SPG"),
                                 QStringLiteral("Price"), QStringLiteral("Sale")})
        read(st.Data(), table);
    read(st.PriceList(), QStringLiteral("PriceListAll"));
}

void ColumnFit::CheckValue(const QString& table, const ColumnLimit& limit, const QString& token,
                           std::map<QString, bool>& told, const Misfit& misfit) const {
    const QString column = table + u'.' + limit.name;
    if (told[column])
        return;
    QString problem;
    QString value = token;
    if (token.startsWith(u'\'')) {
        value = token.mid(1, token.size() - 2).replace(QStringLiteral("''"), QStringLiteral("'"));
        if (limit.textSize > 0 && value.size() > limit.textSize)
            problem = QStringLiteral("%1 holds %2 characters, the run would write %3 there ('%4')")
                          .arg(column)
                          .arg(limit.textSize)
                          .arg(value.size())
                          .arg(value);
    } else if (limit.wholeDigits >= 0) {
        const QString whole = token.section(u'.', 0, 0).remove(u'-');
        if (whole.size() > limit.wholeDigits && whole != QLatin1String("0"))
            problem = QStringLiteral("%1 holds %2 digits before the point, the run would write "
                                     "%3 there")
                          .arg(column)
                          .arg(limit.wholeDigits)
                          .arg(token);
    }
    if (problem.isEmpty())
        return;
    told[column] = true;
    misfit(column, value, problem);
}

void ColumnFit::CheckStatement(const QString& statement, std::map<QString, bool>& told,
                               const Misfit& misfit) const {
    // "Insert Into <table> Values( ... )" by position, "Update <table> Set c = v, ... Where".
    const QStringList words = statement.split(u' ');
    const bool insert = statement.startsWith(QLatin1String("Insert Into "));
    const QString table = words.value(insert ? 2 : 1);
    const auto it = limits_.find(table.toLower());
    if (it == limits_.end() || it->second.empty())
        return;
    const std::vector<ColumnLimit>& columns = it->second;
    if (insert) {
        const qsizetype open = statement.indexOf(QLatin1String("Values( "));
        const QStringList values = SplitValues(QStringView(statement).mid(open + 8).chopped(2));
        for (qsizetype i = 0; i < values.size() && i < qsizetype(columns.size()); ++i)
            CheckValue(table, columns[std::size_t(i)], values[i], told, misfit);
        return;
    }
    const qsizetype set = statement.indexOf(QLatin1String(" Set ")) + 5;
    for (const QString& assignment :
         SplitValues(QStringView(statement).mid(set, WhereClause(statement, set) - set))) {
        const QString name = assignment.section(QLatin1String(" = "), 0, 0);
        const auto column = std::find_if(columns.begin(), columns.end(), [&](const ColumnLimit& l) {
            return l.name.compare(name, Qt::CaseInsensitive) == 0;
        });
        if (column == columns.end())
            continue;
        ColumnLimit named = *column; // named as the run names it, whatever the catalog's case
        named.name = name;
        CheckValue(table, named, assignment.section(QLatin1String(" = "), 1), told, misfit);
    }
}

void ColumnFit::Check(const Recordset& line, const Misfit& misfit) const {
    std::map<QString, bool> told; // one problem per column and line
    for (const QString& statement : LineStatements(st_, ReadPartEntry(line, true)))
        CheckStatement(statement, told, misfit);
    const std::vector<ColumnLimit>& collected = limits_.at(QStringLiteral("pricelistall"));
    for (const ColumnLimit& limit : collected) {
        if (kCollectedTexts.contains(limit.name, Qt::CaseInsensitive))
            CheckValue(QStringLiteral("PriceListAll"), limit,
                       QStringLiteral("'%1'").arg(line.Text(limit.name).replace(u'\'', "''")), told,
                       misfit);
    }
}

} // namespace tolvane

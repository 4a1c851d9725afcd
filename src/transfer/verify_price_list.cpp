#include "transfer/verify_price_list.h"

#include "data/odbc_driver.h"
#include "data/run_state.h"
#include "data/text_comparison.h"
#include "parts/part_entry.h"
#include "text/amount.h"
#include "text/error.h"
#include "text/versions.h"
#include "transfer/column_fit.h"
#include "transfer/list_fingerprint.h"

#include <QStringList>
#include <algorithm>
#include <functional>
#include <limits>
#include <map>
#include <optional>
#include <vector>

namespace tolvane {

namespace {

constexpr int kProblemsShown = 20;

// The notices on part numbers a chunk names more than once with different values.
const QLatin1String kIsNamed(" is named ");
const QLatin1String kWithOtherValues(" with different values: if the shop lacks it, the "
                                     "database's order decides which line creates it");
const QLatin1String kMoreStart("... and ");
const QLatin1String kMoreEnd(" more part numbers named more than once in a chunk with "
                             "different values.");

// The columns the chunk stages and the checks read, and those of PriceListAll in the
// order the run writes them.
const QStringList kTexts = {"Kind",  "PartNO", "PartNew", "FPartNew", "lKind", "lAtNO",
                            "AKind", "AltNO",  "EName",   "TName",    "Model", "Import"};
const QStringList kAmounts = {"Price", "Sale"};

// What was found (problems, or part numbers named more than once), the first ones in
// words and in the clerk's Thai; the first problem decides what the clerk is told.
struct Findings {
    QStringList shown, thai;
    int count = 0;
    Failure kind = Failure::ListDamaged;
    QStringList facts;

    QString table; // the table being checked

    void Add(const QString& text, const QString& inThai = QString()) {
        if (count == 0)
            facts = {table};
        if (++count <= kProblemsShown) {
            shown << text;
            thai << inThai;
        }
    }
    // A problem of one value of one row: the clerk is told where and what.
    void Value(int row, const QString& column, const QString& value, const QString& text) {
        if (count == 0)
            kind = Failure::ListRefused;
        Add(text);
        if (count == 1)
            facts = {table, QString::number(row), column, value};
    }
};

QString Shown(const QVariant& value) {
    if (!value.isValid() || value.isNull())
        return QStringLiteral("Null");
    return u'\'' + value.toString() + u'\'';
}

// The columns of `needed` the result lacks, compared without regard to case.
QStringList Missing(const QStringList& columns, const QStringList& needed) {
    QStringList missing;
    for (const QString& name : needed) {
        if (!columns.contains(name, Qt::CaseInsensitive))
            missing << name;
    }
    return missing;
}

// The whole number a value holds, whatever type the driver gives it; nothing for a
// Null, a text that is no number, or a fraction.
std::optional<std::int64_t> WholeNumber(const QVariant& value) {
    try {
        const Currency amount = Currency::FromVariant(value);
        if (amount.units() % Currency::kScale == 0)
            return amount.units() / Currency::kScale;
    } catch (const Error&) {
    }
    return std::nullopt;
}

// The chunk numbers of PriceList_Count that can be used; a bad one is a problem.
std::vector<int> ChunkNumbers(RunState& st, Findings& findings) {
    findings.table = QStringLiteral("PriceList_Count");
    std::vector<int> numbers;
    Recordset rs;
    rs.Open(QStringLiteral("Select Count From PriceList_Count Order By Count"), st.PriceList(),
            Recordset::adOpenForwardOnly);
    for (int row = 1; !rs.Eof(); ++row, rs.MoveNext()) {
        const QVariant value = rs.Field(QStringLiteral("Count"));
        const std::optional<std::int64_t> n = WholeNumber(value);
        if (n && *n >= 1 && *n <= std::numeric_limits<std::int16_t>::max())
            numbers.push_back(static_cast<int>(*n));
        else
            findings.Value(row, QStringLiteral("Count"), Shown(value),
                           QStringLiteral("PriceList_Count, row %1: Count is %2, not a whole "
                                          "number from 1 to 32767")
                               .arg(row)
                               .arg(Shown(value)));
    }
    return numbers;
}

// "PriceList_1, row 3 (part 100)": where a problem of a line lies.
QString Where(const Recordset& rs, const QString& table, int row) {
    const QVariant partNO = rs.Field(QStringLiteral("PartNO"));
    const QString number = partNO.isNull() ? QString() : TrimBlanks(partNO.toString());
    return number.isEmpty()
               ? QStringLiteral("%1, row %2").arg(table).arg(row)
               : QStringLiteral("%1, row %2 (part %3)").arg(table).arg(row).arg(number);
}

void CheckRow(const Recordset& rs, const QString& table, int row, Findings& findings) {
    const QVariant partNO = rs.Field(QStringLiteral("PartNO"));
    const bool hasNumber =
        partNO.isValid() && !partNO.isNull() && !TrimBlanks(partNO.toString()).isEmpty();
    const QString where = Where(rs, table, row);
    for (const QString& column : kTexts) {
        const QVariant value = rs.Field(column);
        if (!value.isValid() || value.isNull())
            findings.Value(row, column, Shown(value),
                           QStringLiteral("%1: %2 is Null, not a text").arg(where, column));
    }
    if (!hasNumber && partNO.isValid() && !partNO.isNull())
        findings.Value(
            row, QStringLiteral("PartNO"), Shown(partNO),
            QStringLiteral("%1: PartNO is %2, an empty part number").arg(where, Shown(partNO)));
    for (const QString& column : kAmounts) {
        const QVariant value = rs.Field(column);
        try {
            Currency::FromVariant(value);
        } catch (const Error&) {
            findings.Value(
                row, column, Shown(value),
                QStringLiteral("%1: %2 is %3, not an amount").arg(where, column, Shown(value)));
        }
    }
}

// ---- Part numbers a chunk names more than once ----------------------------------

// The lines of one chunk by part number, each as the run stages it. Kept for one chunk
// at a time: the chunks are staged and created one after the other, so only lines of
// the same chunk compete for creating a part.
using ChunkLines = std::map<QString, std::vector<PartEntry>>;

// Lines compete where the shop's database finds one number by the other (`cs`).
void CollectLine(const Recordset& rs, ChunkLines& lines, Qt::CaseSensitivity cs) {
    PartEntry e = ReadPartEntry(rs, true);
    // The chunk stage stages a line without a sale price at the list price.
    if (e.Sale.isZero())
        e.Sale = e.Price;
    const QString number = cs == Qt::CaseSensitive ? e.PartNO : e.PartNO.toCaseFolded();
    lines[number].push_back(std::move(e));
}

// Whether two lines of one number stage the same values (trimmed texts exactly,
// amounts as amounts).
bool SameValues(const PartEntry& a, const PartEntry& b) {
    return a.Kind == b.Kind && a.lKind == b.lKind && a.lAtNO == b.lAtNO && a.AKind == b.AKind &&
           a.AltNO == b.AltNO && a.EName == b.EName && a.TName == b.TName && a.Model == b.Model &&
           a.Import == b.Import && a.Price == b.Price && a.Sale == b.Sale;
}

QString Times(std::size_t n) {
    if (n == 2)
        return QStringLiteral("twice");
    if (n == 3)
        return QStringLiteral("three times");
    return QStringLiteral("%1 times").arg(n);
}

// Lines [begin, end) compete for creating one part: told when they differ.
void NoteCompeting(int chunk, const QString& part, std::vector<PartEntry>::const_iterator begin,
                   std::vector<PartEntry>::const_iterator end, Findings& doubles) {
    const auto count = static_cast<std::size_t>(end - begin);
    if (count < 2 ||
        std::all_of(begin, end, [&](const PartEntry& e) { return SameValues(*begin, e); }))
        return;
    doubles.Add(part + kIsNamed + Times(count) + QStringLiteral(" in chunk %1").arg(chunk) +
                    kWithOtherValues,
                ThaiSentence(NoticeKind::DoublyNamed, {part, QString::number(chunk)}));
}

// Lines under different kinds are different parts, each created by its own lines. A
// line without a kind finds and removes the number under every kind, so when one is
// among them all lines of the number compete.
void NoteDoubles(int chunk, ChunkLines& lines, Findings& doubles, Qt::CaseSensitivity cs) {
    for (auto& [key, entries] : lines) {
        if (entries.size() < 2)
            continue;
        std::stable_sort(
            entries.begin(), entries.end(),
            [&](const PartEntry& a, const PartEntry& b) { return a.Kind.compare(b.Kind, cs) < 0; });
        const QString& number = entries.front().PartNO;
        if (entries.front().Kind.isEmpty()) {
            NoteCompeting(chunk, number, entries.cbegin(), entries.cend(), doubles);
            continue;
        }
        for (auto begin = entries.cbegin(); begin != entries.cend();) {
            const auto end = std::find_if(begin, entries.cend(), [&](const PartEntry& e) {
                return e.Kind.compare(begin->Kind, cs) != 0;
            });
            NoteCompeting(chunk, begin->Kind + u'-' + begin->PartNO, begin, end, doubles);
            begin = end;
        }
    }
}

void CheckChunk(RunState& st, int n, Findings& findings, Findings& doubles,
                ListFingerprint& fingerprint, const ColumnFit& fit, Qt::CaseSensitivity cs) {
    const QString table = QStringLiteral("PriceList_%1").arg(n);
    findings.table = table;
    Recordset rs;
    try {
        rs.Open("Select * From " + table, st.PriceList(), Recordset::adOpenForwardOnly);
    } catch (const Error& e) {
        findings.Add(table + QStringLiteral(": cannot be read: ") + e.message());
        return;
    }
    const QStringList missing = Missing(rs.Columns(), kTexts + kAmounts);
    if (!missing.isEmpty()) {
        findings.Add(table + QStringLiteral(": lacks the column(s) ") + missing.join(", "));
        return;
    }
    ChunkLines lines;
    fingerprint.Table(n);
    for (int row = 1; !rs.Eof(); ++row, rs.MoveNext()) {
        const int before = findings.count;
        CheckRow(rs, table, row, findings);
        if (findings.count == before && fit.Checks())
            fit.Check(rs, [&](const QString& column, const QString& value, const QString& what) {
                findings.Value(row, column, Shown(value), Where(rs, table, row) + ": " + what);
            });
        // Once the list is refused, the lines no longer matter.
        if (findings.count == 0) {
            CollectLine(rs, lines, cs);
            fingerprint.Row(rs);
        }
    }
    if (findings.count == 0)
        NoteDoubles(n, lines, doubles, cs);
}

// ---- The collected list's table ------------------------------------------------------

// What SQLite makes of a value written into a column of the declared type.
enum class Affinity { Text, Blob, Integer, Real, Numeric };

Affinity AffinityOf(const QString& declared) {
    const QString type = declared.toUpper();
    if (type.contains(QLatin1String("INT")))
        return Affinity::Integer;
    for (const char* text : {"CHAR", "CLOB", "TEXT"})
        if (type.contains(QLatin1String(text)))
            return Affinity::Text;
    if (type.isEmpty() || type.contains(QLatin1String("BLOB")))
        return Affinity::Blob;
    for (const char* real : {"REAL", "FLOA", "DOUB"})
        if (type.contains(QLatin1String(real)))
            return Affinity::Real;
    return Affinity::Numeric;
}

// Where the text at `i` of a statement goes on past a quoted name or text or a comment
// starting there; `i` itself when none starts there.
qsizetype PastQuoted(const QString& sql, qsizetype i) {
    const QChar c = sql[i];
    const QString close = c == u'['                                ? QStringLiteral("]")
                          : (c == u'\'' || c == u'"' || c == u'`') ? QString(c)
                          : sql.mid(i, 2) == QLatin1String("--")   ? QStringLiteral("\n")
                          : sql.mid(i, 2) == QLatin1String("/*")   ? QStringLiteral("*/")
                                                                   : QString();
    if (close.isEmpty())
        return i;
    const qsizetype end = sql.indexOf(close, i + 1 + (close.size() - 1));
    return end < 0 ? sql.size() : end + close.size();
}

// The CHECK constraints of a table's Create statement, each with its condition: the
// word outside quoted names, texts and comments.
QStringList CheckConstraints(const QString& sql) {
    QStringList found;
    for (qsizetype i = 0; i < sql.size();) {
        if (const qsizetype past = PastQuoted(sql, i); past != i) {
            i = past;
            continue;
        }
        qsizetype end = i;
        while (end < sql.size() && (sql[end].isLetterOrNumber() || sql[end] == u'_'))
            ++end;
        if (end == i) {
            ++i;
            continue;
        }
        if (QStringView(sql)
                .sliced(i, end - i)
                .compare(QLatin1String("check"), Qt::CaseInsensitive) == 0) {
            int depth = 0;
            qsizetype j = end;
            for (; j < sql.size() && !(sql[j] == u')' && --depth == 0);) {
                depth += sql[j] == u'(';
                const qsizetype past = PastQuoted(sql, j);
                j = past == j ? j + 1 : past;
            }
            found << sql.mid(i, j + 1 - i).simplified();
            end = j + 1;
        }
        i = end;
    }
    return found;
}

QString UniqueKey(const QString& name) {
    return QStringLiteral("PriceListAll: its unique key %1 would refuse an entry the run appends "
                          "twice")
        .arg(name);
}

QString TurnsTexts(const QString& column, const QString& type) {
    return QStringLiteral("PriceListAll: column %1 is %2, which does not keep the texts the run "
                          "writes there (a part number 0123 would read back as 123)")
        .arg(column, type);
}

// The run empties PriceListAll and appends every entry that still differs: it must be a
// table that keeps the texts as written and takes every entry. An Access file's driver
// tells each column's type; a SQLite file tells what it makes of a value written and
// what else the table holds.
void CheckCollectedTable(RunState& st, const Recordset& columns, Findings& findings) {
    Connection& cn = st.PriceList();
    if (!cn.IsEmbedded()) {
        for (int i = 0; i < kTexts.size(); ++i) {
            const QMetaType type = columns.ColumnTypes()[static_cast<std::size_t>(i)];
            if (type.id() != QMetaType::QString)
                findings.Add(TurnsTexts(kTexts[i], QString::fromLatin1(type.name())));
        }
        // A saved query answers as a view; an index the driver's catalog tells.
        if (cn.Database()
                .tables(QSql::Views)
                .contains(QStringLiteral("PriceListAll"), Qt::CaseInsensitive))
            findings.Add(QStringLiteral("PriceListAll: is a saved query, not a table the run can "
                                        "empty and append to"));
        for (const QString& index : UniqueIndexes(cn.Database(), QStringLiteral("PriceListAll")))
            findings.Add(UniqueKey(index));
        return;
    }
    const auto rows = [&](const QString& statement,
                          const std::function<void(const Recordset&)>& row) {
        Recordset rs;
        rs.Open(statement, cn, Recordset::adOpenForwardOnly);
        for (; !rs.Eof(); rs.MoveNext())
            row(rs);
    };
    rows(QStringLiteral("Select type From sqlite_master Where lower(name) = 'pricelistall'"),
         [&](const Recordset& rs) {
             if (rs.Text(QStringLiteral("type")) != QLatin1String("table"))
                 findings.Add(QStringLiteral("PriceListAll: is a %1, not a table the run can empty "
                                             "and append to")
                                  .arg(rs.Text(QStringLiteral("type"))));
         });
    rows(QStringLiteral("Select name, type From pragma_table_info('PriceListAll')"),
         [&](const Recordset& rs) {
             const QString name = rs.Text(QStringLiteral("name"));
             const QString type = rs.Text(QStringLiteral("type"));
             const Affinity affinity = AffinityOf(type);
             if (kTexts.contains(name, Qt::CaseInsensitive) && affinity != Affinity::Text &&
                 affinity != Affinity::Blob)
                 findings.Add(TurnsTexts(name, type));
         });
    rows(QStringLiteral("Select sql From sqlite_master Where lower(name) = 'pricelistall'"),
         [&](const Recordset& rs) {
             for (const QString& check : CheckConstraints(rs.Text(QStringLiteral("sql"))))
                 findings.Add(QStringLiteral("PriceListAll: its constraint %1 may refuse an entry "
                                             "the run appends")
                                  .arg(check));
         });
    rows(QStringLiteral("Select name From pragma_index_list('PriceListAll') Where \"unique\" = 1"),
         [&](const Recordset& rs) { findings.Add(UniqueKey(rs.Text(QStringLiteral("name")))); });
    rows(QStringLiteral("Select name From sqlite_master Where type = 'trigger' And "
                        "lower(tbl_name) = 'pricelistall'"),
         [&](const Recordset& rs) {
             findings.Add(QStringLiteral("PriceListAll: its trigger %1 may refuse or change what "
                                         "the run writes")
                              .arg(rs.Text(QStringLiteral("name"))));
         });
}

void CheckCollectedList(RunState& st, Findings& findings) {
    findings.table = QStringLiteral("PriceListAll");
    Recordset rs;
    try {
        rs.Open(QStringLiteral("Select * From PriceListAll Where 1 = 0"), st.PriceList(),
                Recordset::adOpenForwardOnly);
    } catch (const Error& e) {
        findings.Add(QStringLiteral("PriceListAll: cannot be read: ") + e.message());
        return;
    }
    const QStringList& columns = rs.Columns();
    const QStringList written = kTexts + kAmounts;
    const QStringList missing = Missing(columns, written);
    if (!missing.isEmpty()) {
        findings.Add(QStringLiteral("PriceListAll: lacks the column(s) ") + missing.join(", "));
        return;
    }
    // The run appends its entries by position (Insert Into PriceListAll Values(...)), so
    // the table's own columns must be the ones it writes, in its order and number.
    for (qsizetype i = 0; i < written.size(); ++i) {
        if (columns[i].compare(written[i], Qt::CaseInsensitive) != 0) {
            findings.Add(QStringLiteral("PriceListAll: column %1 is %2, the run writes %3 there")
                             .arg(i + 1)
                             .arg(columns[i], written[i]));
            return;
        }
    }
    if (columns.size() > written.size()) {
        findings.Add(QStringLiteral("PriceListAll has %1 columns, the run writes %2: column %3 "
                                    "(%4) would get no value")
                         .arg(columns.size())
                         .arg(written.size())
                         .arg(written.size() + 1)
                         .arg(columns[written.size()]));
        return;
    }
    try {
        CheckCollectedTable(st, rs, findings);
    } catch (const Error& e) {
        findings.Add(QStringLiteral("PriceListAll: cannot be read: ") + e.message());
    }
}

} // namespace

QString VerifyPriceList(RunState& st) {
    Findings findings, doubles;
    ListFingerprint fingerprint;
    std::vector<int> chunks;
    try {
        chunks = ChunkNumbers(st, findings);
    } catch (const Error& e) {
        findings.Add(QStringLiteral("PriceList_Count: cannot be read: ") + e.message());
        // A file without the list's table of chunks is no price list at all, unless the
        // file itself could not be read (held by another program, ...).
        if (findings.count == 1) {
            findings.kind = e.kind() == Failure::Unexpected ? Failure::NotAList : e.kind();
            findings.facts =
                e.kind() == Failure::Unexpected
                    ? QStringList{FileInThai(TrimBlanks(st.window.Fields().txtPriceList))}
                    : e.facts();
        }
    }
    const ColumnFit fit(st);
    const Qt::CaseSensitivity cs =
        ComparesWithoutCase(st.Data()) ? Qt::CaseInsensitive : Qt::CaseSensitive;
    for (int n : chunks)
        CheckChunk(st, n, findings, doubles, fingerprint, fit, cs);
    CheckCollectedList(st, findings);
    if (findings.count == 0) {
        for (qsizetype i = 0; i < doubles.shown.size(); ++i)
            st.window.Notice(doubles.shown[i], doubles.thai[i]);
        if (doubles.count > kProblemsShown)
            st.window.Notice(kMoreStart + QString::number(doubles.count - kProblemsShown) +
                                 kMoreEnd,
                             ThaiSentence(NoticeKind::MoreDoublyNamed,
                                          {QString::number(doubles.count - kProblemsShown)}));
        return fingerprint.Text();
    }
    QString detail = QStringLiteral("The price list cannot be used; nothing was written to the "
                                    "shop.\n") +
                     findings.shown.join(u'\n');
    if (findings.count > kProblemsShown)
        detail +=
            QStringLiteral("\n... and %1 more problems.").arg(findings.count - kProblemsShown);
    throw Error(findings.kind, findings.facts, detail);
}

int DoublyNamedIn(const QString& notice) {
    if (notice.endsWith(kWithOtherValues) && notice.contains(kIsNamed))
        return 1;
    if (notice.startsWith(kMoreStart) && notice.endsWith(kMoreEnd)) {
        bool ok = false;
        const int rest =
            QStringView(notice)
                .sliced(kMoreStart.size(), notice.size() - kMoreStart.size() - kMoreEnd.size())
                .toInt(&ok);
        if (ok)
            return rest;
    }
    return 0;
}

} // namespace tolvane

#include "data/recordset.h"

#include "data/connection.h"
#include "data/driver_error.h"
#include "text/error.h"
#include "text/integer_value.h"

#include <QRegularExpression>
#include <QSqlError>
#include <QSqlField>
#include <QSqlRecord>
#include <cmath>
#include <limits>

namespace tolvane {

struct Recordset::WriteTarget {
    QString table;
    QString condition; // empty when the source has no Where
};

Recordset::~Recordset() {
    try {
        Close();
    } catch (...) {
        // Nothing to report from a destructor.
    }
}

void Recordset::Open(const QString& built, Connection& connection, CursorType cursor) {
    const QString source = ForEngine(connection.Dialect(), built);
    if (IsOpen())
        throw Error(QStringLiteral("The recordset is already open."), source);
    if (connection.State() != Connection::adStateOpen)
        throw Error(QStringLiteral("The connection is closed."), source);
    connection.Report(TraceKind::Open, source);
    // The statements held back go out with the query, so the query sees them.
    QSqlQuery query = connection.Query(source);

    source_ = source;
    query_ = std::move(query);
    const QSqlRecord record = query_.record();
    columns_.clear();
    lowerColumns_.clear();
    columnTypes_.clear();
    for (int i = 0; i < record.count(); ++i) {
        columns_ << record.fieldName(i);
        lowerColumns_ << record.fieldName(i).toLower();
        columnTypes_.push_back(record.field(i).metaType());
    }
    rows_.clear();
    current_ = 0;
    exhausted_ = false;
    forwardOnly_ = cursor == adOpenForwardOnly;
    adding_ = false;
    pending_.clear();
    changed_.clear();
    connection_ = &connection;
    connection.Attach(this);
}

void Recordset::Close() {
    if (!IsOpen())
        return;
    query_.finish();
    query_ = QSqlQuery();
    rows_.clear();
    connection_->Detach(this);
    connection_ = nullptr;
    adding_ = false;
}

bool Recordset::FetchOne() const {
    if (exhausted_)
        return false;
    if (!query_.next()) {
        exhausted_ = true;
        if (query_.lastError().isValid())
            throw DriverFailure(query_.lastError(), connection_->Database(), source_);
        query_.finish();
        return false;
    }
    std::vector<QVariant> row;
    row.reserve(static_cast<std::size_t>(columns_.size()));
    for (int i = 0; i < columns_.size(); ++i)
        row.push_back(query_.value(i));
    rows_.push_back(std::move(row));
    return true;
}

void Recordset::ReadRest() {
    while (IsOpen() && FetchOne()) {
    }
}

bool Recordset::Eof() const {
    if (!IsOpen())
        return true;
    while (current_ >= rows_.size()) {
        if (!FetchOne())
            return true;
    }
    return false;
}

std::int32_t Recordset::RecordCount() {
    if (!IsOpen())
        Fail(QStringLiteral("The recordset is closed."));
    if (forwardOnly_)
        Fail(QStringLiteral("A forward-only recordset has no record count."));
    while (FetchOne()) {
    }
    return static_cast<std::int32_t>(rows_.size());
}

void Recordset::MoveNext() {
    if (Eof())
        Fail(QStringLiteral("There is no current row to move from."));
    ++current_;
    if (forwardOnly_) {
        // Rows behind the cursor are never read again.
        rows_.erase(rows_.begin(), rows_.begin() + static_cast<std::ptrdiff_t>(current_));
        current_ = 0;
    }
    adding_ = false;
    pending_.clear();
    changed_.clear();
}

int Recordset::ColumnIndex(const QString& name) const {
    const int index = static_cast<int>(lowerColumns_.indexOf(name.toLower()));
    if (index < 0)
        Fail(QStringLiteral("The recordset has no field %1.").arg(name));
    return index;
}

const std::vector<QVariant>& Recordset::CurrentRow() const {
    if (Eof())
        Fail(QStringLiteral("There is no current row."));
    return rows_[current_];
}

void Recordset::Fail(const QString& message) const {
    throw Error(message, source_);
}

QVariant Recordset::Field(const QString& name) const {
    const int index = ColumnIndex(name);
    return CurrentRow()[static_cast<std::size_t>(index)];
}

int Recordset::FieldIndex(const QString& name) const {
    return ColumnIndex(name);
}

const QVariant& Recordset::FieldAt(int index) const {
    const std::vector<QVariant>& row = CurrentRow();
    if (index < 0 || static_cast<std::size_t>(index) >= row.size())
        Fail(QStringLiteral("The recordset has no field at %1.").arg(index));
    return row[static_cast<std::size_t>(index)];
}

namespace {

bool IsNull(const QVariant& value) {
    return !value.isValid() || value.isNull();
}

// A whole number from a field value, rounding a fraction half to even; false when it
// is not a number.
bool WholeNumber(const QVariant& value, long double* out) {
    if (const std::optional<std::int64_t> whole = IntegerValue(value)) {
        *out = static_cast<long double>(*whole);
        return true;
    }
    if (value.typeId() == QMetaType::Bool) {
        *out = value.toBool() ? -1 : 0; // the databases' yes/no as a number
        return true;
    }
    try {
        const Currency amount = Currency::FromVariant(value);
        const std::int64_t units = amount.units();
        std::int64_t whole = units / Currency::kScale;
        const std::int64_t rest = units % Currency::kScale;
        const std::int64_t half = Currency::kScale / 2;
        if (rest > half || (rest == half && (whole % 2 != 0)))
            ++whole;
        else if (rest < -half || (rest == -half && (whole % 2 != 0)))
            --whole;
        *out = static_cast<long double>(whole);
        return true;
    } catch (const Error&) {
        return false;
    }
}

} // namespace

QString Recordset::Text(const QString& name) const {
    const QVariant value = Field(name);
    if (IsNull(value))
        Fail(QStringLiteral("The field %1 is Null and cannot be read as text.").arg(name));
    QString text = value.toString();
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == u' ')
        ++begin;
    while (end > begin && text[end - 1] == u' ')
        --end;
    return text.mid(begin, end - begin);
}

Currency Recordset::Amount(const QString& name) const {
    const QVariant value = Field(name);
    if (IsNull(value))
        Fail(QStringLiteral("The field %1 is Null and cannot be read as an amount.").arg(name));
    try {
        return Currency::FromVariant(value);
    } catch (const Error& e) {
        Fail(QStringLiteral("The field %1: %2").arg(name, e.message()));
    }
}

std::int64_t Recordset::Whole(const QString& name, std::int64_t low, std::int64_t high,
                              int bits) const {
    const QVariant value = Field(name);
    if (IsNull(value))
        Fail(QStringLiteral("The field %1 is Null and cannot be read as a number.").arg(name));
    long double number = 0;
    if (!WholeNumber(value, &number))
        Fail(QStringLiteral("The field %1 does not hold a number.").arg(name));
    if (number < low || number > high)
        Fail(QStringLiteral("Overflow: the field %1 does not fit a %2-bit integer.")
                 .arg(name)
                 .arg(bits));
    return static_cast<std::int64_t>(number);
}

std::int32_t Recordset::Long(const QString& name) const {
    using Limits = std::numeric_limits<std::int32_t>;
    return static_cast<std::int32_t>(Whole(name, Limits::min(), Limits::max(), 32));
}

std::int16_t Recordset::Integer(const QString& name) const {
    using Limits = std::numeric_limits<std::int16_t>;
    return static_cast<std::int16_t>(Whole(name, Limits::min(), Limits::max(), 16));
}

// ---- writes (the ID counters) ----

Recordset::WriteTarget Recordset::WritableSource() const {
    static const QRegularExpression form(
        QStringLiteral(
            R"(^\s*select\s+.+?\s+from\s+(\w+)(?:\s+where\s+(.+?))?(?:\s+order\s+by\s+.+)?\s*$)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch match = form.match(source_);
    if (!match.hasMatch() || match.captured(1).isEmpty() ||
        source_.contains(QLatin1String(" join "), Qt::CaseInsensitive))
        Fail(QStringLiteral("Only a recordset over one table (Select ... From T Where ...) can be "
                            "written."));
    return {match.captured(1), match.captured(2)};
}

void Recordset::AddNew() {
    if (!IsOpen())
        Fail(QStringLiteral("The recordset is closed."));
    WritableSource();
    adding_ = true;
    pending_.assign(static_cast<std::size_t>(columns_.size()), QVariant());
    changed_.assign(static_cast<std::size_t>(columns_.size()), false);
}

void Recordset::Collect(const QString& name, const QVariant& value) {
    const auto index = static_cast<std::size_t>(ColumnIndex(name));
    if (!adding_) {
        const std::vector<QVariant>& row = CurrentRow();
        if (pending_.size() != static_cast<std::size_t>(columns_.size())) {
            pending_ = row;
            changed_.assign(static_cast<std::size_t>(columns_.size()), false);
        }
    }
    pending_[index] = value;
    changed_[index] = true;
}

namespace {

QString Rendered(const QVariant& value) {
    if (!value.isValid() || value.isNull())
        return QStringLiteral("Null");
    if (value.typeId() == QMetaType::QString)
        return u'\'' + value.toString() + u'\'';
    return value.toString();
}

} // namespace

void Recordset::Write(const QString& statement, const std::vector<QVariant>& values,
                      const QString& description) {
    // The read ends before the write: an engine that keeps a reader's snapshot open
    // (SQLite) would otherwise refuse the write as locked when another writer came in
    // between, instead of the write finding whether the row still holds what was read.
    while (FetchOne()) {
    }
    connection_->Report(TraceKind::Recordset, description);
    connection_->PrepareToWrite(description);
    connection_->Flush();
    connection_->ReadOpenResults();
    QSqlQuery query(connection_->Database());
    query.setForwardOnly(true); // no driver is asked for a static cursor on a write
    if (!query.prepare(statement))
        throw DriverFailure(query.lastError(), connection_->Database(), description);
    for (std::size_t i = 0; i < values.size(); ++i)
        query.bindValue(static_cast<int>(i), values[i]);
    connection_->CountRoundTrip();
    if (!query.exec())
        throw DriverFailure(query.lastError(), connection_->Database(), description);
    if (query.numRowsAffected() == 0)
        throw Error(QStringLiteral("The row was changed or deleted by another user since it was "
                                   "read; nothing was written."),
                    description);
}

// The conditions that find the row only while it still holds every value that was
// read: the source's own condition and each column's value as read.
void Recordset::KeepRow(const WriteTarget& source, const std::vector<QVariant>& row,
                        QStringList& conditions, QStringList& kept,
                        std::vector<QVariant>& values) const {
    if (!source.condition.isEmpty())
        conditions << "(" + source.condition + ")";
    for (std::size_t i = 0; i < static_cast<std::size_t>(columns_.size()); ++i) {
        const QString& column = columns_[static_cast<int>(i)];
        if (IsNull(row[i])) {
            conditions << column + " Is Null";
            kept << column + " Is Null";
        } else {
            conditions << column + " = ?";
            kept << column + " = " + Rendered(row[i]);
            values.push_back(row[i]);
        }
    }
}

void Recordset::Update() {
    if (!IsOpen())
        Fail(QStringLiteral("The recordset is closed."));
    const WriteTarget source = WritableSource();
    if (adding_) {
        QStringList names, marks, shown;
        std::vector<QVariant> values;
        for (std::size_t i = 0; i < static_cast<std::size_t>(columns_.size()); ++i) {
            if (!changed_[i])
                continue;
            names << columns_[static_cast<int>(i)];
            marks << QStringLiteral("?");
            shown << Rendered(pending_[i]);
            values.push_back(pending_[i]);
        }
        const QString statement = "Insert Into " + source.table + " (" + names.join(", ") +
                                  ") Values (" + marks.join(", ") + ")";
        Write(statement, values,
              "AddNew " + source.table + " (" + names.join(", ") + ") = (" + shown.join(", ") +
                  ")");
        adding_ = false;
        pending_.clear();
        changed_.clear();
        return;
    }
    const std::vector<QVariant>& row = CurrentRow();
    if (pending_.size() != static_cast<std::size_t>(columns_.size()))
        return; // nothing collected
    QStringList sets, conditions, shown, kept;
    std::vector<QVariant> values;
    for (std::size_t i = 0; i < static_cast<std::size_t>(columns_.size()); ++i) {
        if (!changed_[i])
            continue;
        sets << columns_[static_cast<int>(i)] + " = ?";
        shown << columns_[static_cast<int>(i)] + " = " + Rendered(pending_[i]);
        values.push_back(pending_[i]);
    }
    KeepRow(source, row, conditions, kept, values);
    const QString statement =
        "Update " + source.table + " Set " + sets.join(", ") +
        (conditions.isEmpty() ? QString() : " Where " + conditions.join(" And "));
    Write(statement, values,
          "Update " + source.table + " Set " + shown.join(", ") + " Where " + kept.join(" And "));
    rows_[current_] = pending_;
    pending_.clear();
    changed_.clear();
}

void Recordset::Delete() {
    const WriteTarget source = WritableSource();
    const std::vector<QVariant>& row = CurrentRow();
    QStringList conditions, kept;
    std::vector<QVariant> values;
    KeepRow(source, row, conditions, kept, values);
    const QString statement =
        "Delete From " + source.table +
        (conditions.isEmpty() ? QString() : " Where " + conditions.join(" And "));
    Write(statement, values, "Delete From " + source.table + " Where " + kept.join(" And "));
}

} // namespace tolvane

#pragma once

#include "text/amount.h"

#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <cstdint>
#include <vector>

namespace tolvane {

class Connection;

// An ADO-style keyset recordset over Qt SQL.
//
// Rows are fetched as the caller moves; RecordCount fetches the rest once, so a
// caller that only looks at the first row pays for one row, and RecordCount is
// exact right after Open. Field names match without regard to case.
//
// The writes (AddNew/Collect/Update, Delete) serve the ID counters: they need a
// source of the form "Select <columns> From <table> [Where <condition>]
// [Order By ...]". Update of a fetched row and Delete apply only when the row
// still holds every value that was read (optimistic locking); when no row is
// touched they raise Error.
class Recordset {
public:
    Recordset() = default;
    ~Recordset();
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    // How the rows are kept: a keyset recordset keeps every row it fetched (exact
    // RecordCount); a forward-only one keeps only the current row, so a reading of a
    // whole table holds one row at a time (no RecordCount).
    enum CursorType { adOpenForwardOnly = 0, adOpenKeyset = 1 };

    // Runs `source` on `connection` (which must outlive the open recordset or close
    // it first). Refused while open.
    void Open(const QString& source, Connection& connection, CursorType cursor = adOpenKeyset);
    // The field names of the result, as the driver reports them.
    const QStringList& Columns() const { return columns_; }
    // The type the driver reports for each field, in the same order.
    const std::vector<QMetaType>& ColumnTypes() const { return columnTypes_; }
    bool IsOpen() const { return connection_ != nullptr; }
    // Harmless when closed.
    void Close();

    bool Eof() const;
    std::int32_t RecordCount();
    // Reads the rows not fetched yet, so the result no longer holds the connection (a
    // forward-only recordset then keeps them all until the caller moves past them).
    void ReadRest();
    void MoveNext();

    // The named field of the current row; an invalid/null QVariant is Null.
    QVariant Field(const QString& name) const;
    // For a caller that reads many rows: the place of the named field in every row of
    // this result (found as Field finds it; Error when there is none), and the field at
    // that place in the current row, valid until the recordset moves or closes.
    int FieldIndex(const QString& name) const;
    const QVariant& FieldAt(int index) const;
    // Converting reads; Null or a value that does not fit raises Error naming the
    // field and the source statement.
    QString Text(const QString& name) const; // trimmed of blanks
    Currency Amount(const QString& name) const;
    std::int32_t Long(const QString& name) const;    // 32-bit, fractions rounded half to even
    std::int16_t Integer(const QString& name) const; // 16-bit, fractions rounded half to even

    void AddNew();
    void Collect(const QString& name, const QVariant& value);
    void Update();
    void Delete();

    const QString& Source() const { return source_; }

private:
    struct WriteTarget; // the parts of a writable source statement

    bool FetchOne() const;
    int ColumnIndex(const QString& name) const;
    const std::vector<QVariant>& CurrentRow() const;
    [[noreturn]] void Fail(const QString& message) const;
    WriteTarget WritableSource() const;
    std::int64_t Whole(const QString& name, std::int64_t low, std::int64_t high, int bits) const;
    void KeepRow(const WriteTarget& source, const std::vector<QVariant>& row,
                 QStringList& conditions, QStringList& kept, std::vector<QVariant>& values) const;
    void Write(const QString& statement, const std::vector<QVariant>& values,
               const QString& description);

    Connection* connection_ = nullptr;
    QString source_;
    mutable QSqlQuery query_;
    QStringList columns_;                             // as the driver reports them
    QStringList lowerColumns_;                        // for matching without regard to case
    std::vector<QMetaType> columnTypes_;
    mutable std::vector<std::vector<QVariant>> rows_; // fetched rows
    std::size_t current_ = 0;
    mutable bool exhausted_ = false;
    bool forwardOnly_ = false;
    bool adding_ = false;
    std::vector<QVariant> pending_; // values collected for AddNew/Update
    std::vector<bool> changed_;
};

} // namespace tolvane

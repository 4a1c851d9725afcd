#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <vector>

// Plain access to a database file or server for the shop builders, the sample
// generator and the tests, through Qt SQL directly (not through the program's data
// layer), so what they build and read is an independent view of the data.
namespace tolvane::shop {

using Row = std::vector<QVariant>;

// An ODBC connection text (driver=...;server=...;...), for Db's ODBC constructor.
struct OdbcText {
    QString text;
};

// A database opened for reads and writes outside the program: a SQLite file, or any
// database an ODBC connection text reaches (QODBC). Owns its Qt connection.
class Db {
public:
    explicit Db(const QString& path);
    explicit Db(const OdbcText& odbc);
    ~Db();
    Db(const Db&) = delete;
    Db& operator=(const Db&) = delete;

    // Runs a statement; throws std::runtime_error (with the driver message) on error.
    void Exec(const QString& sql);
    // Runs an insert with bound values; an unset (null) QString goes in as ''.
    void Insert(const QString& table, const Row& values);
    // All rows of a query, each value as the driver gives it.
    std::vector<Row> Query(const QString& sql);
    // The first column of the first row; an invalid QVariant when there is none.
    QVariant Scalar(const QString& sql);
    int Count(const QString& table, const QString& where = QString());
    QStringList Columns(const QString& table);
    QSqlDatabase& database() { return db_; }

private:
    QString name_;
    QSqlDatabase db_;
};

// Runs a statement on an open database; throws std::runtime_error (with the driver
// message and the statement) on error.
void ExecOn(QSqlDatabase& db, const QString& sql);

} // namespace tolvane::shop

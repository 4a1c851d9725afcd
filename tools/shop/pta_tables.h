#pragma once

#include <QString>
#include <QStringList>

// The brand's part table Pta<B> as the shop databases of each version have it.
namespace tolvane::shop {

// The database engine a shop is built for. Both give the same tables, columns and
// column positions; they differ in the column types (PostgreSQL: amounts
// numeric(19,4), yes/no columns boolean). PostgreSQL folds unquoted names to lower case.
// SqlServer: PostgreSQL standing for SQL Server, whose yes/no columns are bit: they
// take 1 and 0 and refuse True and False (smallint there).
enum class Flavour { SQLite, PostgreSQL, SqlServer };

// The Pta column names of a version, in table order.
QStringList PtaColumns(const QString& version);
// "Name TYPE, Name TYPE, ..." for CREATE TABLE.
QString PtaColumnDefinitions(const QString& version, Flavour flavour);
// The declared type of each column in the same order: TEXT, AMOUNT, INTEGER or BOOLEAN.
QStringList PtaColumnKinds(const QString& version);

} // namespace tolvane::shop

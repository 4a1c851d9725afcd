#include "server_shop.h"

#include "sample/sample_shop.h"
#include "shop/db.h"
#include "shop/shop_tables.h"

#include <QHash>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>
#include <QThread>
#include <stdexcept>

namespace tolvane::bench {

namespace {

// Rows per INSERT: one statement carries many rows, so the load takes seconds.
constexpr int kRowsPerInsert = 500;
// A connection that has just ended leaves the server's list within milliseconds.
constexpr int kQuietMs = 5000;

[[noreturn]] void Fail(const QString& what) {
    throw std::runtime_error(what.toStdString());
}

// A value of the file as a literal for a column of PostgreSQL type `type`
// (information_schema's data_type). SQLite keeps yes/no as 0 and 1 and amounts as
// numbers; PostgreSQL wants booleans and takes numbers as they are.
QString Literal(const QVariant& value, const QString& type, const QString& where) {
    if (!value.isValid() || value.isNull())
        return QStringLiteral("NULL");
    if (type == QLatin1String("boolean"))
        return value.toLongLong() != 0 ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    if (type == QLatin1String("text")) {
        QString text = value.toString();
        text.replace(u'\'', QLatin1String("''"));
        return u'\'' + text + u'\'';
    }
    if (value.typeId() == QMetaType::Double)
        return QString::number(value.toDouble(), 'g', 17);
    bool number = false;
    value.toString().toDouble(&number);
    if (!number)
        Fail(QStringLiteral("%1: not a number: %2").arg(where, value.toString()));
    return value.toString();
}

} // namespace

std::int64_t LoadShopIntoServer(const QString& shopFile, const QString& odbcText) {
    shop::Db file(shopFile);
    shop::Db server(shop::OdbcText{odbcText});
    QSqlDatabase& db = server.database();
    const QString version = file.Scalar(QStringLiteral("Select Ver From System")).toString();
    if (!db.transaction())
        Fail(QStringLiteral("cannot begin a transaction on the server"));
    shop::CreateTargetOn(db, version, sample::kBrandID, QString::fromLatin1(sample::kBrand),
                         shop::Flavour::PostgreSQL);

    // Every column's type, by lower-case table and column name.
    QHash<QString, QString> types;
    for (const shop::Row& r : server.Query(QStringLiteral(
             "Select table_name, column_name, data_type From information_schema.columns "
             "Where table_schema = 'public'")))
        types.insert(r[0].toString() + u'.' + r[1].toString(), r[2].toString());

    QStringList tables;
    for (const shop::Row& r : file.Query(QStringLiteral(
             "Select name From sqlite_master Where type = 'table' And name Not Like 'sqlite_%'")))
        tables << r[0].toString();
    std::int64_t copied = 0;
    for (const QString& table : tables) {
        // The file's rows replace the ones the table builder writes (System, Brand).
        shop::ExecOn(db, "Delete From " + table);
        const QStringList columns = file.Columns(table);
        QStringList columnTypes;
        for (const QString& column : columns) {
            const QString key = table.toLower() + u'.' + column.toLower();
            if (!types.contains(key))
                Fail(QStringLiteral("the server's shop has no column %1").arg(key));
            columnTypes << types.value(key);
        }
        const QString head =
            "Insert Into " + table + " (" + columns.join(QStringLiteral(", ")) + ") Values ";
        QStringList rows;
        auto flush = [&] {
            if (!rows.isEmpty())
                shop::ExecOn(db, head + rows.join(QStringLiteral(", ")));
            rows.clear();
        };
        QSqlQuery read(file.database());
        read.setForwardOnly(true);
        if (!read.exec("Select * From " + table))
            Fail("cannot read " + table + " from " + shopFile);
        while (read.next()) {
            QStringList values;
            for (int i = 0; i < columns.size(); ++i)
                values << Literal(read.value(i), columnTypes[i], table + u'.' + columns[i]);
            rows << u'(' + values.join(QStringLiteral(", ")) + u')';
            ++copied;
            if (rows.size() == kRowsPerInsert)
                flush();
        }
        flush();
    }
    for (const QString& index : sample::ShopIndexes(version))
        shop::ExecOn(db, index);
    if (!db.commit())
        Fail(QStringLiteral("cannot commit the shop's rows on the server"));
    server.Exec(QStringLiteral("ANALYZE"));

    for (const QString& table : tables) {
        const int want = file.Count(table), have = server.Count(table);
        if (want != have)
            Fail(QStringLiteral("%1: %2 rows on the server, %3 in %4")
                     .arg(table)
                     .arg(have)
                     .arg(want)
                     .arg(shopFile));
    }
    return copied;
}

namespace {

// The server's own database, where databases are created and dropped from.
shop::OdbcText Admin(const shop::PgServer& server) {
    return {server.ConnectionText(server.database)};
}

} // namespace

void CloseForCopying(const shop::PgServer& server, const QString& database) {
    shop::Db admin(Admin(server));
    admin.Exec("ALTER DATABASE " + database + " ALLOW_CONNECTIONS false");
    const QString on = "From pg_stat_activity Where datname = '" + database + "'";
    for (int waited = 0; admin.Scalar("Select count(*) " + on).toInt() > 0; waited += 50) {
        if (waited >= kQuietMs) {
            QStringList who;
            for (const shop::Row& r :
                 admin.Query("Select pid, usename, application_name, state " + on))
                who << QStringLiteral("%1 (%2, %3, %4)")
                           .arg(r[0].toString(), r[1].toString(), r[2].toString(), r[3].toString());
            Fail(QStringLiteral("%1 cannot be copied: still connected after %2 s: %3")
                     .arg(database)
                     .arg(kQuietMs / 1000)
                     .arg(who.join(QStringLiteral(", "))));
        }
        QThread::msleep(50);
    }
}

ServerDatabaseCopy::ServerDatabaseCopy(const shop::PgServer& server, const QString& source,
                                       QString name)
    : server_(server), name_(std::move(name)) {
    shop::Db admin(Admin(server_));
    admin.Exec("CREATE DATABASE " + name_ + " TEMPLATE " + source);
}

ServerDatabaseCopy::~ServerDatabaseCopy() {
    try {
        shop::Db admin(Admin(server_));
        admin.Exec("DROP DATABASE IF EXISTS " + name_ + " WITH (FORCE)");
    } catch (...) {
        // A database left behind goes with the server's throw-away data folder.
    }
}

} // namespace tolvane::bench

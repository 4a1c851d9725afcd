#pragma once

#include "data/open_connection.h"
#include "data/run_state.h"
#include "shop/db.h"
#include "shop/shop_tables.h"
#include "support/qt_print.h"
#include "support/recording_window.h"
#include "support/rows.h"

#include <QDate>
#include <QMap>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace tolvane::testing {

// A staged PriceList row of brand 7.
struct Staged {
    QString Kind, PartNO, lKind, lAtNO, AKind, AltNO;
    QString EName = "FILTER", TName = "ไส้กรอง", Model = "KT-1", Import = "1";
    QVariant Price = "150.25", Sale = "135";
};

// The shop database of one version (brand 7, TATA) in a folder of its own, and a run
// state whose target connection is open on it, as the Update command leaves it.
class InsertFixture {
public:
    explicit InsertFixture(const QString& version, DataHooks hooks = {}) : st(window, hooks) {
        path = dir.filePath("Velmora.accdb");
        shop::CreateTarget(path, version, 7, "TATA");
        window.fields.optAccess = true;
        window.fields.txtDataVelmora = path;
        st.strVer = version;
        st.lngBrandID = 7;
        st.strBrand = "TATA";
        st.today = [] { return QDate(2026, 12, 5); };
        OpenConnection(st);
    }

    void Exec(const QString& sql) {
        shop::Db db(path);
        db.Exec(sql);
    }
    std::vector<shop::Row> Query(const QString& sql) {
        shop::Db db(path);
        return db.Query(sql);
    }
    int Count(const QString& table, const QString& where = QString()) {
        shop::Db db(path);
        return db.Count(table, where);
    }
    QString Scalar(const QString& sql) {
        shop::Db db(path);
        return db.Scalar(sql).toString();
    }

    void Stage(const Staged& r) {
        shop::Db db(path);
        db.Insert("PriceList", {7, r.PartNO, r.Kind, r.lAtNO, r.lKind, r.AltNO, r.AKind, r.EName,
                                r.TName, r.Model, r.Import, r.Price, r.Sale});
    }
    void SetCounter(const QString& name, qint64 last) {
        shop::Db db(path);
        db.Exec("Delete From LastID Where NameID = '" + name + "'");
        db.Insert("LastID", {name, last});
    }
    QString Counter(const QString& name = "Pta7") {
        return Scalar("Select LastID From LastID Where NameID = '" + name + "'");
    }
    void Seed(const shop::Part& part) { shop::SeedPart(path, st.strVer, 7, part, false); }

    // Every column of the part row, by the table's column names, as text.
    QMap<QString, QString> PtaRow(int partId) {
        const QStringList columns = shop::PtaColumns(st.strVer);
        const auto rows = Query("Select " + columns.join(", ") +
                                " From Pta7 Where PartID = " + QString::number(partId));
        QMap<QString, QString> row;
        if (rows.size() != 1) {
            ADD_FAILURE() << "part " << partId << " found " << rows.size() << " times";
            return row;
        }
        for (int i = 0; i < columns.size(); ++i)
            row[columns[i]] = rows[0][static_cast<std::size_t>(i)].toString();
        return row;
    }
    // Every row of a query, each value as text and the values joined by "|".
    QStringList Lines(const QString& sql) {
        shop::Db db(path);
        return RowTexts(db, sql);
    }

    QTemporaryDir dir;
    QString path;
    RecordingWindow window;
    RunState st;
};

} // namespace tolvane::testing

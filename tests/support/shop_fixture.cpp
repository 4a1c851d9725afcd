#include "support/shop_fixture.h"

#include "data/open_connection.h"
#include "data/version_brand.h"
#include "runner/batch_run.h"

#include <QDate>
#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include <stdexcept>

namespace tolvane::testing {

QStringList Rows(shop::Db& db, const QString& sql) {
    QStringList out;
    for (const shop::Row& row : db.Query(sql)) {
        QStringList cells;
        for (const QVariant& v : row)
            cells << v.toString();
        out << cells.join('|');
    }
    return out;
}

Result Runner(QStringList args, bool live, const QProcessEnvironment& env) {
    args.prepend("tolvane-batch");
    QString out, err;
    QTextStream outStream(&out), errStream(&err);
    const int status = batch::RunBatch(args, outStream, errStream, live, env);
    return {status, out, err};
}

QStringList Lines(const QString& path) {
    QString text = QString::fromUtf8(ReadFile(path));
    EXPECT_TRUE(text.isEmpty() || text.endsWith('\n'));
    text.chop(1);
    return text.isEmpty() ? QStringList() : text.split('\n');
}

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size()) << path.toStdString();
}

ShopFixture::ShopFixture(const QString& version, const QString& brandName) : version(version) {
    if (!dir.isValid())
        throw std::runtime_error("no temporary folder");
    listPath = dir.filePath(QStringLiteral("PriceList_TATA.mdb"));
    shopPath = dir.filePath(QStringLiteral("Velmora.accdb"));
    shop::CreateSource(listPath);
    shop::CreateTarget(shopPath, version, kBrand, brandName);
    SetCounter(QStringLiteral("Pta7"), 1000);
    window.fields.txtPriceList = listPath;
    window.fields.txtDataVelmora = shopPath;
    window.fields.optAccess = true;
}

ShopFixture::~ShopFixture() {
    if (!state)
        return;
    state->rsList.Close();
    state->rsData.Close();
    state->rsWork.Close();
    if (state->cnPriceList)
        state->cnPriceList->Close();
    state->DiscardData();
}

void ShopFixture::SmallRun() {
    Chunk(1, {ListRow("A", "100", "150", "140"), ListRow("", "NEW-1", "80", "70")});
    Chunk(2, {ListRow("A", "100", "155", "140")});
    Seed(ShopPart(1, "A", "100", "1", "1"));
}

void ShopFixture::Stage(const Staged& r) {
    shop::Db db(shopPath);
    db.Insert("PriceList", {kBrand, r.PartNO, r.Kind, r.lAtNO, r.lKind, r.AltNO, r.AKind, r.EName,
                            r.TName, r.Model, r.Import, r.Price, r.Sale});
}

void ShopFixture::SetCounter(const QString& name, qint64 last) {
    shop::Db db(shopPath);
    db.Exec("Delete From LastID Where NameID = '" + name + "'");
    db.Insert("LastID", {name, last});
}

RunState& ShopFixture::OpenTarget() {
    if (state)
        state->DiscardData();
    state = std::make_unique<RunState>(window, DataHooks{&trace, &faults});
    state->lngBrandID = kBrand;
    state->strVer = version;
    state->today = [] { return QDate(2026, 12, 5); };
    OpenConnection(*state);
    return *state;
}

RunState& ShopFixture::OpenBoth() {
    RunState& s = OpenTarget();
    s.strVer.clear();
    s.lngBrandID = 0;
    OpenPriceListConnection(s);
    EXPECT_EQ(GetDBVersion(s), 1);
    GetBrandID(s);
    EXPECT_EQ(s.lngBrandID, kBrand);
    window.progress.clear();
    window.yields = 0;
    trace.lines.clear();
    return s;
}

QStringList ShopFixture::Lines(const QString& sql) {
    shop::Db db(shopPath);
    return Rows(db, sql);
}

QStringList ShopFixture::ListLines(const QString& sql) {
    shop::Db db(listPath);
    return Rows(db, sql);
}

int ShopFixture::Count(const QString& table, const QString& where) {
    shop::Db db(table == QLatin1String("PriceListAll") ? listPath : shopPath);
    return db.Count(table, where);
}

QString ShopFixture::Links(const QString& table) {
    const QString other = table.startsWith(QLatin1String("AltG")) ? "AltID" : "FacID";
    return Lines(QStringLiteral("Select PartID || '>' || %1 From %2 Order By PartID, %1")
                     .arg(other, table))
        .join(' ');
}

QString ShopFixture::Prices(const QStringList& partNOs) {
    const bool price1 = shop::PtaColumns(version).contains(QStringLiteral("Price1"));
    QStringList out;
    for (const QString& partNO : partNOs)
        out << Lines(QStringLiteral("Select %1 From Pta7 Where PartNO = '%2' Order By PartID")
                         .arg(price1 ? "Price1 || '/' || Sale1" : "Price || '/' || Sale", partNO))
                   .join(',');
    return out.join(' ');
}

QStringList ShopFixture::Statements() const {
    static const QRegularExpression statement(QStringLiteral("^target\t(execute|open)\t"));
    QStringList statements;
    for (const QString& line : trace.lines.filter(statement))
        statements << line.section('\t', 2);
    return statements;
}

shop::PriceRow ListRow(const QString& kind, const QString& partNO, const QString& price,
                       const QString& sale, const QString& tname, const QString& model) {
    shop::PriceRow r;
    for (QString* text : {&r.lKind, &r.lAtNO, &r.AKind, &r.AltNO, &r.PartNew, &r.FPartNew})
        *text = QStringLiteral("");
    r.Kind = kind;
    r.PartNO = partNO;
    r.EName = "E-" + partNO;
    r.TName = tname;
    r.Model = model;
    r.Import = "1";
    r.Price = price;
    r.Sale = sale;
    return r;
}

shop::PriceRow Linked(shop::PriceRow row, const QString& lAtNO, const QString& altNO) {
    row.lAtNO = lAtNO;
    row.AltNO = altNO;
    return row;
}

shop::Part ShopPart(int id, const QString& kind, const QString& partNO, const QString& price,
                    const QString& sale, const QString& name) {
    shop::Part p;
    p.PartID = id;
    p.Kind = kind;
    p.PartNO = partNO;
    p.FPartNO = QString(partNO).remove(' ').remove('/').remove('-');
    p.EName = p.TName = name;
    p.Model = "OLD";
    p.Import = p.lKind = p.lAtNO = QStringLiteral("");
    p.Price = price;
    p.Sale = sale;
    return p;
}

} // namespace tolvane::testing

#include "sample/sample_generate.h"

namespace tolvane::testing {

QStringList AllRows(const QString& path) {
    shop::Db db(path);
    QStringList rows;
    for (const shop::Row& table : db.Query("Select name From sqlite_master Where type = 'table'")) {
        const QString name = table[0].toString();
        for (const QString& row : Rows(db, "Select * From \"" + name + "\""))
            rows << name + '\t' + row;
    }
    rows.sort();
    return rows;
}

QString Dump(const QString& path, QStringList tables) {
    shop::Db db(path);
    const char* all = "Select name From sqlite_master Where type = 'table' Order By name";
    for (const shop::Row& t : tables.isEmpty() ? db.Query(all) : std::vector<shop::Row>())
        tables << t[0].toString();
    QString out;
    for (const QString& table : tables) {
        out += "== " + table + '\n';
        for (const shop::Row& row : db.Query("Select * From \"" + table + "\" Order By rowid")) {
            for (const QVariant& v : row)
                out += (v.isNull() ? "Null" : QString(v.typeName()) + ':' + v.toString()) + '|';
            out += '\n';
        }
    }
    return out;
}

std::pair<QString, QString> SampleFiles(const QString& dir, int parts, int rows, int chunk) {
    const sample::Summary s = sample::Generate(
        {.outDir = dir, .parts = parts, .rows = rows, .chunk = chunk, .movement = parts * 2});
    return {s.shopPath, s.listPath};
}

} // namespace tolvane::testing

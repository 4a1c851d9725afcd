#pragma once

#include "data/run_state.h"
#include "shop/db.h"
#include "shop/price_list_file.h"
#include "shop/shop_tables.h"
#include "support/qt_print.h"
#include "support/recording_window.h"
#include "support/sqlite_file.h"

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace tolvane::testing {

constexpr int kBrand = 7;

// A row staged in PriceList for brand 7 (numbers before kinds, as the table has them).
struct Staged {
    Staged(const QString& kind, const QString& number, const QString& lkind = "",
           const QString& latno = "", const QString& akind = "", const QString& altno = "")
        : Kind(kind), PartNO(number), lKind(lkind), lAtNO(latno), AKind(akind), AltNO(altno) {}
    QString Kind, PartNO, lKind, lAtNO, AKind, AltNO;
    QString EName = "FILTER", TName = "ไส้กรอง", Model = "KT-1", Import = "1";
    QVariant Price = "150.25", Sale = "135";
};

// What the headless runner printed and returned.
struct Result {
    int status;
    QString out, err;
};

// Every row of a query, values as text joined by "|".
QStringList Rows(shop::Db& db, const QString& sql);

// The headless runner in this process, standard output and error caught.
Result Runner(QStringList args, bool live = false, const QProcessEnvironment& env = {});

// The lines of a file the runner wrote, each ended by a newline.
QStringList Lines(const QString& path);

// A whole file's bytes (a failure when it cannot be read), and a file made of `bytes`.
QByteArray ReadFile(const QString& path);
void WriteFile(const QString& path, const QByteArray& bytes);

// A run on real SQLite files in a temporary folder: the price list (no chunks yet) and the
// shop of `version` (brand TATA = 7, part counter at 1000), a window naming them, and a run
// state reporting to `trace` and `faults`.
class ShopFixture {
public:
    explicit ShopFixture(const QString& version = QStringLiteral("V.31"),
                         const QString& brandName = QStringLiteral("TATA"));
    ~ShopFixture();

    const QString version;
    QTemporaryDir dir;
    QString listPath, shopPath;
    RecordingWindow window;
    TraceLog trace;
    FaultPlan faults;
    std::unique_ptr<RunState> state;

    RunState& st() { return *state; }

    void Chunk(int n, const std::vector<shop::PriceRow>& rows) {
        shop::AddChunk(listPath, n, rows);
    }
    // Chunk 1 reprices A-100 and names a new part, chunk 2 lists A-100 at another price:
    // one line collected and left in the grid.
    void SmallRun();
    void Seed(const shop::Part& part, bool withCopies = true) {
        shop::SeedPart(shopPath, version, kBrand, part, withCopies);
    }
    void Stage(const Staged& row);
    void SetCounter(const QString& name, qint64 last);
    void Exec(const QString& sql) { shop::Db(shopPath).Exec(sql); } // on the shop file

    // A new run state: target open, brand 7, the version, the date 5 December 2026.
    RunState& OpenTarget();
    // And the price list open, version and brand read from the shop; progress and trace empty.
    RunState& OpenBoth();

    // Every row of a query as "a|b|c"; ListLines on the price list.
    QStringList Lines(const QString& sql);
    QStringList ListLines(const QString& sql);
    // Rows of a table: PriceListAll in the price list, any other in the shop.
    int Count(const QString& table, const QString& where = QString());
    QString Scalar(const QString& sql) { return shop::Db(shopPath).Scalar(sql).toString(); }
    QString Counter(const QString& name = QStringLiteral("Pta7")) {
        return Scalar("Select LastID From LastID Where NameID = '" + name + "'");
    }
    // The rows of AltG7 or FacD7 as "PartID>AltID" (or FacID), blank-separated.
    QString Links(const QString& table = QStringLiteral("AltG7"));
    // "<price>/<sale>" of the rows with each number (the version's price columns).
    QString Prices(const QStringList& partNOs);
    // The statements (execute and open) sent to the shop, in order.
    QStringList Statements() const;

    // The runner on the two files with further options.
    Result Run(const QStringList& options = {}) {
        return Runner(QStringList{"--price-list", listPath, "--data", shopPath} + options);
    }
};

// A price-list row; texts the test leaves are empty, not Null (which the stages report).
shop::PriceRow ListRow(const QString& kind, const QString& partNO, const QString& price,
                       const QString& sale, const QString& tname = "NAME",
                       const QString& model = "MODEL");
// The row naming a linked and an alternate number.
shop::PriceRow Linked(shop::PriceRow row, const QString& lAtNO, const QString& altNO = "");

// A shop part with its number, kind and prices; its texts read `name`.
shop::Part ShopPart(int id, const QString& kind, const QString& partNO, const QString& price,
                    const QString& sale, const QString& name = "OLD");

// Every row of every table of a SQLite file as "<table>\t<cells>", sorted.
QStringList AllRows(const QString& path);

// The rows of the named tables (else all) in stored order, each value with its type.
QString Dump(const QString& path, QStringList tables = {});

// {shop file, list file} from the sample generator in `dir`.
std::pair<QString, QString> SampleFiles(const QString& dir, int parts, int rows, int chunk);

} // namespace tolvane::testing

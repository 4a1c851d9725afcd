// tolvane-sample: writes a sample shop database and a TATA price list to try the
// program on (and to measure it with).

#include "sample/sample_generate.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>
#include <exception>

namespace {

using tolvane::sample::Options;

// Reads the options; returns an error text, or an empty text when all are good.
QString ReadOptions(const QCommandLineParser& parser, Options& o) {
    QString error;
    auto number = [&](const char* name, int& into) {
        if (!parser.isSet(name))
            return;
        bool ok = false;
        into = parser.value(name).toInt(&ok);
        if (!ok)
            error = QStringLiteral("--%1 needs a whole number").arg(name);
    };
    auto share = [&](const char* name, double& into) {
        if (!parser.isSet(name))
            return;
        bool ok = false;
        into = parser.value(name).toDouble(&ok);
        if (!ok)
            error = QStringLiteral("--%1 needs a number between 0 and 1").arg(name);
    };
    if (parser.isSet("out"))
        o.outDir = parser.value("out");
    if (parser.isSet("version"))
        o.version = parser.value("version");
    number("parts", o.parts);
    number("rows", o.rows);
    number("chunk", o.chunk);
    number("movement", o.movement);
    share("new-share", o.newShare);
    share("link-share", o.linkShare);
    if (parser.isSet("seed")) {
        bool ok = false;
        o.seed = parser.value("seed").toUInt(&ok);
        if (!ok)
            error = QStringLiteral("--seed needs a whole number from 0 to 4294967295");
    }
    return error.isEmpty() ? tolvane::sample::CheckOptions(o) : error;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tolvane-sample"));
    const Options d;
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Writes a sample shop database (Velmora.accdb) and a TATA price list "
                       "(PriceList_TATA.mdb), both SQLite files, into a folder."));
    parser.addHelpOption();
    parser.addOptions({
        {"out", "Folder to write into (created when missing).", "dir", d.outDir},
        {"version", "Database version of the shop (System.Ver).", "ver", d.version},
        {"parts", "Parts the shop holds.", "n", QString::number(d.parts)},
        {"rows", "Price-list rows.", "n", QString::number(d.rows)},
        {"chunk", "Rows per price-list chunk.", "n", QString::number(d.chunk)},
        {"new-share", "Share of rows for parts the shop lacks (0..1).", "f",
         QString::number(d.newShare)},
        {"link-share", "Share of rows naming linked or alternate numbers (0..1).", "f",
         QString::number(d.linkShare)},
        {"movement", "MovementStock rows.", "n", QString::number(d.movement)},
        {"seed", "Seed of the random draws; the same options give the same files.", "n",
         QString::number(d.seed)},
    });
    parser.process(app);

    QTextStream err(stderr);
    if (!parser.positionalArguments().isEmpty()) {
        err << "tolvane-sample: unexpected argument " << parser.positionalArguments().first()
            << "\n";
        return 2;
    }
    Options options;
    const QString problem = ReadOptions(parser, options);
    if (!problem.isEmpty()) {
        err << "tolvane-sample: " << problem << "\n";
        return 2;
    }
    try {
        const auto summary = tolvane::sample::Generate(options);
        QTextStream(stdout) << summary.Line() << "\n";
    } catch (const std::exception& e) {
        err << "tolvane-sample: " << e.what() << "\n";
        return 1;
    }
    return 0;
}

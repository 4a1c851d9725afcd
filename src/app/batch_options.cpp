#include "app/batch_options.h"

#include "app/form_defaults.h"

#include <QCommandLineParser>

namespace tolvane::batch {

namespace {

struct ValueOption {
    const char* name;
    const char* valueName;
    QString FormFields::*field;
};

const ValueOption kFieldOptions[] = {
    {"price-list", "path", &FormFields::txtPriceList},
    {"data", "path", &FormFields::txtDataVelmora},
    {"server", "name", &FormFields::txtServer},
    {"database", "name", &FormFields::txtdbq},
    {"user", "name", &FormFields::txtuid},
    {"password", "text", &FormFields::txtpwd},
};

} // namespace

QString BatchUsage() {
    return QStringLiteral(
        "Usage: tolvane-batch [options]\n"
        "Runs the Update command of the Tolvane window without a window.\n"
        "\n"
        "  --price-list PATH        the supplier's price-list file (txtPriceList)\n"
        "  --data PATH              the shop's Access file (txtDataVelmora)\n"
        "  --sql                    the shop database is on SQL Server (optSQL)\n"
        "  --server NAME            SQL Server name (txtServer)\n"
        "  --database NAME          SQL Server database (txtdbq)\n"
        "  --user NAME              SQL Server login (txtuid)\n"
        "  --password TEXT          SQL Server password (txtpwd)\n"
        "  --client                 this machine is not the server machine (chkComType off)\n"
        "  --rebuild-alternates     rebuild the alternate index at the end (chkLikelAt)\n"
        "  --trace-sql FILE         every database event, one line each\n"
        "  --trace-progress FILE    every progress assignment, one line each\n"
        "  --grid FILE              the detail grid after the run\n"
        "  -h, --help               this text\n"
        "\n"
        "Standard output: one line per message, \"<style><TAB><text>\".\n"
        "Exit status: 0 finished, 1 ended by any other message, 2 bad options.\n");
}

bool ParseBatchOptions(const QStringList& args, BatchOptions& options, QString& error) {
    options.fields = form::DefaultFields(form::kBrand);

    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const ValueOption& o : kFieldOptions)
        parser.addOption({QLatin1String(o.name), QString(), QLatin1String(o.valueName)});
    const QCommandLineOption sql(QStringLiteral("sql"));
    const QCommandLineOption client(QStringLiteral("client"));
    const QCommandLineOption rebuild(QStringLiteral("rebuild-alternates"));
    const QCommandLineOption traceSql(QStringLiteral("trace-sql"), QString(), "file");
    const QCommandLineOption traceProgress(QStringLiteral("trace-progress"), QString(), "file");
    const QCommandLineOption grid(QStringLiteral("grid"), QString(), "file");
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    parser.addOptions({sql, client, rebuild, traceSql, traceProgress, grid, help});

    if (!parser.parse(args)) {
        error = parser.errorText();
        return false;
    }
    if (!parser.positionalArguments().isEmpty()) {
        error = QStringLiteral("Unexpected argument: ") + parser.positionalArguments().first();
        return false;
    }
    options.help = parser.isSet(help);
    for (const ValueOption& o : kFieldOptions) {
        if (parser.isSet(QLatin1String(o.name)))
            options.fields.*o.field = parser.value(QLatin1String(o.name));
    }
    options.fields.optAccess = !parser.isSet(sql);
    options.fields.chkComType = !parser.isSet(client);
    options.fields.chkLikelAt = parser.isSet(rebuild);
    options.traceSql = parser.value(traceSql);
    options.traceProgress = parser.value(traceProgress);
    options.grid = parser.value(grid);
    for (const QCommandLineOption* file : {&traceSql, &traceProgress, &grid}) {
        if (parser.isSet(*file) && parser.value(*file).isEmpty()) {
            error = "--" + file->names().first() + QStringLiteral(" needs a file name");
            return false;
        }
    }
    return true;
}

} // namespace tolvane::batch

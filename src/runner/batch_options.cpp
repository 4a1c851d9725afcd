#include "runner/batch_options.h"

#include "command/form_defaults.h"

#include <QCommandLineParser>
#include <QFile>
#include <QStringDecoder>
#include <optional>

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

struct FileOption {
    const char* name;
    QString BatchOptions::*value;
};

// Options naming a file or folder the runner writes; an empty name is refused.
const FileOption kFileOptions[] = {
    {"trace-sql", &BatchOptions::traceSql}, {"trace-progress", &BatchOptions::traceProgress},
    {"grid", &BatchOptions::grid},          {"report", &BatchOptions::report},
    {"changes", &BatchOptions::changes},    {"backup", &BatchOptions::backup},
};

const QString kPasswordVariable = QStringLiteral("TOLVANE_PASSWORD");

// Whether `text` decoded whole: Qt's decoders let lone surrogates by and put a
// replacement character for a cut-off last character without always telling.
bool Whole(const QString& text) {
    if (text.contains(QChar::ReplacementCharacter))
        return false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (text[i].isSurrogate())
            return false;
    }
    return true;
}

// The text of a password file: UTF-16 or UTF-32 after its byte-order mark (Windows
// tools write UTF-16 so), else UTF-8; empty with `error` set for bytes that are no text
// in that encoding, or NUL bytes without a mark (UTF-16 that lost its mark).
QString PasswordFileText(const QString& path, const QByteArray& bytes, QString& error) {
    const std::optional<QStringConverter::Encoding> marked =
        QStringConverter::encodingForData(bytes);
    const QStringConverter::Encoding encoding = marked.value_or(QStringConverter::Utf8);
    QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless);
    const QString text = decoder(bytes);
    const QString name = QString::fromLatin1(QStringConverter::nameForEncoding(encoding));
    if (!marked && bytes.contains('\0'))
        error = "--password-file " + path +
                ": the file holds NUL bytes, as UTF-16 text without its byte-order mark does";
    else if (decoder.hasError() || !Whole(text))
        error = "--password-file " + path + ": the file is not " + name + " text" +
                (marked ? QStringLiteral(" though it starts with that encoding's byte-order mark")
                        : QString());
    else
        return text;
    error += "; save it as UTF-8, or as UTF-16 with a byte-order mark";
    return QString();
}

// The first line of the password file, without its line end.
bool ReadPasswordFile(const QString& path, BatchOptions& options, QString& error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = "--password-file " + path + ": " + file.errorString();
        return false;
    }
    const QString text = PasswordFileText(path, file.readAll(), error);
    if (!error.isEmpty())
        return false;
    QString line = text.section(u'\n', 0, 0);
    while (line.endsWith(u'\r'))
        line.chop(1);
    options.fields.txtpwd = line;
    if (file.permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther))
        options.warnings << "warning: other users of this machine can read the password file " +
                                path + "; let only its owner read it (chmod 600 " + path + ")";
    return true;
}

// Which options may not be combined, and why.
QString Conflict(const QCommandLineParser& parser, const BatchOptions& options) {
    if (parser.isSet(QStringLiteral("password")) && parser.isSet(QStringLiteral("password-file")))
        return QStringLiteral("--password and --password-file name the password twice");
    if (options.testRun && !options.fields.optAccess)
        return QStringLiteral("--test-run needs a shop file it can copy; a SQL Server shop "
                              "cannot be run on a copy");
    if (!options.backup.isEmpty() && !options.fields.optAccess)
        return QStringLiteral("--backup copies a shop file; a SQL Server shop's backups belong "
                              "to the server (use its own backup)");
    if (options.testRun && !options.backup.isEmpty())
        return QStringLiteral("--test-run changes nothing, so --backup has nothing to guard");
    return QString();
}

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
        "  --password-file FILE     SQL Server password: the first line of FILE\n"
        "  --password TEXT          SQL Server password (txtpwd); every user of the machine\n"
        "                           can read a command line, so for scheduled runs prefer\n"
        "                           --password-file or the variable TOLVANE_PASSWORD\n"
        "  --client                 this machine is not the server machine (chkComType off)\n"
        "  --rebuild-alternates     rebuild the alternate index at the end (chkLikelAt)\n"
        "  --report FILE            a price-change report of the run (HTML page)\n"
        "  --changes FILE           the parts whose price changed (CSV)\n"
        "  --check-share PERCENT    the report lists first the prices that rose or fell by\n"
        "                           more than PERCENT (default 50)\n"
        "  --test-run               run on copies of the two files: report what would change,\n"
        "                           change nothing (shop files only)\n"
        "  --backup DIR             copy the shop file into DIR before the first write\n"
        "                           (shop files only)\n"
        "  --keep-backups N         keep only the newest N backups of the shop in DIR\n"
        "  --trace-sql FILE         every database event, one line each\n"
        "  --trace-progress FILE    every progress assignment, one line each\n"
        "  --grid FILE              the detail grid after the run\n"
        "  -h, --help               this text\n"
        "\n"
        "Environment: TOLVANE_PASSWORD is the SQL Server password when no password option\n"
        "is given.\n"
        "Standard output: one line per message, \"<style><TAB><text>\".\n"
        "Exit status: 0 finished, 1 ended by any other message, 2 bad options.\n");
}

bool ParseBatchOptions(const QStringList& args, const QProcessEnvironment& environment,
                       BatchOptions& options, QString& error) {
    options.fields = form::DefaultFields(form::kBrand);

    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const ValueOption& o : kFieldOptions)
        parser.addOption({QLatin1String(o.name), QString(), QLatin1String(o.valueName)});
    for (const FileOption& o : kFileOptions)
        parser.addOption({QLatin1String(o.name), QString(), QStringLiteral("file")});
    const QCommandLineOption passwordFile(QStringLiteral("password-file"), QString(), "file");
    const QCommandLineOption sql(QStringLiteral("sql"));
    const QCommandLineOption client(QStringLiteral("client"));
    const QCommandLineOption rebuild(QStringLiteral("rebuild-alternates"));
    const QCommandLineOption testRun(QStringLiteral("test-run"));
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption checkShare(QStringLiteral("check-share"), QString(), "percent");
    const QCommandLineOption keepBackups(QStringLiteral("keep-backups"), QString(), "count");
    parser.addOptions({passwordFile, sql, client, rebuild, testRun, help, checkShare, keepBackups});

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
    for (const FileOption& o : kFileOptions) {
        const QString name = QLatin1String(o.name);
        options.*o.value = parser.value(name);
        if (parser.isSet(name) && (options.*o.value).isEmpty()) {
            error = "--" + name + QStringLiteral(" needs a file name");
            return false;
        }
    }
    options.fields.optAccess = !parser.isSet(sql);
    options.fields.chkComType = !parser.isSet(client);
    options.fields.chkLikelAt = parser.isSet(rebuild);
    options.testRun = parser.isSet(testRun);
    if (parser.isSet(checkShare)) {
        bool whole = false;
        options.checkShare = parser.value(checkShare).toInt(&whole);
        if (!whole || options.checkShare < 0) {
            error =
                "--check-share needs a whole number of percent, not " + parser.value(checkShare);
            return false;
        }
    }
    if (parser.isSet(keepBackups)) {
        bool whole = false;
        options.keepBackups = parser.value(keepBackups).toInt(&whole);
        if (!whole || options.keepBackups < 1 || options.backup.isEmpty()) {
            error = "--keep-backups needs --backup and a count from 1 up, not " +
                    parser.value(keepBackups);
            return false;
        }
    }
    error = Conflict(parser, options);
    if (!error.isEmpty())
        return false;
    if (parser.isSet(passwordFile))
        return ReadPasswordFile(parser.value(passwordFile), options, error);
    if (!parser.isSet(QStringLiteral("password")) && environment.contains(kPasswordVariable))
        options.fields.txtpwd = environment.value(kPasswordVariable);
    return true;
}

} // namespace tolvane::batch

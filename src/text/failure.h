#pragma once

#include <QString>
#include <QStringList>

namespace tolvane {

// What kind of failure ended a run, as the clerk must tell them apart: wait, fix a
// field, ask the supplier or call the one who looks after the machines. Each kind has
// one Thai sentence (what happened and what to do); the facts fill it in (which file,
// who and since when, which row).
enum class Failure {
    Unexpected,      // anything else
    PathBlank,       // facts: the field's caption
    FileMissing,     // facts: the file
    FileUnreadable,  // facts: the file
    FileNotWritable, // facts: the file or folder
    FileHeld,        // facts: the file (or database) another program holds
    RunBusy,         // facts: the machine, since when
    NotAShop,        // facts: what the shop's field names
    NotAList,        // facts: what the list's field names
    ListRefused,     // facts: table, row, part, column, value
    ListDamaged,     // facts: the table
    LoginRefused,    // facts: the server
    ConnectionLost,  // facts: the server
    NoDriver,        // facts: the file or server the missing driver would open
    UnknownVersion,  // facts: the version the shop holds
    BrandMissing,    // facts: the brand
    CutShort,        // facts: since when the earlier run stood still
    ListBusy,        // facts: the machine, since when, the list's file
    StaleLog,        // facts: the file, the log beside it no run of this file left
};

// The things a run tells on the side that the clerk may read in the report.
enum class NoticeKind {
    CounterRepaired,  // facts: the counter
    NoRunLock,        // no facts
    StatementTimeout, // facts: the database
    NetworkJournal,   // facts: the file
    DoublyNamed,      // facts: the part number, the chunk
    MoreDoublyNamed,  // facts: how many more
    SettingsDefault,  // facts: the settings file
    CutShortFinished, // facts: when the run cut short started
    CutShortAfresh,   // facts: when the run cut short started
};

// A file or a server's database as the sentences name them: "ไฟล์ <path>",
// "ฐานข้อมูล <database> บนเซิร์ฟเวอร์ <server>".
QString FileInThai(const QString& path);
QString DatabaseInThai(const QString& server, const QString& database);

// The Thai sentence of a kind, with its facts filled in (a fact not known reads as
// such). One table holds every sentence.
QString ThaiSentence(Failure kind, const QStringList& facts = {});
QString ThaiSentence(NoticeKind kind, const QStringList& facts = {});

} // namespace tolvane

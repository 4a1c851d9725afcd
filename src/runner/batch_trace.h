#pragma once

#include "data/hooks.h"

#include <QFile>
#include <QString>
#include <QTextStream>

namespace tolvane::batch {

// A text as the runner's files write it: TAB, newline and backslash become \t, \n
// and \\, so one event stays one line and its fields stay apart.
QString EscapeField(const QString& text);

// A UTF-8 text file written through a buffered stream (no flush per line).
class TraceFile {
public:
    // Creates or truncates `path`; false (with `error` set) when it cannot.
    bool Open(const QString& path, QString& error);
    bool IsOpen() const { return file_.isOpen(); }
    QTextStream& stream() { return stream_; }
    // The file itself, for bytes written as they are (flush stream() first).
    QIODevice& device() { return file_; }
    // Flushes and closes; false when anything could not be written.
    bool Close(QString& error);

private:
    QFile file_;
    QTextStream stream_;
};

// --trace-sql: one line per database event, "<conn>\t<event>[\t<text>]".
class SqlTraceWriter : public TraceSink {
public:
    explicit SqlTraceWriter(QTextStream& stream) : stream_(stream) {}
    void Event(Role role, TraceKind kind, const QString& text) override;

private:
    QTextStream& stream_;
};

} // namespace tolvane::batch

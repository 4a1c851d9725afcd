#include "runner/batch_trace.h"

namespace tolvane::batch {

QString EscapeField(const QString& text) {
    qsizetype special = 0;
    for (const QChar c : text) {
        if (c == u'\t' || c == u'\n' || c == u'\\')
            ++special;
    }
    if (special == 0)
        return text;
    QString out;
    out.reserve(text.size() + special);
    for (const QChar c : text) {
        if (c == u'\t')
            out += QLatin1String("\\t");
        else if (c == u'\n')
            out += QLatin1String("\\n");
        else if (c == u'\\')
            out += QLatin1String("\\\\");
        else
            out += c;
    }
    return out;
}

bool TraceFile::Open(const QString& path, QString& error) {
    file_.setFileName(path);
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        error = path + ": " + file_.errorString();
        return false;
    }
    stream_.setDevice(&file_);
    stream_.setEncoding(QStringConverter::Utf8);
    return true;
}

bool TraceFile::Close(QString& error) {
    if (!file_.isOpen())
        return true;
    stream_.flush();
    const bool written = stream_.status() == QTextStream::Ok && file_.error() == QFile::NoError;
    if (!written)
        error = file_.fileName() + ": " + file_.errorString();
    file_.close();
    return written;
}

void SqlTraceWriter::Event(Role role, TraceKind kind, const QString& text) {
    stream_ << RoleName(role) << '\t' << TraceKindName(kind);
    switch (kind) {
    case TraceKind::Connect:
    case TraceKind::Open:
    case TraceKind::Execute:
    case TraceKind::Recordset:
        stream_ << '\t' << EscapeField(text);
        break;
    case TraceKind::Begin:
    case TraceKind::Commit:
    case TraceKind::Rollback:
    case TraceKind::Close:
        break;
    }
    stream_ << '\n';
}

} // namespace tolvane::batch

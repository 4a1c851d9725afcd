#include "report/report_csv.h"

#include "report/report_change.h"

#include <array>

namespace tolvane::report {

namespace {

// A text a spreadsheet would take for a formula (or, after a tab or carriage return,
// for one): the texts come from a supplier's list and must never run.
bool RunsAsFormula(const QString& text) {
    if (text.isEmpty())
        return false;
    const QChar first = text.front();
    return first == u'=' || first == u'+' || first == u'-' || first == u'@' || first == u'\t' ||
           first == u'\r';
}

// One field, quoted when a spreadsheet would otherwise split it or lose a quote. A text
// (not an amount) that would run as a formula gets a single quote in front, inside the
// quoted field, so that the spreadsheet shows it as text.
void AppendField(QString& line, const QString& field, bool text) {
    if (!line.isEmpty())
        line += u',';
    const bool guard = text && RunsAsFormula(field);
    const bool quote = guard || field.contains(u',') || field.contains(u'"') ||
                       field.contains(u'\r') || field.contains(u'\n');
    if (!quote) {
        line += field;
        return;
    }
    line += u'"';
    if (guard)
        line += u'\'';
    line += QString(field).replace(u'"', QStringLiteral("\"\""));
    line += u'"';
}

// The columns: part ID, kind, part number, Thai name, model (texts), then the amounts
// and the change (numbers, a minus in front of them their own).
constexpr std::size_t kColumns = 10;
using Fields = std::array<QString, kColumns>;
constexpr std::array<bool, kColumns> kTextColumn = {false, true,  true,  true,  true,
                                                    false, false, false, false, false};

void AppendLine(QString& out, const Fields& fields) {
    QString line;
    for (std::size_t i = 0; i < kColumns; ++i)
        AppendField(line, fields[i], kTextColumn[i]);
    out += line;
    out += QStringLiteral("\r\n");
}

Fields ChangeFields(const PriceChange& c) {
    const std::optional<Change> change = PriceChangeOf(c);
    return {QString::number(c.after.partId),
            c.after.kind,
            c.after.partNO,
            c.after.tName,
            c.after.model,
            c.before.price.ToText(),
            c.after.price.ToText(),
            c.before.sale.ToText(),
            c.after.sale.ToText(),
            change ? change->PercentNumber() : QString()};
}

} // namespace

QByteArray ChangesCsv(const ReportData& data) {
    QString out;
    out.reserve(256 + static_cast<qsizetype>(data.changes.size()) * 120);
    AppendLine(out,
               {QStringLiteral("รหัสภายใน"), QStringLiteral("ประเภท"), QStringLiteral("รหัสสินค้า"),
                QStringLiteral("ชื่อสินค้า"), QStringLiteral("รุ่น"), QStringLiteral("ราคาตั้งเดิม"),
                QStringLiteral("ราคาตั้งใหม่"), QStringLiteral("ราคาขายเดิม"),
                QStringLiteral("ราคาขายใหม่"), QStringLiteral("ราคาตั้งเปลี่ยน (%)")});
    for (const PriceChange& c : data.changes)
        AppendLine(out, ChangeFields(c));
    return QByteArrayLiteral("\xEF\xBB\xBF") + out.toUtf8();
}

} // namespace tolvane::report

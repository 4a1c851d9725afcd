#include "report/report_csv.h"

#include "report/report_change.h"

namespace tolvane::report {

namespace {

// One field, quoted when a spreadsheet would otherwise split it or lose a quote.
void AppendField(QString& line, const QString& field) {
    if (!line.isEmpty())
        line += u',';
    const bool quote = field.contains(u',') || field.contains(u'"') || field.contains(u'\r') ||
                       field.contains(u'\n');
    if (!quote) {
        line += field;
        return;
    }
    line += u'"';
    line += QString(field).replace(u'"', QStringLiteral("\"\""));
    line += u'"';
}

void AppendLine(QString& out, const QStringList& fields) {
    QString line;
    for (const QString& field : fields)
        AppendField(line, field);
    out += line;
    out += QStringLiteral("\r\n");
}

QStringList ChangeFields(const PriceChange& c) {
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

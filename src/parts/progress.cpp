#include "parts/progress.h"

#include "data/window.h"
#include "parts/part_entry.h"
#include "text/error.h"

#include <limits>

namespace tolvane {

QString PercentText(std::int32_t row, std::int32_t count) {
    // row * 100 is worked out in 32 bits, as the stages count their rows.
    if (row > std::numeric_limits<std::int32_t>::max() / 100 ||
        row < std::numeric_limits<std::int32_t>::min() / 100)
        throw Error(QStringLiteral("Overflow"));
    if (count == 0)
        throw Error(QStringLiteral("Division by zero"));
    // Whole part of the quotient: C++ integer division truncates toward zero.
    return QString::number(static_cast<std::int64_t>(row) * 100 / count);
}

QString PartProgressText(const QString& kind, const QString& partNO, const QString& tname,
                         const QString& model, const QString& gap) {
    QString text = kind.isEmpty() ? QString() : kind + u'-';
    return text + partNO + QStringLiteral(" - ") + tname + gap + model;
}

void ShowListRow(Window& w, const QString& stage, std::int32_t row, std::int32_t count,
                 const PartEntry& entry, const QString& gap) {
    w.SetTxtQTY(stage + QStringLiteral("  ") + PercentText(row, count) + QStringLiteral(" %"));
    w.SetTxtPartNO(PartProgressText(entry.Kind, entry.PartNO, entry.TName, entry.Model, gap));
    w.Yield();
}

} // namespace tolvane

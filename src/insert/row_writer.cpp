#include "insert/row_writer.h"

#include "data/literal.h"

namespace tolvane {

namespace {

const QString kSeparator = QStringLiteral(", ");

QString Number(std::int32_t value) {
    return QString::number(value);
}

QString Flag(bool on) {
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

// The statement of a row written by position into a per-brand table.
QString InsertStatement(const char* base, std::int32_t B, const QStringList& values) {
    return QStringLiteral("Insert Into ") + QLatin1String(base) + Number(B) +
           QStringLiteral(" Values( ") + values.join(kSeparator) + QStringLiteral(" )");
}

// The kind-number text: the number alone, or kind-number when there is a kind.
QString KindNumber(const NewPart& part) {
    return part.K.isEmpty() ? part.N : part.K + u'-' + part.N;
}

QString Value(RowValue value, const RowLayout& layout, const SharedValues& shared,
              const NewPart& part) {
    const bool own = part.role == PartRole::Own;
    switch (value) {
    case RowValue::ID:
        return Number(part.ID);
    case RowValue::K:
        return Literal(part.K);
    case RowValue::F:
        return Literal(part.F);
    case RowValue::N:
        return Literal(part.N);
    // Only the own part points at the row's linked part.
    case RowValue::RK:
        return Literal(own ? shared.RK : QString());
    case RowValue::RN:
        return Literal(own ? shared.RN : QString());
    case RowValue::E:
        return Literal(shared.E);
    case RowValue::T:
        return Literal(shared.T);
    case RowValue::X:
        return Literal(shared.X);
    case RowValue::EM:
        return Literal(shared.EM);
    case RowValue::TM:
        return Literal(shared.TM);
    case RowValue::M:
        return Literal(shared.M);
    case RowValue::I: {
        // Some databases keep no import text on a linked part.
        const bool blank = part.role == PartRole::Linked && layout.linkedWithoutImport;
        return Literal(blank ? QString() : shared.I);
    }
    case RowValue::P:
        return shared.P.ToText();
    case RowValue::S:
        return shared.S.ToText();
    case RowValue::B:
        return Number(shared.B);
    case RowValue::KN:
        return Literal(KindNumber(part));
    case RowValue::W:
        return Flag(own);
    case RowValue::DF:
        return Flag(shared.P != shared.S);
    case RowValue::D:
        return Number(shared.D);
    case RowValue::Zero:
        return QStringLiteral("0");
    case RowValue::One:
        return QStringLiteral("1");
    case RowValue::True:
        return shared.sql->yes;
    case RowValue::False:
        return shared.sql->no;
    case RowValue::Empty:
        return Literal(QString());
    }
    return QString();
}

} // namespace

QStringList PartRowValues(const RowLayout& layout, const SharedValues& shared,
                          const NewPart& part) {
    QStringList values;
    values.reserve(static_cast<qsizetype>(layout.values.size()));
    for (RowValue value : layout.values)
        values << Value(value, layout, shared, part);
    // The databases that mark alternate parts do so in the row's leading value.
    if (layout.alternateLeadsWithOne && part.role == PartRole::Alternate && !values.isEmpty())
        values.front() = QStringLiteral("1");
    return values;
}

QString PartRowStatement(const RowLayout& layout, const SharedValues& shared, const NewPart& part) {
    return InsertStatement("Pta", shared.B, PartRowValues(layout, shared, part));
}

QString AltRowStatement(const RowLayout& layout, const SharedValues& shared, const NewPart& part) {
    QStringList values;
    values << Number(part.ID);
    if (layout.altRowWithSale)
        values << QStringLiteral("1");
    values << Literal(part.K) << Literal(part.N) << shared.P.ToText();
    if (layout.altRowWithSale)
        values << shared.S.ToText();
    return InsertStatement("Alt", shared.B, values);
}

QString AltPlaceholderStatement(bool altRowWithSale, std::int32_t B) {
    const QStringList values =
        altRowWithSale ? QStringList{"0", "0", Literal(QString()), Literal(QString()), "0", "0"}
                       : QStringList{"0", Literal(QString()), Literal(QString()), "0"};
    return InsertStatement("Alt", B, values);
}

} // namespace tolvane

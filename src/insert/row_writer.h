#pragma once

#include "data/run_state.h"
#include "data/sql_dialect.h"
#include "insert/row_layouts.h"
#include "text/amount.h"

#include <QString>
#include <QStringList>
#include <cstdint>

namespace tolvane {

// What every part of one staged row shares: the names, model, import text and prices
// of the row, the references to its linked part, the brand and the run's date stamp.
struct SharedValues {
    QString E;  // English name
    QString T;  // Thai name (already the English name where the row has none)
    QString X;  // Thai search key of T (layouts that compute it)
    QString EM; // E, two blanks, M, trimmed
    QString TM; // T, two blanks, M, trimmed
    QString M;  // model text
    QString I;  // import text
    QString RK; // the row's lKind, written into the own part's row
    QString RN; // the row's lAtNO, written into the own part's row
    Currency P, S;
    std::int32_t B = 0; // brand ID
    std::int32_t D = 0; // date stamp yyyymmdd (Buddhist era), layouts that stamp
    // The shop engine's SQL: how its yes/no values are written.
    const SqlDialect* sql = &DialectOf(Engine::Other);
};

// One part being created.
struct NewPart {
    PartRole role = PartRole::Own;
    std::int32_t ID = 0;
    QString K; // kind
    QString N; // part number
    QString F; // search number
};

// The value list of the part row in `layout`, value by value, as the statement writes
// them: texts as literals, numbers in decimal, amounts as amount text.
QStringList PartRowValues(const RowLayout& layout, const SharedValues& shared, const NewPart& part);
// "Insert Into Pta<B> Values( v1, v2, ... )".
QString PartRowStatement(const RowLayout& layout, const SharedValues& shared, const NewPart& part);
// The part's alternate-price row: "Insert Into Alt<B> Values( ID, 'K', 'N', P )", or
// ( ID, 1, 'K', 'N', P, S ) where the layout's Alt<B> carries the sale price.
QString AltRowStatement(const RowLayout& layout, const SharedValues& shared, const NewPart& part);
// The placeholder row Alt<B> keeps under AltID 0, in the table's shape.
QString AltPlaceholderStatement(bool altRowWithSale, std::int32_t B);

} // namespace tolvane

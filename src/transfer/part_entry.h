#pragma once

#include "text/amount.h"

#include <QString>

namespace tolvane {

// One price-list entry as the part update takes it: the texts already trimmed.
// The linked (lKind/lAtNO) and alternate (AKind/AltNO) fields are empty in the
// calls for linked and alternate numbers and in the all-brand stage.
struct PartEntry {
    QString Kind, PartNO, lKind, lAtNO, AKind, AltNO, EName, TName, Model, Import;
    Currency Price, Sale;
};

} // namespace tolvane

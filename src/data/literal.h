#pragma once

#include <QString>

namespace tolvane {

// A text literal of a statement: the value between single quotes, with every single
// quote inside it doubled, so O'RING is stored as O'RING and no price-list text can
// change the statement around it. A value without a quote gives '<value>' exactly.
// Every statement builder goes through this.
QString Literal(const QString& value);

} // namespace tolvane

#pragma once

#include <QString>
#include <QStringList>

namespace tolvane {

// A statement with some of its text literals taken out: each stands as a `?` whose
// value is in `values`, in order.
struct TextParameters {
    QString statement;
    QStringList values;
};

// The statement with every literal that holds a '|' taken out as a parameter; the other
// literals stay. Jet cannot take that character inside a literal, whatever quotes it;
// its driver takes any text as a parameter. Without such a literal, values is empty.
TextParameters PipesAsParameters(const QString& statement);

} // namespace tolvane

#include "data/text_parameters.h"

namespace tolvane {

TextParameters PipesAsParameters(const QString& statement) {
    TextParameters out;
    if (!statement.contains(u'|'))
        return out;
    qsizetype copied = 0; // statement[0, copied) is in out.statement
    for (qsizetype i = 0; i < statement.size(); ++i) {
        if (statement[i] != u'\'')
            continue;
        // The literal runs to the quote that is not doubled; its value has them single.
        QString value;
        qsizetype end = i + 1;
        for (; end < statement.size(); ++end) {
            if (statement[end] == u'\'') {
                if (end + 1 >= statement.size() || statement[end + 1] != u'\'')
                    break;
                ++end;
            }
            value += statement[end];
        }
        if (value.contains(u'|')) {
            out.statement += QStringView(statement).mid(copied, i - copied);
            out.statement += u'?';
            out.values << value;
            copied = end + 1;
        }
        i = end;
    }
    if (out.values.isEmpty())
        return out;
    out.statement += QStringView(statement).mid(copied);
    return out;
}

} // namespace tolvane

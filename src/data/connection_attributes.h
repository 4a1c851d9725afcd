#pragma once

#include <QString>
#include <vector>

namespace tolvane {

// One key=value pair of a connection text.
struct ConnectionAttribute {
    QString key;   // as written, without the blanks around it
    QString value; // unwrapped: braces or quotes removed, doubled closers made single
    // Where the value stands in the text as written (braces or quotes included): from
    // just after "=" to the ";" that ends it, or to the end of the text.
    qsizetype from = 0;
    qsizetype to = 0;
};
using ConnectionAttributes = std::vector<ConnectionAttribute>;

// The key=value pairs of a connection text, in order, read by the rules of its form.
// A text whose first key is "Provider" is an OLE DB text: a value may be wrapped in
// double or single quotes (the closing quote doubled inside), and an unwrapped one
// loses its leading and trailing blanks. Any other text is an ODBC text: a value that
// begins with "{" runs to the "}" not followed by another (a doubled "}" stands for
// one), any other value runs to the next ";" as it is, blanks and quotes included.
ConnectionAttributes ParseConnectionText(const QString& text);

// The value of `key` (compared without regard to case), or a null QString.
QString AttributeValue(const ConnectionAttributes& attributes, const QString& key);

} // namespace tolvane

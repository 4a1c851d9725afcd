#pragma once

#include <QString>
#include <utility>
#include <vector>

namespace tolvane {

// The key=value pairs of a connection text, in order, with braced ({...}) or
// double-quoted ("...") values unwrapped. Keys keep their spelling.
using ConnectionAttributes = std::vector<std::pair<QString, QString>>;
ConnectionAttributes ParseConnectionText(const QString& text);

// The value of `key` (compared without regard to case), or a null QString.
QString AttributeValue(const ConnectionAttributes& attributes, const QString& key);

} // namespace tolvane

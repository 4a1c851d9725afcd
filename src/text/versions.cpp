#include "text/versions.h"

#include <iterator>

namespace tolvane {

namespace {

// text, layout, searchKey, searchText, price1, altSale
const VersionInfo kVersions[] = {
    {"V.31", "V.31", false, false, false, false},
    {"V.32", "V.31", false, false, false, false},
    {"V.33", "V.33", false, false, false, false},
    {"V.34", "V.34", false, false, false, false},
    {"V.41", "V.31", false, false, false, false},
    {"V.42", "V.42", false, false, false, false},
    {"V.43", "V.43", false, false, false, false},
    {"V.45", "V.45", false, false, false, false},
    {"V.46 (Bar)", "V.46", false, false, false, false},
    {"V.51", "V.31", false, false, false, false},
    {"V.61", "V.31", false, false, false, false},
    {"P.42", "V.31", false, false, false, false},
    {"P.43", "P.43", false, false, false, false},
    {"P.44 (Bar)", "P.44", false, false, false, false},
    {"P.45 (Bar)", "P.45", true, false, true, false},
    {"P.46 (Bar)", "P.46", false, false, false, false},
    {"P.47001 (Bar)", "P.46", false, false, false, false},
    {"P.48 (Bar)", "P.48", true, false, false, false},
    {"P.49 (Bar)", "P.49", true, false, false, true},
    {"P.52", "P.52", false, true, false, false},
    {"P.61 (Bar)", "P.61", false, false, false, false},
    {"P.62 (Bar)", "P.46", false, false, false, false},
    {"P.64 (Bar)", "P.64", true, true, false, false},
    {"P.65 (Bar)", "P.64", true, true, false, false},
    {"D.47 (Bar)", "P.46", false, false, false, false},
};

} // namespace

QString TrimBlanks(QStringView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == u' ')
        ++begin;
    while (end > begin && text[end - 1] == u' ')
        --end;
    return text.mid(begin, end - begin).toString();
}

const VersionInfo* FindVersion(QStringView ver) {
    const QString trimmed = TrimBlanks(ver);
    for (const VersionInfo& info : kVersions) {
        if (trimmed == QLatin1String(info.text))
            return &info;
    }
    return nullptr;
}

const VersionInfo* SupportedVersions(int* count) {
    if (count)
        *count = static_cast<int>(std::size(kVersions));
    return kVersions;
}

bool IsSearchKeyVersion(QStringView ver) {
    const VersionInfo* info = FindVersion(ver);
    return info && info->searchKey;
}

bool IsSearchTextVersion(QStringView ver) {
    const VersionInfo* info = FindVersion(ver);
    return info && info->searchText;
}

bool IsPrice1Version(QStringView ver) {
    const VersionInfo* info = FindVersion(ver);
    return info && info->price1;
}

bool IsAltSaleVersion(QStringView ver) {
    const VersionInfo* info = FindVersion(ver);
    return info && info->altSale;
}

} // namespace tolvane

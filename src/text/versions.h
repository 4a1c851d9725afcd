#pragma once

#include <QString>
#include <QStringView>

namespace tolvane {

// What each supported version of the shop database means to the run. One row per
// version text of System.Ver; every version-dependent decision reads this table.
struct VersionInfo {
    const char* text;    // System.Ver, exactly
    const char* layout;  // the new-part row layout it selects (named after its first version)
    bool searchKey;      // parts are looked up by FPartNO = EditString(PartNO)
    bool searchText;     // names are written with EFind / TFind
    bool price1;         // prices live in Price1 / Sale1
    bool altSale;        // Alt<B> also carries ASale
};

// The version row for a version text, compared after trimming, exactly and
// case-sensitively; nullptr when the version is not supported.
const VersionInfo* FindVersion(QStringView ver);

// All supported versions, in the order of the version table (25 rows).
const VersionInfo* SupportedVersions(int* count);

// The same questions for a version text; false for unsupported versions.
bool IsSearchKeyVersion(QStringView ver);
bool IsSearchTextVersion(QStringView ver);
bool IsPrice1Version(QStringView ver);
bool IsAltSaleVersion(QStringView ver);

// Trims leading and trailing U+0020 blanks only (tabs and other white space stay).
QString TrimBlanks(QStringView text);

} // namespace tolvane

#include "insert/row_layouts.h"

#include "text/versions.h"

namespace tolvane {

namespace {

using enum RowValue;

// The part rows as the shop databases of each layout expect them, value by value.
const std::vector<RowLayout> kLayouts = {
    {"V.31",
     {
        Zero, ID, K, F, N, RK, RN, Empty, E, X, T, Empty, M, Empty, I, Empty, P, Zero, S, Zero,
        True, False, Empty, Zero, Zero, Zero, Zero, Zero, B, Zero, Zero, KN, Zero, Zero, Zero,
        Zero, Zero, Zero, Zero
     },
     /*lookupBySearchNumber*/ false, /*fByEditString*/ false, /*thaiKey*/ true,
     /*dateStamp*/ false, /*alternateLeadsWithOne*/ false, /*linkedWithoutImport*/ true,
     /*altRowWithSale*/ false},
    {"V.33",
     {
        Zero, ID, K, F, N, RK, RN, Empty, E, X, T, Empty, M, Empty, I, Empty, P, Zero, S, Zero,
        True, False, False, Empty, Zero, Zero, Zero, Zero, Zero, B, Zero, Zero, KN, Zero, Zero,
        Zero, Zero, Zero, Zero, Zero
     },
     /*lookupBySearchNumber*/ false, /*fByEditString*/ false, /*thaiKey*/ true,
     /*dateStamp*/ false, /*alternateLeadsWithOne*/ false, /*linkedWithoutImport*/ false,
     /*altRowWithSale*/ false},
    {"V.34",
     {
        Zero, ID, K, F, N, RK, RN, Empty, E, X, T, Empty, M, Empty, I, Empty, P, Zero, S, Zero,
        Zero, Zero, Zero, W, DF, Empty, Zero, Zero, Zero, Zero, Zero, B, Zero, Zero, KN, Zero,
        Zero, Zero, Zero, Zero, Zero, Zero
     },
     /*lookupBySearchNumber*/ false, /*fByEditString*/ false, /*thaiKey*/ true,
     /*dateStamp*/ false, /*alternateLeadsWithOne*/ false, /*linkedWithoutImport*/ false,
     /*altRowWithSale*/ false},
    {"V.42",
     {
        Zero, ID, K, F, N, RK, RN, Empty, E, X, T, Empty, M, Empty, I, Empty, P, Zero, S, Zero,
        Zero, Zero, True, False, Empty, Zero, Zero, Zero, Zero, Zero, B, Zero, Zero, KN, Zero,
        Zero, Zero, Zero, Zero, Zero, Zero
     },
     /*lookupBySearchNumber*/ false, /*fByEditString*/ false, /*thaiKey*/ true,
     /*dateStamp*/ false, /*alternateLeadsWithOne*/ false, /*linkedWithoutImport*/ false,
     /*altRowWithSale*/ false},
    {"V.43",
     {
        Zero, ID, K, F, N, RK, RN, Empty, E, X, T, Empty, M, Empty, I, Empty, P, Zero, S, Zero,
        Zero, Zero, Zero, True, False, Empty, Zero, Zero, Zero, Zero, Zero, B, Zero, Zero, KN,
        Zero, Zero, Zero, Zero, Zero, Zero, Zero
     },
     /*lookupBySearchNumber*/ false, /*fByEditString*/ false, /*thaiKey*/ true,
     /*dateStamp*/ false, /*alternateLeadsWithOne*/ false, /*linkedWithoutImport*/ false,
     /*altRowWithSale*/ false},
    {"V.45",
     {
        Zero, ID, K, F, N, RK, RN, Empty, E, X, T, Empty, M, Empty, Empty, I, Empty, P, Zero,
        S, Zero, True, False, Empty, Zero, Zero, Zero, Zero, Zero, B, Zero, Zero, KN, Zero,
        Zero, Zero, Zero, Zero, Zero, Zero
     },
     /*lookupBySearchNumber*/ false, /*fByEditString*/ false, /*thaiKey*/ true,
     /*dateStamp*/ false, /*alternateLeadsWithOne*/ false, /*linkedWithoutImport*/ false,
     /*altRowWithSale*/ false},
    {"V.46",
     {
        Zero, ID, K, F, N, RK, RN, Empty, E, X, T, Empty, M, Empty, I, Empty, P, Zero, S, Zero,
        True, False, Empty, Empty, Zero, Zero, Zero, Zero, Zero, B, Zero, Zero, KN, Zero, Zero,
        Zero, Zero, Zero, Zero, Zero, D
     },
     /*lookupBySearchNumber*/ false, /*fByEditString*/ false, /*thaiKey*/ true,
     /*dateStamp*/ true, /*alternateLeadsWithOne*/ false, /*linkedWithoutImport*/ false,
     /*altRowWithSale*/ false},
    {"P.43",
     {
        Zero, ID, K, F, N, RK, RN, Empty, E, X, T, Empty, M, Empty, I, Empty, P, Zero, Zero,
        Zero, S, Zero, Zero, Zero, True, False, Empty, Zero, Zero, Zero, Zero, Zero, B, Zero,
        Zero, KN, Zero, Zero, Zero, Zero, Zero, Zero, Zero
     },
     /*lookupBySearchNumber*/ false, /*fByEditString*/ false, /*thaiKey*/ true,
     /*dateStamp*/ false, /*alternateLeadsWithOne*/ false, /*linkedWithoutImport*/ false,
     /*altRowWithSale*/ false},
    {"P.44",
     {
        Zero, ID, K, F, N, RK, RN, Empty, E, X, T, Empty, M, Empty, I, Empty, P, Zero, S, Zero,
        Zero, Zero, Zero, True, False, Empty, Zero, Zero, Zero, Zero, Zero, B, Zero, Zero, KN,
        Zero, Zero, Zero, Zero, Zero, Zero, Zero
     },
     /*lookupBySearchNumber*/ false, /*fByEditString*/ false, /*thaiKey*/ true,
     /*dateStamp*/ false, /*alternateLeadsWithOne*/ false, /*linkedWithoutImport*/ true,
     /*altRowWithSale*/ false},
    {"P.45",
     {
        Zero, ID, K, F, N, RK, RN, Empty, N, E, X, T, Empty, M, Empty, I, P, Zero, Zero, Zero,
        S, Zero, Zero, Zero, Zero, Zero, Zero, Empty, Empty, Empty, Empty, Zero, Zero, Zero,
        Zero, Zero, B, Zero, Zero, KN, Zero, Zero, Zero, Zero, Zero, Zero, Zero
     },
     /*lookupBySearchNumber*/ true, /*fByEditString*/ false, /*thaiKey*/ true,
     /*dateStamp*/ false, /*alternateLeadsWithOne*/ false, /*linkedWithoutImport*/ false,
     /*altRowWithSale*/ false},
    {"P.46",
     {
        Zero, ID, K, F, N, RK, RN, Empty, E, X, T, Empty, M, Empty, I, Empty, P, Empty, S,
        Empty, Zero, Zero, Zero, True, False, Empty, Zero, Zero, Zero, Zero, Zero, B, Zero,
        Zero, KN, Zero, Zero, Zero, Zero, Zero, Zero, Zero
     },
     /*lookupBySearchNumber*/ false, /*fByEditString*/ false, /*thaiKey*/ true,
     /*dateStamp*/ false, /*alternateLeadsWithOne*/ false, /*linkedWithoutImport*/ false,
     /*altRowWithSale*/ false},
    {"P.48",
     {
        Zero, ID, K, F, N, N, RK, RN, Empty, E, X, T, Empty, M, Empty, I, Empty, P, Empty, S,
        Empty, Zero, Zero, Zero, True, False, Empty, Zero, Zero, Zero, Zero, Zero, B, Zero,
        Zero, KN, Zero, Zero, Zero, Zero, Zero, Zero, Zero
     },
     /*lookupBySearchNumber*/ true, /*fByEditString*/ true, /*thaiKey*/ true,
     /*dateStamp*/ false, /*alternateLeadsWithOne*/ false, /*linkedWithoutImport*/ false,
     /*altRowWithSale*/ false},
    {"P.49",
     {
        Zero, ID, K, F, N, N, RK, RN, Empty, E, X, T, Empty, M, Empty, I, Empty, P, Empty, S,
        Empty, Empty, One, Zero, Zero, Zero, Zero
     },
     /*lookupBySearchNumber*/ true, /*fByEditString*/ true, /*thaiKey*/ true,
     /*dateStamp*/ false, /*alternateLeadsWithOne*/ true, /*linkedWithoutImport*/ false,
     /*altRowWithSale*/ true},
    {"P.52",
     {
        Zero, ID, K, F, N, RK, RN, Empty, EM, E, TM, T, Empty, M, Empty, I, P, Zero, S, Zero,
        Zero, Empty, Zero, Zero, Zero, Zero, Empty, Zero, B, Zero, Zero, KN, Zero, Zero, Zero,
        Zero, Zero, Zero
     },
     /*lookupBySearchNumber*/ false, /*fByEditString*/ false, /*thaiKey*/ false,
     /*dateStamp*/ false, /*alternateLeadsWithOne*/ false, /*linkedWithoutImport*/ false,
     /*altRowWithSale*/ false},
    {"P.61",
     {
        Zero, ID, K, F, N, RK, RN, Empty, E, X, T, Empty, M, Empty, I, Empty, P, Empty, S,
        Empty, Zero, Zero, Zero, One, Zero, Empty, Zero, Zero, Zero, Zero, Zero, B, Zero, Zero,
        KN, Zero, Zero, Zero, Zero, Zero, Zero, Zero
     },
     /*lookupBySearchNumber*/ false, /*fByEditString*/ false, /*thaiKey*/ true,
     /*dateStamp*/ false, /*alternateLeadsWithOne*/ false, /*linkedWithoutImport*/ false,
     /*altRowWithSale*/ false},
    {"P.64",
     {
        Zero, Zero, ID, K, F, N, RK, RN, Empty, Empty, EM, E, TM, T, Empty, M, Empty, I, P,
        Zero, S, Zero, Zero, Empty, Zero, Zero, Zero, Zero, Zero, Empty, Empty, Zero, Zero,
        Zero, Empty, Empty
     },
     /*lookupBySearchNumber*/ true, /*fByEditString*/ false, /*thaiKey*/ false,
     /*dateStamp*/ false, /*alternateLeadsWithOne*/ false, /*linkedWithoutImport*/ false,
     /*altRowWithSale*/ false},
};

} // namespace

const std::vector<RowLayout>& AllRowLayouts() { return kLayouts; }

const RowLayout* FindRowLayout(QStringView name) {
    for (const RowLayout& layout : kLayouts) {
        if (name == QLatin1String(layout.name))
            return &layout;
    }
    return nullptr;
}

const RowLayout* LayoutForVersion(QStringView ver) {
    const VersionInfo* info = FindVersion(ver);
    return info ? FindRowLayout(QString::fromLatin1(info->layout)) : nullptr;
}

} // namespace tolvane

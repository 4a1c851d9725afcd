#pragma once

#include <QStringView>
#include <vector>

namespace tolvane {

// One value of a new part's row, in the order the Pta<B> columns stand.
enum class RowValue {
    ID,   // the new part's ID
    K,    // its kind
    F,    // its search number (FPartNO)
    N,    // its part number
    RK,   // own part: the row's lKind; linked/alternate part: ''
    RN,   // own part: the row's lAtNO; linked/alternate part: ''
    E,    // English name
    T,    // Thai name (the English name when the Thai name is empty)
    X,    // Thai search key of T
    EM,   // E, two blanks, M, trimmed
    TM,   // T, two blanks, M, trimmed
    M,    // model text
    I,    // import text
    P,    // price
    S,    // sale price
    B,    // brand ID
    KN,   // kind-number text: N, or K-N
    W,    // 1 for the own part, 0 for the linked and alternate part
    DF,   // 1 when price and sale price differ
    D,    // the run's date stamp, yyyymmdd in the Buddhist era
    Zero, One, True, False, Empty,  // written literally: 0, 1, True, False, ''
};

// How new part rows are written for a group of database versions.
struct RowLayout {
    const char* name;                 // named after its first version, e.g. "V.31"
    std::vector<RowValue> values;     // the part row, as written for the own part
    bool lookupBySearchNumber;        // find parts by FPartNO = EditString(N)
    bool fByEditString;               // F = EditString(N) instead of MakeFPartNO
    bool thaiKey;                     // computes X (false: EM and TM instead)
    bool dateStamp;                   // computes D once per insertion run
    bool alternateLeadsWithOne;       // the alternate part's row begins with 1
    bool linkedWithoutImport;         // the linked part's row writes I as ''
    bool altRowWithSale;              // Alt<B> row is (ID, 1, 'K', 'N', P, S)
};

// All sixteen layouts.
const std::vector<RowLayout>& AllRowLayouts();
// The layout a version text selects (trimmed, exact); nullptr for none.
const RowLayout* LayoutForVersion(QStringView ver);
// The layout of that name ("V.31", "P.49", ...); nullptr for none.
const RowLayout* FindRowLayout(QStringView name);

} // namespace tolvane

#include "parts/alt_links.h"

#include "data/run_state.h"
#include "text/error.h"

#include <QString>
#include <QStringList>
#include <algorithm>
#include <vector>

namespace tolvane {

namespace {

QString Number(std::int32_t value) {
    return QString::number(value);
}

// Opens rsData on a reader's statement: 1 and rsData open when there is a row. A failing
// read (a missing table or column in an older database) counts as a part without links,
// so the caller goes on as if there were none.
std::int16_t OpenLinks(RunState& st, const QString& statement) {
    try {
        st.Open(st.rsData, st.Data(), statement);
        if (!st.rsData.Eof())
            return 1;
    } catch (const Error&) {
    }
    st.rsData.Close();
    return 0;
}

// Reads the one field of every row of the open rsData into `ids` (sized by the row
// count), then closes rsData.
void ReadIds(RunState& st, const QString& field, std::vector<std::int32_t>& ids, std::size_t from) {
    for (std::size_t i = from; i < ids.size() && !st.rsData.Eof(); ++i) {
        ids[i] = st.rsData.Long(field);
        st.rsData.MoveNext();
    }
    st.rsData.Close();
}

// The group: the part, the two further alternates and the part's own alternates.
void CollectGroup(RunState& st, std::int32_t PartID, std::int32_t AltID1, std::int32_t AltID2) {
    const bool hasAlternates = LoadAltG(st, st.lngBrandID, PartID) == 1;
    st.lngAltUB = 3 + (hasAlternates ? st.rsData.RecordCount() : 0);
    st.lngAltID.assign(static_cast<std::size_t>(st.lngAltUB), 0);
    st.lngAltID[0] = PartID;
    st.lngAltID[1] = AltID1;
    st.lngAltID[2] = AltID2;
    if (hasAlternates)
        ReadIds(st, QStringLiteral("PartID"), st.lngAltID, 3);
}

// The factories of the group's first part; without any, the old array stays as it is
// and its count 0 keeps it unread.
void CollectFactories(RunState& st, std::int32_t PartID) {
    if (LoadFacD(st, st.lngBrandID, PartID) != 1) {
        st.lngFacUB = 0;
        return;
    }
    st.lngFacUB = st.rsData.RecordCount();
    st.lngFacID.assign(static_cast<std::size_t>(st.lngFacUB), 0);
    ReadIds(st, QStringLiteral("FacID"), st.lngFacID, 0);
}

// Replaces member i's links.
void RewriteMember(RunState& st, std::int32_t i) {
    for (const QString& statement :
         MemberLinkStatements(st.Table("AltG"), st.Table("FacD"), st.lngAltID, st.lngAltUB,
                              st.lngFacID, st.lngFacUB, i))
        st.Execute(st.Data(), statement);
}

} // namespace

std::int16_t LoadAltG(RunState& st, std::int32_t BrandID, std::int32_t PartID) {
    if (BrandID == 0)
        return 0;
    const QString pta = "Pta" + Number(BrandID);
    const QString altG = "AltG" + Number(BrandID);
    // The join drops links to parts the brand does not hold, placeholders included.
    return OpenLinks(st, "Select " + pta + ".PartID From " + altG + " Inner Join " + pta + " On " +
                             altG + ".AltID = " + pta + ".PartID Where " + altG +
                             ".PartID = " + Number(PartID));
}

std::int16_t LoadFacD(RunState& st, std::int32_t BrandID, std::int32_t PartID) {
    if (BrandID == 0)
        return 0;
    const QString facD = "FacD" + Number(BrandID);
    // The join drops links to factories that Fac does not hold.
    return OpenLinks(st, "Select Fac.FacID From " + facD + " Inner Join Fac On " + facD +
                             ".FacID = Fac.FacID Where PartID = " + Number(PartID));
}

void ClearDuplicates(std::vector<std::int32_t>& ids, std::int32_t count) {
    const std::size_t n = std::min(ids.size(), static_cast<std::size_t>(std::max(count, 0)));
    for (std::size_t i = 0; i < n; ++i) {
        if (ids[i] <= 0)
            continue;
        for (std::size_t j = i + 1; j < n; ++j) {
            if (ids[j] == ids[i])
                ids[j] = 0;
        }
    }
}

QStringList MemberLinkStatements(const QString& altG, const QString& facD,
                                 const std::vector<std::int32_t>& alt, std::int32_t altUB,
                                 const std::vector<std::int32_t>& fac, std::int32_t facUB,
                                 std::int32_t i) {
    const QString m = Number(alt[static_cast<std::size_t>(i)]);
    QStringList statements{"Delete From " + altG + " Where PartID = " + m,
                           "Delete From " + facD + " Where PartID = " + m};
    bool linked = false;
    for (std::int32_t j = 0; j < altUB; ++j) {
        const std::int32_t other = alt[static_cast<std::size_t>(j)];
        if (j == i || other <= 0)
            continue;
        statements << "Insert Into " + altG + " Values( 0, " + m + ", " + Number(other) + " )";
        linked = true;
    }
    if (!linked)
        statements << "Insert Into " + altG + " Values( 0, " + m + ", 0 )";
    for (std::int32_t k = 0; k < facUB; ++k) {
        const std::int32_t factory = fac[static_cast<std::size_t>(k)];
        if (factory > 0)
            statements << "Insert Into " + facD + " Values( 0, " + m + ", " + Number(factory) +
                              " )";
    }
    return statements;
}

void ClearDupAltID(RunState& st) {
    ClearDuplicates(st.lngAltID, st.lngAltUB);
}

void ClearDupFacID(RunState& st) {
    ClearDuplicates(st.lngFacID, st.lngFacUB);
}

void SaveAltGFacD(RunState& st, std::int32_t PartID, std::int32_t AltID1, std::int32_t AltID2) {
    CollectGroup(st, PartID, AltID1, AltID2);
    CollectFactories(st, PartID);
    ClearDupAltID(st);
    if (st.lngFacUB > 0)
        ClearDupFacID(st);
    for (std::int32_t i = 0; i < st.lngAltUB; ++i) {
        if (st.lngAltID[i] > 0)
            RewriteMember(st, i);
    }
}

} // namespace tolvane

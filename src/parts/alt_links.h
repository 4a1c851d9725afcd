#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

namespace tolvane {

struct RunState;

// A part's alternates that exist in Pta<B>: 1 with rsData left open on the first row
// (field PartID; the caller reads to EOF and closes), 0 with rsData closed. Errors of
// its own statement give 0. Brand ID 0 gives 0 without a statement.
std::int16_t LoadAltG(RunState& st, std::int32_t BrandID, std::int32_t PartID);
// The same for a part's factories (field FacID).
std::int16_t LoadFacD(RunState& st, std::int32_t BrandID, std::int32_t PartID);
// Keeps the first of every positive entry among the first `count`; later ones become 0.
void ClearDuplicates(std::vector<std::int32_t>& ids, std::int32_t count);
// The statements that replace the links of member i of a group whose duplicates are
// cleared (`alt`, `altUB`), carrying the factories `fac` (`facUB`): one AltG row to
// every other member (the placeholder row when it stands alone) and one FacD row to
// each factory. `altG`, `facD`: the brand's table names.
QStringList MemberLinkStatements(const QString& altG, const QString& facD,
                                 const std::vector<std::int32_t>& alt, std::int32_t altUB,
                                 const std::vector<std::int32_t>& fac, std::int32_t facUB,
                                 std::int32_t i);
// Keeps the first occurrence of every positive entry; later ones become 0.
void ClearDupAltID(RunState& st);
void ClearDupFacID(RunState& st);
// Rewrites the links of the group {PartID, AltID1, AltID2, PartID's alternates}:
// every member linked to every other (a lone member gets the placeholder row) and
// carrying exactly PartID's factories. Opens no transaction.
void SaveAltGFacD(RunState& st, std::int32_t PartID, std::int32_t AltID1, std::int32_t AltID2);

} // namespace tolvane

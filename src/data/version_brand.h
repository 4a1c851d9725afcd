#pragma once

#include <cstdint>

namespace tolvane {

struct RunState;

// Reads System.Ver into strVer (trimmed); 1 when it is a supported version, else 0.
// An empty System table gives 0 and leaves strVer as it was.
std::int16_t GetDBVersion(RunState& st);
// Looks up the brand's BrandID into lngBrandID: strBrand, then strBrand + "_U",
// then "UD" for the brand UD_VOLVO; 0 when none is found.
void GetBrandID(RunState& st);

} // namespace tolvane

#pragma once

namespace tolvane {

struct RunState;

// On SQL Server, before the run's first write: the text columns of the tables the run
// writes (Pta<B>, Alt<B>, PriceList and the copies in MovementStock, SPG, Price and
// Sale) must hold Thai. An nvarchar column holds any text (the run writes Thai as
// N'...'); a char, varchar or text column holds only what the code page of its
// collation holds, and a Thai letter outside it is stored as '?'. Raises Error naming
// the first such column, its collation and the database's, before anything is written;
// Thai (874) and UTF-8 (65001) collations pass. Does nothing on other engines. Needs
// cnData open.
void CheckThaiColumns(RunState& st);

} // namespace tolvane

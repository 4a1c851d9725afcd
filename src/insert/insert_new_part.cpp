#include "insert/insert_new_part.h"

#include "data/open_connection.h"
#include "data/run_state.h"
#include "insert/insertion_by_set.h"
#include "insert/insertion_row.h"
#include "text/mdu_date.h"

namespace tolvane {

namespace {

void RunInsertion(InsertionRun& run, std::int16_t intCountNo) {
    RunState& st = run.st;
    ReopenTarget(st);
    // Every part of one run carries the same date stamp, even past midnight.
    if (run.layout.dateStamp)
        run.dateStamp = mduDate::DateToNumber(mduDate::DateTextBE(st.today()));

    InsertionProgress progress{intCountNo};
    if (st.Data().SendsCheckedCalls() && InsertStagedRowsBySet(run, progress))
        return;
    st.Open(st.rsList, st.Data(), "Select PartNO From PriceList Where BrandID = " + run.Brand());
    progress.total = st.rsList.RecordCount();
    st.rsList.Close();
    InsertStagedRowsOneByOne(run, progress);
}

// Link rows of part 0 go; Alt<B> keeps exactly one placeholder row under AltID 0.
void CleanUp(RunState& st, const RowLayout* layout) {
    st.Execute(st.Data(), "Delete From " + st.Table("AltG") + " Where PartID = 0");
    st.Execute(st.Data(), "Delete From " + st.Table("Alt") + " Where AltID = 0");
    st.Execute(st.Data(),
               AltPlaceholderStatement(layout != nullptr && layout->altRowWithSale, st.lngBrandID));
}

} // namespace

std::int16_t InsertNewPart(RunState& st, std::int16_t intCountNo) {
    const RowLayout* layout = LayoutForVersion(st.strVer);
    if (layout != nullptr) {
        InsertionRun run{st, *layout};
        RunInsertion(run, intCountNo);
    }
    CleanUp(st, layout);
    return 0;
}

} // namespace tolvane

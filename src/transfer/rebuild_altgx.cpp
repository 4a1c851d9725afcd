#include "data/run_state.h"
#include "parts/alt_links.h"
#include "parts/progress.h"
#include "transfer/price_stages.h"
#include "transfer/rebuild_groups.h"

namespace tolvane {

namespace {

// The head's group as it stands before it is rewritten: the head, then its
// alternates.
void LoadGroup(RunState& st, std::int32_t head) {
    st.lngAltGXID.assign(1, head);
    if (LoadAltG(st, st.lngBrandID, head) == 1) {
        st.lngAltGXUB = st.rsData.RecordCount() + 1;
        st.lngAltGXID.resize(static_cast<std::size_t>(st.lngAltGXUB), 0);
        std::size_t i = 1;
        while (!st.rsData.Eof() && i < st.lngAltGXID.size()) {
            st.lngAltGXID[i++] = st.rsData.Long(QStringLiteral("PartID"));
            st.rsData.MoveNext();
        }
        st.rsData.Close();
    } else {
        st.lngAltGXUB = 1;
    }
}

// Takes the visited group out of the queue. The head leaves it whatever its ID,
// so a part ID of 0 or below cannot keep the rebuild going for ever; of the
// alternates only real (positive) IDs are removed.
void Dequeue(RunState& st) {
    for (std::int32_t i = 0; i < st.lngAltGXUB; ++i) {
        const std::int32_t id = st.lngAltGXID[static_cast<std::size_t>(i)];
        if (id > 0 || i == 0)
            st.Execute(st.Data(), "Delete From AltGX Where PartID = " + QString::number(id));
    }
}

// The first part ID still queued, or false when the queue is empty.
bool NextHead(RunState& st, std::int32_t& head) {
    st.Open(st.rsList, st.Data(), QStringLiteral("Select PartID From AltGX"));
    if (st.rsList.Eof())
        return false;
    head = st.rsList.Long(QStringLiteral("PartID"));
    st.rsList.Close();
    return true;
}

} // namespace

void RebuildAltGX(RunState& st) {
    RunSteps all;
    RebuildAltGX(st, all);
}

bool RebuildNextGroup(RunState& st) {
    std::int32_t head = 0;
    if (!NextHead(st, head))
        return false;
    // One transaction per group: its links, factories and queue entries together.
    Connection& cn = st.Data();
    cn.BeginTrans();
    st.window.Yield();
    st.window.SetTxtPartNO(QString::number(head));
    LoadGroup(st, head);
    SaveAltGFacD(st, head, 0, 0);
    Dequeue(st);
    cn.CommitTrans();
    return true;
}

void RebuildAltGX(RunState& st, RunSteps& steps) {
    Window& w = st.window;
    w.SetTxtQTY(kPhraseRebuilding + st.strBrand);
    w.Yield();
    if (steps.Due({Step::QueueFill})) {
        Connection& cn = st.Data();
        st.Execute(cn, QStringLiteral("Delete From AltGX"));
        st.Execute(cn, "Delete From " + st.Table("AltG") + " Where PartID = 0");
        st.Execute(cn, "Insert Into AltGX(PartID) Select PartID From " + st.Table("Pta"));
    }
    if (!steps.Due({Step::QueueGroups}))
        return;
    if (!st.Data().SendsCheckedCalls() || !RebuildGroupsBySet(st)) {
        while (RebuildNextGroup(st)) {
        }
    }
    st.rsList.Close();
}

} // namespace tolvane

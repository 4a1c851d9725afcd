#include "command/update_command.h"

#include "data/connection_texts.h"
#include "data/open_connection.h"
#include "data/run_lock.h"
#include "data/run_state.h"
#include "data/thai_columns.h"
#include "data/version_brand.h"
#include "data/write_probe.h"
#include "text/error.h"
#include "text/versions.h"
#include "transfer/run_record.h"
#include "transfer/verify_price_list.h"

#include <QFileInfo>

namespace tolvane {

namespace {

const QString kFinished = QStringLiteral("เสร็จแล้วจ้า");
const QString kFailed = QStringLiteral("ไม่สามรถบันทึกได้");
const QString kTargetPathBlank = QStringLiteral("ยังมิได้กำหนดที่อยู่ข้อมูล");
const QString kTargetAccdbMissing = QStringLiteral("ที่จัดเก็บข้อมูล  Velmora.accdb  หาไม่พบ");
const QString kTargetMdbMissing = QStringLiteral("ที่จัดเก็บข้อมูล  Velmora.mdb  หาไม่พบ");
const QString kWrongVersion =
    QStringLiteral("กำหนด Vertion ของฐานข้อมูลผิด  ให้ติดต่อผู้ติดตั้งระบบ  หรือ  ผู้จำหน่าย VelmoraSoft");

// The captions of the two path fields, as the clerk finds them on the window.
const QString kListField = QStringLiteral("ที่จัดเก็บข้อมูลPriceList");
const QString kShopField = QStringLiteral("ข้อมูล Access ที่จัดเก็บ Velmora");

constexpr int kArrowPointer = 1;
constexpr int kBusyPointer = 13;

// A plain, visible file: a folder or a hidden file does not count.
bool PlainFileExists(const QString& path) {
    const QFileInfo info(path);
    return info.exists() && info.isFile() && !info.isHidden();
}

void Restore(Window& w) {
    w.SetMousePointer(kArrowPointer);
    w.SetUpdateEnabled(true);
}

void CloseConnections(RunState& st) {
    if (st.cnPriceList)
        st.cnPriceList->Close();
    if (st.cnData)
        st.cnData->Close();
}

// Runs `step`, ignoring any error: the handler's clean-up must reach its end.
template <typename Step> void Quietly(Step step) {
    try {
        step();
    } catch (...) {
    }
}

// After an error: nothing half-done stays pending, both databases are let go, and
// the operator can press the button again.
void HandleFailure(RunState& st, const QString& detail, const QString& advice) {
    Quietly([&] {
        if (st.cnData && st.cnData->InTransaction())
            st.cnData->RollbackTrans();
    });
    Quietly([&] {
        if (st.observer)
            st.observer->AfterLastWrite(st);
    });
    Quietly([&] { st.rsList.Close(); });
    Quietly([&] { st.rsData.Close(); });
    Quietly([&] { st.rsWork.Close(); });
    Quietly([&] {
        if (st.cnPriceList)
            st.cnPriceList->Close();
    });
    Quietly([&] {
        if (st.cnData)
            st.cnData->Close();
    });
    st.window.ShowMessage(kFailed, kNoIcon, detail, advice);
    Restore(st.window);
}

// The path checks; false (after the message) when the run must not start.
bool CheckPaths(RunState& st) {
    Window& w = st.window;
    const FormFields f = w.Fields();
    const QString source = TrimBlanks(f.txtPriceList);
    if (source.isEmpty()) {
        w.ShowMessage("ยังมิได้กำหนดที่อยู่ข้อมูล  PriceList_" + st.strBrand + ".mdb", kExclamation,
                      QString(), ThaiSentence(Failure::PathBlank, {kListField}));
        return false;
    }
    if (!PlainFileExists(source)) {
        w.ShowMessage("ที่จัดเก็บข้อมูล  PriceList_" + st.strBrand + ".mdb  หาไม่พบ", kExclamation,
                      QString(), ThaiSentence(Failure::FileMissing, {source}));
        return false;
    }
    if (!f.optAccess)
        return true;
    const QString target = TrimBlanks(f.txtDataVelmora);
    if (target.isEmpty()) {
        w.ShowMessage(kTargetPathBlank, kExclamation, QString(),
                      ThaiSentence(Failure::PathBlank, {kShopField}));
        return false;
    }
    if (!PlainFileExists(target)) {
        w.ShowMessage(EndsWithAccdb(target) ? kTargetAccdbMissing : kTargetMdbMissing, kExclamation,
                      QString(), ThaiSentence(Failure::FileMissing, {target}));
        return false;
    }
    return true;
}

void Work(RunState& st, RunLock& lock) {
    Window& w = st.window;
    w.SetTxtQTY("กำลังย้าน  Price " + st.strBrand + "  ชั่วคราว");
    w.Yield();
    // One run per shop: a second one is refused here, before anything is opened.
    lock.Take(st);
    OpenPriceListConnection(st);
    OpenConnection(st);
    // The version message names the version this run read, none when it read none.
    st.strVer.clear();
    if (GetDBVersion(st) == 0) {
        CloseConnections(st);
        w.ShowMessage(kWrongVersion, kQuestion, QString(),
                      ThaiSentence(Failure::UnknownVersion, {TrimBlanks(st.strVer)}));
        return;
    }
    GetBrandID(st);
    if (st.lngBrandID == 0) {
        CloseConnections(st);
        w.ShowMessage("ไม่สามารถหา Files " + st.strBrand + " ไม่สามารถบันทึกได้", kQuestion, QString(),
                      ThaiSentence(Failure::BrandMissing, {st.strBrand}));
        return;
    }
    // A list the run would stop on halfway is refused before the first write.
    if (st.observer)
        st.observer->BeforeListCheck(st);
    const QString list = VerifyPriceList(st);
    CheckThaiColumns(st);
    // The run stages what it cannot price at once in the shop's PriceList table, and
    // records where it stands before its first statement there: a shop without one is
    // refused here, before that record is written.
    if (!st.Data().HasTable(QStringLiteral("PriceList"))) {
        // A catalog without the System table just read was not read at all (a session
        // lost): reading the version again raises the driver's reason.
        if (!st.Data().HasTable(QStringLiteral("System")))
            GetDBVersion(st);
        throw Error(Failure::NotAShop, {ShopInThai(st.window.Fields())},
                    QStringLiteral("The shop database has no PriceList table, where the run "
                                   "stages the parts it cannot price at once; nothing was "
                                   "written to the shop."));
    }
    // Both files take a write (tried and undone) before the first one.
    CheckWritable(st.Data());
    CheckWritable(st.PriceList());
    // Where the last run on this shop stopped, if it was cut short: read before any write.
    RunRecord record(st, list);
    if (st.observer)
        st.observer->BeforeFirstWrite(st);
    RunTransfer(st, record);
    if (st.observer)
        st.observer->AfterLastWrite(st);
    CloseConnections(st);
    w.ShowMessage(kFinished, kNoIcon);
}

} // namespace

void cmdUpDate_Click(RunState& st) {
    Window& w = st.window;
    // Held from before the first write until the command ends, however it ends.
    RunLock lock;
    st.timeoutRefusalsTold.clear();
    try {
        w.SetMousePointer(kBusyPointer);
        w.SetUpdateEnabled(false);
        if (CheckPaths(st))
            Work(st, lock);
        Restore(w);
    } catch (const Error& e) {
        HandleFailure(st, e.detail(), e.advice());
    } catch (const std::exception& e) {
        HandleFailure(st, QString::fromLocal8Bit(e.what()), ThaiSentence(Failure::Unexpected));
    }
}

} // namespace tolvane

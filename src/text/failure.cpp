#include "text/failure.h"

#include <array>

namespace tolvane {

namespace {

// Every sentence the clerk reads about a failure, in the order of Failure. %1, %2, ...
// are the facts.
constexpr std::array<const char16_t*, 19> kFailures = {
    // Unexpected
    u"เกิดข้อผิดพลาดที่โปรแกรมแก้เองไม่ได้ ให้แจ้งผู้ดูแลระบบพร้อมรายละเอียดของข้อผิดพลาดนี้",
    // PathBlank
    u"ยังไม่ได้ใส่ที่อยู่ไฟล์ในช่อง \"%1\" ให้ใส่ที่อยู่ไฟล์ แล้วกด UpDate อีกครั้ง",
    // FileMissing
    u"ไม่พบไฟล์ %1 ให้ตรวจชื่อไฟล์และโฟลเดอร์ (รวมทั้งไดรฟ์หรือเครือข่ายที่เก็บไฟล์) "
    u"แล้วกด UpDate อีกครั้ง",
    // FileUnreadable
    u"เปิดอ่านไฟล์ %1 ไม่ได้ เพราะไม่มีสิทธิ์อ่าน ให้ผู้ดูแลระบบแก้สิทธิ์ของไฟล์นี้ "
    u"แล้วกด UpDate อีกครั้ง",
    // FileNotWritable
    u"บันทึกลง %1 ไม่ได้ (อ่านได้อย่างเดียว ไม่มีสิทธิ์เขียน หรือพื้นที่เต็ม) "
    u"ให้ผู้ดูแลระบบแก้ให้บันทึกได้ แล้วกด UpDate อีกครั้ง",
    // FileHeld
    u"%1 ถูกโปรแกรมอื่นเปิดใช้อยู่ ให้ปิดโปรแกรมที่เปิดค้างไว้ (เช่น โปรแกรมร้านหรือ Access) "
    u"แล้วกด UpDate อีกครั้ง",
    // RunBusy
    u"มีการปรับราคาของร้านนี้กำลังทำอยู่จากเครื่อง %1 ตั้งแต่ %2 ให้รอจนเสร็จ "
    u"แล้วกด UpDate อีกครั้ง",
    // NotAShop
    u"%1 ไม่ใช่ฐานข้อมูลร้าน Velmora (อาจเป็นไฟล์รายการราคาหรือไฟล์อื่น) "
    u"ให้แก้ช่องข้อมูลร้านให้ชี้ไปที่ฐานข้อมูลของร้าน แล้วกด UpDate อีกครั้ง",
    // NotAList
    u"%1 ไม่ใช่ไฟล์รายการราคา ให้แก้ช่อง \"ที่จัดเก็บข้อมูลPriceList\" "
    u"ให้ชี้ไปที่ไฟล์รายการราคาจากผู้จำหน่าย แล้วกด UpDate อีกครั้ง",
    // ListRefused
    u"รายการราคาจากผู้จำหน่ายมีข้อมูลที่ใช้ไม่ได้: ตาราง %1 แถวที่ %2 ช่อง %3 มีค่า %4 "
    u"จึงยังไม่ได้แก้ไขข้อมูลร้านเลย ให้แจ้งผู้จำหน่ายให้แก้แล้วส่งไฟล์มาใหม่",
    // ListDamaged
    u"ไฟล์รายการราคาไม่ครบหรือผิดรูปแบบ (ตาราง %1) จึงยังไม่ได้แก้ไขข้อมูลร้านเลย "
    u"ให้แจ้งผู้จำหน่ายให้ส่งไฟล์มาใหม่",
    // LoginRefused
    u"เข้าฐานข้อมูลบนเซิร์ฟเวอร์ %1 ไม่ได้ เพราะชื่อผู้ใช้ (Login) รหัสผ่าน (Password) "
    u"หรือชื่อฐานข้อมูลไม่ถูกต้อง ให้ตรวจแล้วกด UpDate อีกครั้ง",
    // ConnectionLost
    u"ติดต่อเซิร์ฟเวอร์ %1 ไม่ได้ หรือการเชื่อมต่อขาดระหว่างทำงาน "
    u"ให้ตรวจว่าเครื่องแม่เปิดอยู่และเครือข่ายใช้ได้ แล้วกด UpDate อีกครั้ง",
    // NoDriver
    u"เครื่องนี้ยังไม่มีตัวเชื่อมต่อฐานข้อมูล (ODBC driver) ที่ใช้เปิด %1 "
    u"ให้ผู้ดูแลระบบติดตั้งให้",
    // UnknownVersion
    u"ฐานข้อมูลร้านเป็นรุ่น \"%1\" ซึ่งโปรแกรมนี้ไม่รู้จัก จึงไม่ได้แก้ไขอะไร "
    u"ให้ติดต่อผู้ติดตั้งระบบ",
    // BrandMissing
    u"ฐานข้อมูลร้านไม่มียี่ห้อ %1 ในตาราง Brand จึงไม่ได้แก้ไขอะไร ให้ติดต่อผู้ติดตั้งระบบ",
    // CutShort
    u"การปรับราคาครั้งก่อน (เริ่มเมื่อ %1) หยุดไปกลางคัน "
    u"ให้กด UpDate กับรายการราคาเดิมอีกครั้งเพื่อทำต่อให้เสร็จ",
    // ListBusy
    u"มีการปรับราคาจากเครื่อง %1 ที่ใช้ไฟล์รายการราคา %3 อยู่ตั้งแต่ %2 ให้รอจนเสร็จ "
    u"แล้วกด UpDate อีกครั้ง",
    // StaleLog
    u"ข้างไฟล์ %1 มีไฟล์ %2 ค้างอยู่ ซึ่งไม่ใช่ของไฟล์นี้ (อาจค้างจากไฟล์เดิมที่ถูกคัดลอกทับ) "
    u"ให้ปิดโปรแกรมที่เปิดไฟล์นี้อยู่ ลบไฟล์ %2 แล้วกด UpDate อีกครั้ง",
};

static_assert(kFailures.size() == static_cast<std::size_t>(Failure::StaleLog) + 1);

// The sentences of the notices, in the order of NoticeKind.
constexpr std::array<const char16_t*, 9> kNotices = {
    // CounterRepaired
    u"โปรแกรมแก้ตัวนับรหัส %1 ที่ผิดให้ถูกต้องแล้ว ไม่ต้องทำอะไร",
    // NoRunLock
    u"ฐานข้อมูลร้านแบบนี้กันการปรับราคาซ้อนกันไม่ได้ อย่ากด UpDate จากสองเครื่องพร้อมกัน",
    // StatementTimeout
    u"ตัวเชื่อมต่อ (ODBC driver) ของ%1ไม่รับเวลารอสูงสุดที่โปรแกรมตั้ง ถ้าโปรแกรมค้างนานผิดปกติ "
    u"ให้ดูว่ามีโปรแกรมอื่นใช้ฐานข้อมูลอยู่หรือไม่",
    // NetworkJournal
    u"ไฟล์ %1 อยู่บนเครือข่าย ระหว่างปรับราคาอย่าให้เครื่องอื่นเปิดไฟล์นี้",
    // DoublyNamed
    u"เบอร์ %1 มีหลายบรรทัดในชุดที่ %2 แต่ข้อมูลไม่เหมือนกัน ถ้าร้านยังไม่มีเบอร์นี้ "
    u"โปรแกรมจะสร้างจากบรรทัดใดบรรทัดหนึ่ง ให้ตรวจเบอร์นี้หลังปรับราคา",
    // MoreDoublyNamed
    u"และยังมีอีก %1 เบอร์ที่มีหลายบรรทัดในชุดเดียวกันแต่ข้อมูลไม่เหมือนกัน",
    // SettingsDefault
    u"ไฟล์ตั้งค่า %1 อ่านไม่ได้หรือมีค่าที่ผิด โปรแกรมจึงใช้ค่าตั้งต้นแทน "
    u"ให้ผู้ดูแลระบบแก้ไฟล์นี้",
    // CutShortFinished
    u"การปรับราคาครั้งก่อน (เริ่มเมื่อ %1) หยุดไปกลางคัน ครั้งนี้โปรแกรมทำต่อจนเสร็จก่อน "
    u"แล้วจึงปรับราคาตามรายการนี้อีกรอบ ไม่ต้องทำอะไร",
    // CutShortAfresh
    u"การปรับราคาครั้งก่อน (เริ่มเมื่อ %1) หยุดไปกลางคันและทำต่อไม่ได้ (ใช้รายการราคาคนละชุด "
    u"หรือไฟล์รายการราคาเปลี่ยนไป) ครั้งนี้จึงปรับราคาตามรายการนี้ตั้งแต่ต้น "
    u"ให้ตรวจราคาของร้านหลังปรับราคา",
};

static_assert(kNotices.size() == static_cast<std::size_t>(NoticeKind::CutShortAfresh) + 1);

// %1 to %9 replaced by the facts in one pass, so a fact that holds "%2" stays as it is.
QString Fill(const char16_t* sentence, const QStringList& facts) {
    const QString text = QString::fromUtf16(sentence);
    QString out;
    out.reserve(text.size() + 64);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'%' && i + 1 < text.size() && text[i + 1] >= u'1' && text[i + 1] <= u'9') {
            const qsizetype n = text[i + 1].unicode() - u'1';
            out += n < facts.size() && !facts[n].isEmpty() ? facts[n] : QStringLiteral("(ไม่ทราบ)");
            ++i;
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace

QString FileInThai(const QString& path) {
    return QStringLiteral("ไฟล์ ") + path;
}

QString DatabaseInThai(const QString& server, const QString& database) {
    return QStringLiteral("ฐานข้อมูล %1 บนเซิร์ฟเวอร์ %2").arg(database, server);
}

QString ThaiSentence(Failure kind, const QStringList& facts) {
    return Fill(kFailures.at(static_cast<std::size_t>(kind)), facts);
}

QString ThaiSentence(NoticeKind kind, const QStringList& facts) {
    return Fill(kNotices.at(static_cast<std::size_t>(kind)), facts);
}

} // namespace tolvane

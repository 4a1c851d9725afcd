#include "sample/sample_vocabulary.h"

#include <vector>

namespace tolvane::sample {

namespace {

const std::vector<PartName>& Names() {
    static const std::vector<PartName> names = {
        {"OIL FILTER", "ไส้กรองน้ำมันเครื่อง"},
        {"FUEL FILTER", "ไส้กรองน้ำมันเชื้อเพลิง"},
        {"AIR FILTER", "ไส้กรองอากาศ"},
        {"FRONT BRAKE PAD", "ผ้าเบรกหน้า"},
        {"REAR BRAKE SHOE", "ผ้าเบรกหลัง"},
        {"BRAKE DISC", "จานเบรก"},
        {"BRAKE MASTER CYLINDER", "แม่ปั๊มเบรก"},
        {"CLUTCH MASTER CYLINDER", "แม่ปั๊มคลัทช์"},
        {"CLUTCH DISC", "แผ่นคลัทช์"},
        {"CLUTCH COVER", "หวีคลัทช์"},
        {"SPARK PLUG", "หัวเทียน"},
        {"GLOW PLUG", "หัวเผา"},
        {"INJECTION NOZZLE", "หัวฉีด"},
        {"FAN BELT", "สายพานหน้าเครื่อง"},
        {"TIMING BELT", "สายพานราวลิ้น"},
        {"FRONT WHEEL BEARING", "ลูกปืนล้อหน้า"},
        {"REAR WHEEL BEARING", "ลูกปืนล้อหลัง"},
        {"FRONT SHOCK ABSORBER", "โช้คอัพหน้า"},
        {"REAR SHOCK ABSORBER", "โช้คอัพหลัง"},
        {"HEAD LAMP", "ไฟหน้า"},
        {"TAIL LAMP", "ไฟท้าย"},
        {"SIDE MIRROR", "กระจกมองข้าง"},
        {"PISTON RING SET", "แหวนลูกสูบ"},
        {"CYLINDER HEAD GASKET", "ปะเก็นฝาสูบ"},
        {"VALVE COVER GASKET", "ปะเก็นฝาวาล์ว"},
        {"WATER PUMP", "ปั๊มน้ำ"},
        {"FUEL PUMP", "ปั๊มเชื้อเพลิง"},
        {"RADIATOR", "หม้อน้ำ"},
        {"THERMOSTAT", "วาล์วน้ำ"},
        {"ALTERNATOR", "ไดชาร์จ"},
        {"STARTER MOTOR", "ไดสตาร์ท"},
        {"TIE ROD END", "ลูกหมากคันชัก"},
        {"BALL JOINT", "ลูกหมากปีกนก"},
        {"ENGINE MOUNTING", "ยางแท่นเครื่อง"},
        {"LEAF SPRING", "แหนบ"},
        {"AXLE SHAFT", "เพลาข้าง"},
        {"OIL SEAL", "ซีลน้ำมัน"},
        {"WIPER BLADE", "ใบปัดน้ำฝน"},
        {"HORN", "แตร"},
        {"DOOR HANDLE", "มือเปิดประตู"},
        {"FRONT BUMPER", "กันชนหน้า"},
        // Quotes inside names: the supplier writes inches and O-rings this way.
        {"O'RING", "โอริง"},
        {"1/2\" HOSE", "ท่อยาง 1/2\""},
        {"3/8\" FUEL HOSE", "ท่อน้ำมัน 3/8\""},
    };
    return names;
}

const std::vector<PartName>& Qualifiers() {
    static const std::vector<PartName> qualifiers = {
        {" LH", " ซ้าย"}, {" RH", " ขวา"}, {" SET", " ชุด"}, {" (STD)", " (STD)"}};
    return qualifiers;
}

const std::vector<QString>& Models() {
    static const std::vector<QString> models = {
        "XENON 2.2",    "XENON 4X4", "ULTRA T.7", "ULTRA T.16", "PRIMA 4028.S",
        "PRIMA 2528.K", "SUPER ACE", "ACE GOLD",  "LPT 1613",   "SIGNA 4825.T",
    };
    return models;
}

QString Digits(Random& random, int count) {
    QString text;
    for (int i = 0; i < count; ++i)
        text += QChar('0' + random.Between(0, 9));
    return text;
}

} // namespace

PartName RandomName(Random& random) {
    PartName name = random.Pick(Names());
    if (random.Chance(0.2)) {
        const PartName& q = random.Pick(Qualifiers());
        name.en += q.en;
        name.th += q.th;
    }
    return name;
}

QString RandomModel(Random& random) {
    const double draw = random.Unit();
    if (draw < 0.1)
        return QString();
    if (draw < 0.25) {
        const QString first = random.Pick(Models());
        return first + "/" + random.Pick(Models());
    }
    return random.Pick(Models());
}

QString RandomKind(Random& random) {
    static const std::vector<QString> kinds = {"A", "B", "C", "T"};
    return random.Chance(0.7) ? QString() : random.Pick(kinds);
}

QString RandomImport(Random& random) {
    const double draw = random.Unit();
    return draw < 0.3 ? QString() : draw < 0.8 ? QStringLiteral("1") : QStringLiteral("2");
}

std::int64_t RandomPrice(Random& random) {
    // Most parts cost tens to a few thousand baht; a few (pumps, alternators) more.
    const double draw = random.Unit();
    if (draw < 0.35)
        return random.Between(35, 99) * 100;
    if (draw < 0.8)
        return random.Between(20, 199) * 500; // 100 to 995 baht in steps of 5
    if (draw < 0.97)
        return random.Between(100, 900) * 1000; // 1,000 to 9,000 in steps of 10
    const std::int64_t whole = random.Between(100, 2500) * 1000;
    return whole + random.Between(0, 3) * 25; // x.25, x.5, x.75
}

std::int64_t RandomSale(Random& random, std::int64_t price) {
    if (random.Chance(0.5))
        return price;
    const int percent = random.Between(85, 99);
    return price * percent / 100 / 100 * 100; // whole baht
}

std::int64_t RaisedPrice(Random& random, std::int64_t price) {
    const std::int64_t raised = price * random.Between(102, 112) / 100 / 100 * 100;
    return raised > price ? raised : price + 100;
}

QString AmountText(std::int64_t satang) {
    const bool negative = satang < 0;
    const std::int64_t magnitude = negative ? -satang : satang;
    QString text = QString::number(magnitude / 100);
    const std::int64_t fraction = magnitude % 100;
    if (fraction != 0) {
        text += QStringLiteral(".") + QStringLiteral("%1").arg(fraction, 2, 10, QChar('0'));
        if (text.endsWith('0'))
            text.chop(1);
    }
    return negative ? "-" + text : text;
}

QString CompactNumber(const QString& number) {
    QString compact = number.trimmed();
    compact.remove(' ').remove('/').remove('-');
    return compact;
}

// The groups are drawn one statement at a time: the order in which the operands of
// one expression are evaluated differs between compilers, the draws must not.
QString PartNumbers::Draw(Random& random) const {
    const double style = random.Unit();
    if (style >= 0.9)
        return Digits(random, 12);
    const bool short_ = style >= 0.6 && style < 0.8;
    const QString separator = style >= 0.8 ? QStringLiteral(" ") : QStringLiteral("-");
    QString number = Digits(random, short_ ? 2 : 4);
    number += separator + Digits(random, 4);
    number += separator + Digits(random, short_ ? 3 : 4);
    if (short_)
        number += QStringLiteral("/") + QChar('A' + random.Between(0, 3));
    return number;
}

QString PartNumbers::Next(Random& random) {
    for (;;) {
        const QString number = Draw(random);
        const QString compact = CompactNumber(number);
        if (!used_.contains(compact)) {
            used_.insert(compact);
            return number;
        }
    }
}

} // namespace tolvane::sample

#include "report/report_html.h"

#include "report/report_change.h"
#include "transfer/verify_price_list.h"

#include <algorithm>
#include <array>

namespace tolvane::report {

namespace {

// The page is built by appending to one reserved string: a run can change tens of
// thousands of prices, and each row costs only a few appends.
class Page {
public:
    explicit Page(qsizetype reserve) { text_.reserve(reserve); }

    Page& operator<<(QStringView raw) {
        text_ += raw;
        return *this;
    }
    Page& operator<<(const char16_t* raw) { return *this << QStringView(raw); }
    Page& operator<<(const QString& raw) { return *this << QStringView(raw); }

    // Text from the data: escaped for element content and quoted attribute values.
    Page& Escaped(QStringView text) {
        for (const QChar c : text) {
            switch (c.unicode()) {
            case u'&':
                text_ += u"&amp;";
                break;
            case u'<':
                text_ += u"&lt;";
                break;
            case u'>':
                text_ += u"&gt;";
                break;
            case u'"':
                text_ += u"&quot;";
                break;
            case u'\'':
                text_ += u"&#39;";
                break;
            default:
                text_ += c;
            }
        }
        return *this;
    }

    QString Take() { return std::move(text_); }

private:
    QString text_;
};

const char16_t kStyle[] = uR"(<style>
body { font-family: Tahoma, Loma, "Noto Sans Thai", Garuda, sans-serif; font-size: 14px;
  line-height: 1.5; color: #1f2328; margin: 24px; }
h1 { font-size: 24px; margin: 0 0 8px; }
h2 { font-size: 18px; margin: 28px 0 10px; padding-bottom: 4px; border-bottom: 2px solid #d0d7de; }
h3 { font-size: 15px; margin: 16px 0 6px; }
.card h3, .pair h3 { margin-top: 0; }
.banner { padding: 10px 14px; margin: 12px 0; border-radius: 6px; }
.banner.test { background: #fff8c5; border: 1px solid #d4a72c; }
.banner.fail { background: #ffebe9; border: 1px solid #cf222e; color: #82071e; }
table { border-collapse: collapse; }
th, td { padding: 3px 8px; text-align: left; vertical-align: top; border-bottom: 1px solid #d8dee4; }
thead th { background: #eef1f4; border-bottom: 2px solid #afb8c1; white-space: nowrap; }
tbody tr:nth-child(even) { background: #f6f8fa; }
.num { text-align: right; white-space: nowrap; font-variant-numeric: tabular-nums; }
td.to::before, table.ch td:nth-child(5)::before, table.ch td:nth-child(7)::before {
  content: "\2192\00a0"; color: #8c959f; }
table.ch td:nth-child(n+4) { text-align: right; white-space: nowrap;
  font-variant-numeric: tabular-nums; }
.up { color: #b42318; }
.down { color: #1a7f37; }
.none { color: #6e7781; }
.facts th { font-weight: normal; color: #57606a; white-space: nowrap; }
pre.error { margin: 8px 0; padding: 8px; background: #f6f8fa; border: 1px solid #cf222e;
  white-space: pre-wrap; overflow-wrap: anywhere; }
.cards { display: flex; flex-wrap: wrap; gap: 12px; align-items: flex-start; }
.card { border: 1px solid #d0d7de; border-radius: 6px; padding: 8px 12px; }
.card td, .card th { border: none; padding: 1px 6px; }
.card tbody tr:nth-child(n) { background: none; }
.card tr.total td { font-weight: bold; border-top: 1px solid #d0d7de; }
.pair { display: flex; flex-wrap: wrap; gap: 24px; align-items: flex-start; }
svg.chart { display: block; max-width: 100%; height: auto; font-family: inherit; }
th.sortable { cursor: pointer; }
th[aria-sort="ascending"]::after { content: " \25B2"; }
th[aria-sort="descending"]::after { content: " \25BC"; }
button.print { float: right; font: inherit; padding: 4px 12px; }
.check { border: 2px solid #d4a72c; border-radius: 6px; padding: 4px 14px 10px; background: #fffbeb; }
.check h2 { border-bottom-color: #d4a72c; }
details { margin: 6px 0; }
summary { cursor: pointer; font-weight: bold; padding: 2px 0; }
p.thai { margin: 8px 0 2px; font-weight: bold; }
.en { color: #57606a; font-size: 12px; }
@page { size: A4; margin: 12mm; }
@media print {
  body { margin: 0; font-size: 9pt; }
  h2 { break-after: avoid; }
  thead { display: table-header-group; }
  table.sort { width: 100%; }
  th, td { padding: 2px 5px; }
  tr, .card, svg.chart { break-inside: avoid; }
  button, .noprint { display: none !important; }
  th[aria-sort]::after { content: none; }
  .banner, thead th { print-color-adjust: exact; -webkit-print-color-adjust: exact; }
}
</style>
)";

// Sorts a table by the header cell clicked: numbers by their exact decimal text,
// other columns by Thai collation. Only the screen needs it.
const char16_t kScript[] = uR"(<script>
(function () {
  "use strict";
  var collator = new Intl.Collator("th");
  var decimal = /^-?\d+(\.\d+)?$/;
  // Exact order of two decimal texts, however many digits they have.
  function compareDecimal(a, b) {
    var na = a.charAt(0) === "-", nb = b.charAt(0) === "-";
    if (na !== nb) return na ? -1 : 1;
    var x = a.replace("-", "").split("."), y = b.replace("-", "").split(".");
    var r = x[0].length - y[0].length;
    if (r === 0) r = x[0] < y[0] ? -1 : x[0] > y[0] ? 1 : 0;
    if (r === 0) {
      var fx = (x[1] || "").padEnd(4, "0"), fy = (y[1] || "").padEnd(4, "0");
      r = fx < fy ? -1 : fx > fy ? 1 : 0;
    }
    return na ? -r : r;
  }
  function key(cell, numeric) {
    if (!cell) return null;
    var v = cell.hasAttribute("data-v") ? cell.getAttribute("data-v")
                                        : cell.textContent.trim();
    if (numeric) {
      v = v.replace(/,/g, "");
      return decimal.test(v) ? v : null;
    }
    return v;
  }
  // A long list is split into pages, one table each: a sort orders the whole list
  // and deals it out to the pages again, each keeping its number of rows.
  function pagesOf(table) {
    var group = table.getAttribute("data-list");
    return group ? Array.prototype.slice.call(
                       document.querySelectorAll('table.sort[data-list="' + group + '"]'))
                 : [table];
  }
  function sortBy(table, th, column) {
    var numeric = th.classList.contains("num");
    var down = th.getAttribute("aria-sort") === "ascending";
    var tables = pagesOf(table);
    tables.forEach(function (t) {
      var cells = t.tHead.rows[0].cells;
      for (var i = 0; i < cells.length; i++) cells[i].removeAttribute("aria-sort");
      cells[column].setAttribute("aria-sort", down ? "descending" : "ascending");
    });
    // Rows are moved while their bodies are out of the document, so that moving them
    // costs no style work; each page is laid out once when its body returns.
    var bodies = tables.map(function (t) {
      var b = t.tBodies[0];
      t.removeChild(b);
      return b;
    });
    var counts = bodies.map(function (b) { return b.rows.length; });
    var rows = [];
    bodies.forEach(function (b) {
      Array.prototype.forEach.call(b.rows, function (row) {
        rows.push({ row: row, index: rows.length, key: key(row.cells[column], numeric) });
      });
    });
    rows.sort(function (a, b) {
      // Rows without a value stay last either way.
      if (a.key === null || b.key === null)
        return (a.key === null) - (b.key === null) || a.index - b.index;
      var r = numeric ? compareDecimal(a.key, b.key) : collator.compare(a.key, b.key);
      return (down ? -r : r) || a.index - b.index;
    });
    var next = 0;
    tables.forEach(function (t, i) {
      var fresh = document.createElement("tbody");
      for (var n = 0; n < counts[i]; n++) fresh.appendChild(rows[next++].row);
      t.appendChild(fresh);
    });
  }
  document.querySelectorAll("table.sort").forEach(function (table) {
    Array.prototype.forEach.call(table.tHead.rows[0].cells, function (th, column) {
      th.classList.add("sortable");
      th.title = "คลิกเพื่อเรียงลำดับ";
      th.addEventListener("click", function () { sortBy(table, th, column); });
    });
  });
  var print = document.createElement("button");
  print.type = "button";
  print.className = "print";
  print.textContent = "พิมพ์รายงาน";
  print.addEventListener("click", function () { window.print(); });
  document.body.insertBefore(print, document.body.firstChild);
  // A printout holds every page of every list; the screen goes back as it was.
  var folded = [];
  window.addEventListener("beforeprint", function () {
    folded = Array.prototype.filter.call(document.querySelectorAll("details"),
                                         function (d) { return !d.open; });
    folded.forEach(function (d) { d.open = true; });
  });
  window.addEventListener("afterprint", function () {
    folded.forEach(function (d) { d.open = false; });
  });
})();
</script>
)";

// ---- Formatting ----

// An amount with thousands grouped and at least two decimals, exact: 1,250.00, 0.125.
QString DisplayAmount(Currency amount) {
    QString text = amount.ToText();
    const bool negative = text.startsWith(u'-');
    if (negative)
        text.remove(0, 1);
    qsizetype point = text.indexOf(u'.');
    if (point < 0) {
        point = text.size();
        text += u".00";
    } else if (text.size() - point == 2) {
        text += u'0';
    }
    for (qsizetype i = point - 3; i > 0; i -= 3)
        text.insert(i, u',');
    return negative ? u'-' + text : text;
}

// Date and time as Thai readers write them: day, short month, Buddhist-era year.
QString ThaiDateTime(const QDateTime& time) {
    static const std::array<const char16_t*, 12> kMonths = {u"ม.ค.", u"ก.พ.", u"มี.ค.", u"เม.ย.",
                                                            u"พ.ค.", u"มิ.ย.", u"ก.ค.", u"ส.ค.",
                                                            u"ก.ย.", u"ต.ค.", u"พ.ย.", u"ธ.ค."};
    if (!time.isValid())
        return QStringLiteral("ไม่ทราบ");
    const QDate date = time.date();
    return QStringLiteral("%1 %2 %3 เวลา %4 น.")
        .arg(date.day())
        .arg(QString::fromUtf16(kMonths[static_cast<std::size_t>(date.month() - 1)]))
        .arg(date.year() + 543)
        .arg(time.time().toString(QStringLiteral("HH:mm:ss")));
}

QString ThaiDuration(const QDateTime& started, const QDateTime& ended) {
    if (!started.isValid() || !ended.isValid())
        return QStringLiteral("ไม่ทราบ");
    const qint64 seconds = started.secsTo(ended);
    if (seconds < 1)
        return QStringLiteral("ไม่ถึง 1 วินาที");
    QStringList parts;
    if (seconds >= 3600)
        parts << QStringLiteral("%1 ชั่วโมง").arg(seconds / 3600);
    if (seconds >= 60)
        parts << QStringLiteral("%1 นาที").arg(seconds / 60 % 60);
    parts << QStringLiteral("%1 วินาที").arg(seconds % 60);
    return parts.join(u' ');
}

QString RoleText(CreatedRole role) {
    switch (role) {
    case CreatedRole::Own:
        return QStringLiteral("สินค้าตามรายการ");
    case CreatedRole::Linked:
        return QStringLiteral("เบอร์เชื่อมโยง");
    case CreatedRole::Alternate:
        return QStringLiteral("เบอร์แทน");
    case CreatedRole::Unknown:
        break;
    }
    return QStringLiteral("ไม่ทราบประเภท");
}

// ---- Cells ----

void TextCell(Page& page, QStringView text) {
    page << u"<td>";
    page.Escaped(text) << u"</td>";
}

// An amount; `to` marks the new value of a pair. The shown text is exact (the script
// sorts it with the grouping commas taken out), so no sort value is needed beside it.
void AmountCell(Page& page, Currency amount, bool to = false) {
    page << (to ? u"<td class=\"num to\">" : u"<td class=\"num\">") << DisplayAmount(amount)
         << u"</td>";
}

void PercentCell(Page& page, const std::optional<Change>& change) {
    if (!change) {
        page << u"<td class=\"num none\">ไม่มีราคาเดิม</td>";
        return;
    }
    const int sign = change->sign();
    page << (sign > 0   ? u"<td class=\"num up\""
             : sign < 0 ? u"<td class=\"num down\""
                        : u"<td class=\"num\"")
         << u" data-v=\"" << change->PercentNumber() << u"\">" << change->PercentText() << u"</td>";
}

void CountCell(Page& page, QStringView key, qsizetype count) {
    page << u"<td class=\"num\" data-count=\"" << key << u"\">" << QString::number(count)
         << u"</td>";
}

using Headers = std::initializer_list<const char16_t*>;
using Numeric = std::initializer_list<bool>;

// A table that the script may sort; `numeric` marks its number columns, `list` names
// the list a page of it belongs to.
// `kind` is a further class of the table (its cells' look by column).
void TableHead(Page& page, Headers headers, Numeric numeric, QStringView list = {},
               QStringView kind = {}) {
    page << (kind.isEmpty() ? u"<table class=\"sort" : u"<table class=\"sort ") << kind << u"\"";
    if (!list.isEmpty())
        page << u" data-list=\"" << list << u"\"";
    page << u"><thead><tr>";
    auto n = numeric.begin();
    for (const char16_t* header : headers) {
        const bool isNumber = n != numeric.end() && *n++;
        page << (isNumber ? u"<th class=\"num\">" : u"<th>") << header << u"</th>";
    }
    page << u"</tr></thead><tbody>\n";
}

// Rows of a long list per page: a page lays out in a blink, so the report opens at
// once however many parts the run changed, with only the first page unfolded.
constexpr std::size_t kPageRows = 500;

// A list as one table, or, when longer than a page, as folded pages of one table each
// that the script sorts as one list.
template <typename Row, typename WriteRow>
void PagedTable(Page& page, QStringView list, Headers headers, Numeric numeric,
                const std::vector<Row>& rows, WriteRow writeRow, QStringView kind = {}) {
    const bool paged = rows.size() > kPageRows;
    for (std::size_t first = 0; first < rows.size(); first += kPageRows) {
        const std::size_t last = std::min(rows.size(), first + kPageRows);
        if (paged)
            page << (first == 0 ? u"<details open><summary>" : u"<details><summary>") << u"รายการที่ "
                 << QString::number(first + 1) << u" ถึง " << QString::number(last) << u" จาก "
                 << QString::number(rows.size()) << u"</summary>\n";
        TableHead(page, headers, numeric, list, kind);
        for (std::size_t i = first; i < last; ++i)
            writeRow(rows[i]);
        page << u"</tbody></table>\n";
        if (paged)
            page << u"</details>\n";
    }
}

const Headers kChangeHeaders = {u"รหัสสินค้า",   u"ชื่อสินค้า",     u"รุ่น",         u"ราคาตั้งเดิม",
                                u"ราคาตั้งใหม่", u"ราคาขายเดิม", u"ราคาขายใหม่", u"ราคาตั้งเปลี่ยน"};
const Numeric kChangeNumeric = {false, false, false, true, true, true, true, true};

// One changed part; a row to check carries its part ID for programs that read the page.
void ChangeRow(Page& page, const PriceChange& c, bool withId = false) {
    if (withId)
        page << u"<tr data-part=\"" << QString::number(c.after.partId) << u"\">";
    else
        page << u"<tr>";
    TextCell(page, PartLabel(c.after));
    TextCell(page, c.after.tName);
    TextCell(page, c.after.model);
    // The table's class sets the amounts' look by column: tens of thousands of rows
    // cost fewer bytes to read that way.
    for (Currency amount : {c.before.price, c.after.price, c.before.sale, c.after.sale})
        page << u"<td>" << DisplayAmount(amount) << u"</td>";
    const std::optional<Change> change = PriceChangeOf(c);
    if (!change) {
        page << u"<td class=\"none\">ไม่มีราคาเดิม</td></tr>\n";
        return;
    }
    page << (change->sign() > 0   ? u"<td class=\"up\" data-v=\""
             : change->sign() < 0 ? u"<td class=\"down\" data-v=\""
                                  : u"<td data-v=\"")
         << change->PercentNumber() << u"\">" << change->PercentText() << u"</td></tr>\n";
}

// ---- Sections ----

void FactRow(Page& page, const char16_t* label, QStringView value) {
    page << u"<tr><th>" << label << u"</th>";
    TextCell(page, value);
    page << u"</tr>\n";
}

bool Failed(const RunFacts& run) {
    return !run.errorDetail.isEmpty() || !run.errorAdvice.isEmpty();
}

void Banners(Page& page, const RunFacts& run) {
    if (run.testRun)
        page << u"<div class=\"banner test\"><strong>รอบทดสอบ</strong> — "
                u"โปรแกรมทำงานกับสำเนาของข้อมูลเท่านั้น "
                u"ข้อมูลของร้านไม่มีการเปลี่ยนแปลงใด ๆ</div>\n";
    if (Failed(run))
        page << u"<div class=\"banner fail\"><strong>การทำงานไม่สำเร็จ</strong> — "
                u"ดูรายละเอียดข้อผิดพลาดด้านล่าง</div>\n";
}

// A Thai sentence with the English it stands for under it, for whoever looks after
// the machines.
void ThaiWithEnglish(Page& page, QStringView thai, QStringView english) {
    if (!thai.isEmpty()) {
        page.Escaped(thai);
        if (!english.isEmpty())
            page << u"<br>";
    }
    if (!english.isEmpty()) {
        page << u"<span class=\"en\">";
        page.Escaped(english) << u"</span>";
    }
}

void RunSection(Page& page, const RunFacts& run) {
    page << u"<h2 id=\"run\">การทำงานครั้งนี้</h2>\n<table class=\"facts\"><tbody>\n";
    FactRow(page, u"ฐานข้อมูลร้าน", run.shop);
    FactRow(page, u"รุ่นของฐานข้อมูล", run.version.isEmpty() ? QStringLiteral("ไม่ทราบ") : run.version);
    FactRow(page, u"ไฟล์รายการราคา", run.priceList);
    FactRow(page, u"เริ่ม", ThaiDateTime(run.started));
    FactRow(page, u"สิ้นสุด", ThaiDateTime(run.ended));
    FactRow(page, u"ใช้เวลา", ThaiDuration(run.started, run.ended));
    FactRow(page, u"ข้อความสุดท้าย", run.message);
    if (!run.backupPath.isEmpty())
        FactRow(page, u"ไฟล์สำรองข้อมูลก่อนแก้ไข", run.backupPath);
    page << u"</tbody></table>\n";
    if (Failed(run)) {
        page << u"<h3>รายละเอียดข้อผิดพลาด</h3>\n";
        if (!run.errorAdvice.isEmpty()) {
            page << u"<p class=\"thai\">";
            page.Escaped(run.errorAdvice) << u"</p>\n";
        }
        if (!run.errorDetail.isEmpty()) {
            page << u"<p class=\"en\">รายละเอียดสำหรับผู้ดูแลระบบ (ภาษาอังกฤษ)</p>\n"
                    u"<pre class=\"error\">";
            page.Escaped(run.errorDetail) << u"</pre>\n";
        }
    }
    if (!run.notices.isEmpty()) {
        page << u"<h3>ข้อสังเกตระหว่างทำงาน</h3>\n<ul>\n";
        for (qsizetype i = 0; i < run.notices.size(); ++i) {
            page << u"<li>";
            ThaiWithEnglish(page, run.thaiNotices.value(i), run.notices[i]);
            page << u"</li>\n";
        }
        page << u"</ul>\n";
    }
}

struct CountLine {
    QStringView label;
    QString key;
    std::optional<qsizetype> count; // empty: not read
    bool total = false;
};

void Card(Page& page, const char16_t* title, const std::vector<CountLine>& lines) {
    page << u"<div class=\"card\"><h3>" << title << u"</h3><table><tbody>\n";
    for (const CountLine& line : lines) {
        page << (line.total ? u"<tr class=\"total\"><td>" : u"<tr><td>") << line.label << u"</td>";
        if (line.count)
            CountCell(page, line.key, *line.count);
        else
            page << u"<td class=\"num none\" data-count=\"" << line.key << u"\">ไม่ได้อ่าน</td>";
        page << u"</tr>\n";
    }
    page << u"</tbody></table></div>\n";
}

void AppliedCard(Page& page, const AppliedRows& applied) {
    QStringList labels; // the lines' labels point into these
    for (const AppliedRows::Chunk& chunk : applied.chunks)
        labels << QStringLiteral("ชุดที่ %1").arg(chunk.number);
    std::vector<CountLine> lines;
    qsizetype total = 0;
    for (std::size_t i = 0; i < applied.chunks.size(); ++i) {
        const AppliedRows::Chunk& chunk = applied.chunks[i];
        lines.push_back({labels[qsizetype(i)],
                         QStringLiteral("list-rows-chunk-%1").arg(chunk.number), chunk.rows});
        total += chunk.rows;
    }
    if (applied.allBrandRows) {
        lines.push_back(
            {u"รอบรายการทุกยี่ห้อ", QStringLiteral("list-rows-all"), *applied.allBrandRows});
        total += *applied.allBrandRows;
    }
    lines.push_back({u"รวม", QStringLiteral("list-rows"), total, true});
    Card(page, u"แถวของรายการราคาที่นำไปใช้", lines);
}

void CreatedCard(Page& page, const std::vector<CreatedPart>& created) {
    std::array<qsizetype, 4> byRole{}; // in the order of CreatedRole
    for (const CreatedPart& part : created)
        ++byRole[static_cast<std::size_t>(part.role)];
    std::vector<CountLine> lines = {{u"สินค้าตามรายการ", QStringLiteral("created-own"), byRole[0]},
                                    {u"เบอร์เชื่อมโยง", QStringLiteral("created-linked"), byRole[1]},
                                    {u"เบอร์แทน", QStringLiteral("created-alternate"), byRole[2]}};
    if (byRole[3] != 0)
        lines.push_back({u"ไม่ทราบประเภท", QStringLiteral("created-unknown"), byRole[3]});
    lines.push_back({u"รวม", QStringLiteral("created"), qsizetype(created.size()), true});
    Card(page, u"สินค้าที่สร้างใหม่", lines);
}

void CountsSection(Page& page, const ReportData& data) {
    page << u"<h2 id=\"counts\">สรุปตัวเลข</h2>\n<div class=\"cards\">\n";
    AppliedCard(page, data.applied);
    Card(page, u"จำนวนสินค้าของยี่ห้อ",
         {{u"ก่อนปรับราคา", QStringLiteral("parts-before"), data.partsBefore},
          {u"หลังปรับราคา", QStringLiteral("parts-after"), data.partsAfter}});

    Card(page, u"ราคาตั้ง",
         {{u"ขึ้น", QStringLiteral("prices-up"), data.pricesUp},
          {u"ลง", QStringLiteral("prices-down"), data.pricesDown},
          {u"เท่าเดิม", QStringLiteral("prices-same"), data.pricesSame}});
    Card(page, u"ราคาขาย",
         {{u"ขึ้น", QStringLiteral("sales-up"), data.salesUp},
          {u"ลง", QStringLiteral("sales-down"), data.salesDown},
          {u"เท่าเดิม", QStringLiteral("sales-same"), data.salesSame}});
    Card(page, u"ชื่อและรุ่น",
         {{u"สินค้าที่ชื่อหรือรุ่นเปลี่ยน", QStringLiteral("texts-changed"), data.textsChanged}});
    CreatedCard(page, data.created);
    qsizetype newLines = 0;
    for (const DifferenceLine& line : data.differences)
        newLines += line.mark.trimmed() == u"New" ? 1 : 0;
    Card(page, u"รายการที่ยังต่างกัน",
         {{u"เป็นสินค้าใหม่ (New)", QStringLiteral("differences-new"), newLines},
          {u"รวม", QStringLiteral("differences"), qsizetype(data.differences.size()), true}});
    // The list check's notices on part numbers a chunk names more than once with
    // different values (listed with the run's notices), including those it only counted.
    qsizetype doublyNamed = 0;
    for (const QString& notice : data.run.notices)
        doublyNamed += DoublyNamedIn(notice);
    Card(page, u"เบอร์ซ้ำในรายการราคา",
         {{u"ระบุซ้ำในชุดเดียวกันแต่ค่าต่างกัน", QStringLiteral("doubly-named"), doublyNamed}});
    page << u"</div>\n";
}

// The bar chart of the buckets, drawn as inline SVG so that it needs nothing else.
void Chart(Page& page, const std::array<int, kBucketCount>& counts) {
    static const std::array<const char16_t*, kBucketCount> kLabels = {
        u"ต่ำกว่า -10 %", u"-10 ถึง -5 %", u"-5 ถึง 0 %", u"0 ถึง 5 %",
        u"5 ถึง 10 %",   u"10 ถึง 20 %",  u"20 % ขึ้นไป"};
    constexpr int kSlot = 100, kBar = 64, kTop = 56, kHeight = 180;
    const int most = std::max(1, *std::max_element(counts.begin(), counts.end()));
    page << u"<svg class=\"chart\" xmlns=\"http://www.w3.org/2000/svg\" width=\"720\" "
            u"height=\"290\" viewBox=\"0 0 720 290\" role=\"img\">\n"
            u"<title>จำนวนสินค้าแยกตามร้อยละที่ราคาตั้งเปลี่ยน</title>\n"
            u"<text x=\"360\" y=\"24\" text-anchor=\"middle\" font-size=\"16\" "
            u"font-weight=\"bold\">จำนวนสินค้าแยกตามร้อยละที่ราคาตั้งเปลี่ยน</text>\n"
            u"<line x1=\"10\" y1=\"236\" x2=\"710\" y2=\"236\" stroke=\"#8c959f\"/>\n";
    for (int i = 0; i < kBucketCount; ++i) {
        const int count = counts[static_cast<std::size_t>(i)];
        const int height = count == 0 ? 0 : std::max(2, count * kHeight / most);
        const int x = 10 + i * kSlot + (kSlot - kBar) / 2;
        const int y = kTop + kHeight - height;
        const QString center = QString::number(x + kBar / 2);
        page << u"<rect x=\"" << QString::number(x) << u"\" y=\"" << QString::number(y)
             << u"\" width=\"" << QString::number(kBar) << u"\" height=\""
             << QString::number(height) << u"\" fill=\"" << (i < 3 ? u"#2da44e" : u"#d1453b")
             << u"\"/>\n<text x=\"" << center << u"\" y=\"" << QString::number(y - 6)
             << u"\" text-anchor=\"middle\" font-size=\"14\">" << QString::number(count)
             << u"</text>\n<text x=\"" << center
             << u"\" y=\"258\" text-anchor=\"middle\" font-size=\"13\">" << kLabels[i]
             << u"</text>\n";
    }
    page << u"<text x=\"360\" y=\"284\" text-anchor=\"middle\" font-size=\"12\" "
            u"fill=\"#57606a\">นับเฉพาะสินค้าที่ราคาตั้งเปลี่ยนและมีราคาเดิม</text>\n</svg>\n";
}

void LargestTable(Page& page, const char16_t* title, const std::vector<const PriceChange*>& rows) {
    page << u"<div><h3>" << title << u"</h3>\n";
    if (rows.empty()) {
        page << u"<p class=\"none\">ไม่มี</p></div>\n";
        return;
    }
    TableHead(page, {u"รหัสสินค้า", u"ชื่อสินค้า", u"ราคาเดิม", u"ราคาใหม่", u"เปลี่ยน"},
              {false, false, true, true, true});
    for (const PriceChange* c : rows) {
        page << u"<tr>";
        TextCell(page, PartLabel(c->after));
        TextCell(page, c->after.tName);
        AmountCell(page, c->before.price);
        AmountCell(page, c->after.price, true);
        PercentCell(page, PriceChangeOf(*c));
        page << u"</tr>\n";
    }
    page << u"</tbody></table></div>\n";
}

void ChartSection(Page& page, const std::vector<PriceChange>& changes) {
    page << u"<h2 id=\"chart\">ภาพรวมการเปลี่ยนราคา</h2>\n";
    const std::array<int, kBucketCount> counts = BucketCounts(changes);
    if (std::all_of(counts.begin(), counts.end(), [](int n) { return n == 0; }))
        page << u"<p class=\"none\">ไม่มีราคาตั้งที่เปลี่ยนจากราคาเดิม</p>\n";
    else
        Chart(page, counts);
    page << u"<div class=\"pair\">\n";
    LargestTable(page, u"ราคาขึ้นมากที่สุด 20 รายการ", LargestRises(changes));
    LargestTable(page, u"ราคาลงมากที่สุด 20 รายการ", LargestFalls(changes));
    page << u"</div>\n";
}

void ChangesSection(Page& page, const std::vector<PriceChange>& changes) {
    page << u"<h2 id=\"changes\">สินค้าที่ราคาเปลี่ยน (<span data-count=\"changes\">"
         << QString::number(changes.size()) << u"</span> รายการ)</h2>\n";
    PagedTable(
        page, u"changes", kChangeHeaders, kChangeNumeric, changes,
        [&](const PriceChange& c) { ChangeRow(page, c); }, u"ch");
}

void CreatedSection(Page& page, const std::vector<CreatedPart>& created) {
    page << u"<h2 id=\"created\">สินค้าที่สร้างใหม่</h2>\n";
    if (created.empty()) {
        page << u"<p class=\"none\">ไม่มีสินค้าที่สร้างใหม่</p>\n";
        return;
    }
    PagedTable(page, u"created", {u"รหัสสินค้า", u"ชื่อสินค้า", u"รุ่น", u"ราคาตั้ง", u"ราคาขาย", u"ประเภท"},
               {false, false, false, true, true, false}, created, [&](const CreatedPart& part) {
                   page << u"<tr>";
                   TextCell(page, PartLabel(part.row));
                   TextCell(page, part.row.tName);
                   TextCell(page, part.row.model);
                   AmountCell(page, part.row.price);
                   AmountCell(page, part.row.sale);
                   TextCell(page, RoleText(part.role));
                   page << u"</tr>\n";
               });
}

void DifferencesSection(Page& page, const std::vector<DifferenceLine>& lines) {
    page << u"<h2 id=\"differences\">รายการที่ยังต่างกันหลังตรวจซ้ำ</h2>\n";
    if (lines.empty()) {
        page << u"<p class=\"none\">ไม่มีรายการที่ยังต่างกัน</p>\n";
        return;
    }
    // The grid's own headers, in its order.
    PagedTable(page, u"differences",
               {u"ลำดับ", u"สินค้าใหม่", u"รหัสสินค้า", u"รายการ", u"รุ่น", u"ราคาเก่า", u"ราคาใหม่"},
               {true, false, false, false, false, true, true}, lines,
               [&](const DifferenceLine& line) {
                   page << u"<tr>";
                   for (const QString* cell : {&line.number, &line.mark, &line.part, &line.tName,
                                               &line.model, &line.oldPrice, &line.newPrice}) {
                       const bool number =
                           cell == &line.number || cell == &line.oldPrice || cell == &line.newPrice;
                       page << (number ? u"<td class=\"num\">" : u"<td>");
                       page.Escaped(*cell) << u"</td>";
                   }
                   page << u"</tr>\n";
               });
}

// One group of the parts to check, unfolded when short enough to take in at a glance.
void CheckGroup(Page& page, const QString& key, const QString& title,
                const std::vector<const PriceChange*>& rows) {
    constexpr std::size_t kUnfolded = 50;
    page << (rows.size() <= kUnfolded ? u"<details open id=\"" : u"<details id=\"") << key
         << u"\"><summary>" << title << u" (<span data-count=\"" << key << u"\">"
         << QString::number(rows.size()) << u"</span> รายการ)</summary>\n";
    if (rows.empty())
        page << u"<p class=\"none\">ไม่มี</p>\n";
    PagedTable(
        page, key, kChangeHeaders, kChangeNumeric, rows,
        [&](const PriceChange* c) { ChangeRow(page, *c, true); }, u"ch");
    page << u"</details>\n";
}

// What the clerk checks before printing shelf labels, at the top of the page.
void CheckSection(Page& page, const ReportData& data) {
    const ChangesToCheck check = ToCheck(data.changes, data.checkShare);
    const QString share = QString::number(data.checkShare);
    page << u"<div class=\"check\"><h2 id=\"check\">ตรวจรายการเหล่านี้ก่อน</h2>\n"
            u"<p>ก่อนพิมพ์ป้ายราคา ให้ตรวจว่าราคาเหล่านี้ถูกต้อง: ราคาที่กลายเป็น 0 "
            u"และราคาตั้งที่ขึ้นหรือลงเกิน "
         << share << u" %</p>\n";
    CheckGroup(page, QStringLiteral("check-sale-zero"), QStringLiteral("ราคาขายกลายเป็น 0"),
               check.saleToZero);
    CheckGroup(page, QStringLiteral("check-price-zero"), QStringLiteral("ราคาตั้งกลายเป็น 0"),
               check.priceToZero);
    CheckGroup(page, QStringLiteral("check-rises"), "ราคาตั้งขึ้นเกิน " + share + " %", check.rises);
    CheckGroup(page, QStringLiteral("check-falls"), "ราคาตั้งลงเกิน " + share + " %", check.falls);
    page << u"</div>\n";
}

} // namespace

QString ReportHtml(const ReportData& data) {
    // About 700 characters a changed part, less for the other rows.
    const qsizetype rows = static_cast<qsizetype>(data.changes.size()) * 700 +
                           static_cast<qsizetype>(data.created.size()) * 400 +
                           static_cast<qsizetype>(data.differences.size()) * 300;
    Page page(rows + 32768);
    page << u"<!DOCTYPE html>\n<html lang=\"th\">\n<head>\n<meta charset=\"utf-8\">\n"
            u"<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
            u"<title>รายงานการเปลี่ยนแปลงราคา</title>\n"
         << kStyle << u"</head>\n<body>\n<h1>รายงานการเปลี่ยนแปลงราคา</h1>\n";
    Banners(page, data.run);
    CheckSection(page, data);
    RunSection(page, data.run);
    CountsSection(page, data);
    ChartSection(page, data.changes);
    ChangesSection(page, data.changes);
    CreatedSection(page, data.created);
    DifferencesSection(page, data.differences);
    page << kScript << u"</body>\n</html>\n";
    return page.Take();
}

} // namespace tolvane::report

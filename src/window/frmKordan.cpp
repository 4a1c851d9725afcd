#include "window/frmKordan.h"

#include "command/form_defaults.h"
#include "command/update_command.h"
#include "data/database_file.h"
#include "keep/shop_copy.h"
#include "text/error.h"
#include "text/failure.h"
#include "text/versions.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTextDocumentFragment>
#include <QTimer>
#include <QUrl>
#include <cmath>

namespace tolvane {

namespace {

constexpr int kArrowPointer = 1;
constexpr int kBusyPointer = 13;

// Raised out of Yield once the window was closed during a run: it unwinds the run
// past the Update command's handler (it is no std::exception) so the program can end.
struct WindowClosed {};

// The first installed font that shows Thai well.
QString ThaiFamily() {
    const QStringList installed = QFontDatabase::families();
    for (const char* family : {"Tahoma", "Loma", "Noto Sans Thai", "Garuda"}) {
        if (installed.contains(QLatin1String(family), Qt::CaseInsensitive))
            return QLatin1String(family);
    }
    return QApplication::font().family();
}

QFont ThaiFont(double points, bool bold = false) {
    QFont font(ThaiFamily());
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

// Text boxes are 12 pt regular; padding off so Thai marks above and below fit.
QLineEdit* TextBox(QWidget* parent, const char* name) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(QLatin1String(name));
    box->setFont(ThaiFont(12));
    box->setTextMargins(1, 0, 1, 0);
    // The password box shows "*" for every character, as the operator expects.
    box->setStyleSheet(
        QStringLiteral("QLineEdit { padding: 0px; lineedit-password-character: 42; }"));
    return box;
}

// The replacement font runs wider than the original: a caption that would not fit
// its control is set a little smaller instead of being cut.
void FitFont(QWidget* w) {
    QFont font = w->font();
    while (w->sizeHint().width() > w->width() && font.pointSizeF() > 8) {
        font.setPointSizeF(font.pointSizeF() - 0.25);
        w->setFont(font);
    }
}

QTableWidgetItem* GridItem(int col, const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    // Left aligned columns; the others follow the general rule: numbers right, text left.
    bool number = false;
    text.trimmed().toDouble(&number);
    const Qt::Alignment horizontal =
        (!form::IsLeftAligned(col) && number) ? Qt::AlignRight : Qt::AlignLeft;
    item->setTextAlignment(horizontal | Qt::AlignVCenter);
    return item;
}

} // namespace

frmKordan::frmKordan(QWidget* parent) : QWidget(parent), state_(*this) {
    keep_ = keep::ReadKeepSettings(keep::SettingsFileBesideProgram(), settingsProblem_);
    BuildControls();
    SetTabOrder();
    Form_Load();
}

frmKordan::~frmKordan() {
    if (busyCursor_)
        QApplication::restoreOverrideCursor();
}

double frmKordan::Scale() const {
    const QScreen* s = screen();
    return s ? s->logicalDotsPerInch() / 96.0 : 1.0;
}

int frmKordan::Px(double twips) const {
    return static_cast<int>(std::lround(twips * Scale() / form::kTwipsPerPixel));
}

int frmKordan::Twips(double px) const {
    return static_cast<int>(std::lround(px * form::kTwipsPerPixel / Scale()));
}

void frmKordan::BuildControls() {
    setObjectName(QStringLiteral("frmKordan"));
    setWindowTitle(form::kDesignCaption);
    QPalette grey = palette();
    grey.setColor(QPalette::Window, QColor(192, 192, 192));
    setPalette(grey);
    setAutoFillBackground(true);
    resize(Px(form::kClientWidth), Px(form::kClientHeight) + StatusHeight());

    auto place = [this](QWidget* w, int left, int top, int width, int height) {
        w->setGeometry(Px(left), Px(top), Px(width), Px(height));
    };
    // Labels are 12 pt bold and end at their text box; a caption wider than its
    // label grows to the left rather than being cut.
    auto label = [&](const char* name, const QString& caption, int left, int top, int width,
                     int height) {
        auto* l = new QLabel(caption, this);
        l->setObjectName(QLatin1String(name));
        l->setFont(ThaiFont(12, true));
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        place(l, left, top, width, height);
        const int needed = l->sizeHint().width();
        if (needed > l->width())
            l->setGeometry(l->geometry().right() + 1 - needed, l->y(), needed, l->height());
    };

    chkLikelAt_ = new QCheckBox(this);
    chkLikelAt_->setObjectName(QStringLiteral("chkLikelAt"));
    chkLikelAt_->setFont(ThaiFont(12, true));
    place(chkLikelAt_, 9120, 600, 5655, 375);

    optAccess_ = new QRadioButton(QStringLiteral("ข้อมูล Access ที่จัดเก็บ Velmora"), this);
    optAccess_->setObjectName(QStringLiteral("optAccess"));
    optAccess_->setFont(ThaiFont(14.25));
    place(optAccess_, 120, 120, 4215, 375);
    FitFont(optAccess_);
    optAccess_->setChecked(true);

    txtDataVelmora_ = TextBox(this, "txtDataVelmora");
    place(txtDataVelmora_, 4320, 120, 10455, 375);

    optSQL_ = new QRadioButton(QStringLiteral("ข้อมูล SQL"), this);
    optSQL_->setObjectName(QStringLiteral("optSQL"));
    optSQL_->setFont(ThaiFont(14.25));
    place(optSQL_, 120, 600, 1695, 375);
    FitFont(optSQL_);

    label("Label4", QStringLiteral("Server Name"), 2640, 600, 1575, 375);
    txtServer_ = TextBox(this, "txtServer");
    place(txtServer_, 4320, 600, 3375, 360);

    label("Label1", QStringLiteral("Autherntication"), 2280, 960, 1935, 375);
    txtdbq_ = TextBox(this, "txtdbq");
    place(txtdbq_, 4320, 960, 3375, 360);

    chkComType_ = new QCheckBox(QStringLiteral("เครื่องแม่"), this);
    chkComType_->setObjectName(QStringLiteral("chkComType"));
    chkComType_->setFont(ThaiFont(12, true));
    place(chkComType_, 360, 1080, 1335, 495);
    FitFont(chkComType_);
    chkComType_->setChecked(true);

    label("Label8", QStringLiteral("Login"), 3480, 1320, 735, 375);
    txtuid_ = TextBox(this, "txtuid");
    place(txtuid_, 4320, 1320, 1815, 360);

    label("Label7", QStringLiteral("Password"), 2880, 1680, 1335, 375);
    txtpwd_ = TextBox(this, "txtpwd");
    txtpwd_->setEchoMode(QLineEdit::Password);
    place(txtpwd_, 4320, 1680, 1815, 360);

    label("Label5", QStringLiteral("ที่จัดเก็บข้อมูลPriceList"), 1680, 2160, 2535, 375);
    txtPriceList_ = TextBox(this, "txtPriceList");
    place(txtPriceList_, 4320, 2160, 10455, 375);

    label("Label2", QStringLiteral("ลำดับการทำงาน"), 2280, 2640, 1935, 375);
    txtQTY_ = TextBox(this, "txtQTY");
    place(txtQTY_, 4320, 2640, 5535, 375);

    label("Label3", QStringLiteral("เบอร์อะไหล่"), 2880, 3000, 1335, 375);
    txtPartNO_ = TextBox(this, "txtPartNO");
    place(txtPartNO_, 4320, 3000, 5535, 360);

    cmdUpDate_ = new QPushButton(QStringLiteral("UpDate"), this);
    cmdUpDate_->setObjectName(QStringLiteral("cmdUpDate"));
    cmdUpDate_->setFont(ThaiFont(12));
    place(cmdUpDate_, 9960, 2640, 855, 735);
    connect(cmdUpDate_, &QPushButton::clicked, this, [this] { PressUpdate(); });

    msgDetail_ = new QTableWidget(this);
    msgDetail_->setObjectName(QStringLiteral("msgDetail"));
    msgDetail_->setFont(ThaiFont(8.25));
    msgDetail_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    msgDetail_->verticalHeader()->hide();
    msgDetail_->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    msgDetail_->horizontalHeader()->setHighlightSections(false);
    const int rowHeight = QFontMetrics(msgDetail_->font()).height() + 4;
    msgDetail_->verticalHeader()->setDefaultSectionSize(rowHeight);
    msgDetail_->horizontalHeader()->setMinimumHeight(rowHeight);
    place(msgDetail_, 240, 3600, form::kGridWidth, 7095);
    BuildStatusLine();
}

// The status line is a strip of its own under the window's described area: the window
// is that much taller than its Height says, so nothing described moves or shrinks.
int frmKordan::StatusHeight() const {
    constexpr int kStatusTwips = 660;
    return Px(kStatusTwips);
}

void frmKordan::BuildStatusLine() {
    statusLine_ = new QWidget(this);
    statusLine_->setObjectName(QStringLiteral("statusLine"));
    auto* layout = new QHBoxLayout(statusLine_);
    layout->setContentsMargins(Px(90), 0, Px(90), 0);
    statusText_ = new QLabel(QStringLiteral("ยังไม่ได้ปรับราคาตั้งแต่เปิดโปรแกรม"), statusLine_);
    statusText_->setObjectName(QStringLiteral("statusText"));
    statusText_->setFont(ThaiFont(9));
    statusText_->setTextFormat(Qt::RichText);
    statusText_->setOpenExternalLinks(true);
    statusText_->setWordWrap(true);
    cmdTestRun_ = new QPushButton(QStringLiteral("ทดลองก่อน (ไม่บันทึก)"), statusLine_);
    cmdTestRun_->setObjectName(QStringLiteral("cmdTestRun"));
    cmdTestRun_->setFont(ThaiFont(9));
    connect(cmdTestRun_, &QPushButton::clicked, this, [this] { PressTestRun(); });
    layout->addWidget(statusText_, 1);
    layout->addWidget(cmdTestRun_);
}

void frmKordan::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    statusLine_->setGeometry(0, height() - StatusHeight(), width(), StatusHeight());
}

// Tab order of the table of controls; labels take no focus.
void frmKordan::SetTabOrder() {
    const QList<QWidget*> order = {
        chkLikelAt_, optAccess_, txtDataVelmora_, optSQL_, txtServer_, txtdbq_,    chkComType_,
        txtuid_,     txtpwd_,    txtPriceList_,   txtQTY_, txtPartNO_, cmdUpDate_, msgDetail_};
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

void frmKordan::Form_Load() {
    PlaceAtLoad();
    state_.strBrand = form::kBrand;
    setWindowTitle(form::Caption(state_.strBrand));
    chkLikelAt_->setText(form::ChkLikelAtCaption(state_.strBrand));
    FitFont(chkLikelAt_);
    txtDataVelmora_->setText(form::DefaultDataPath());
    txtPriceList_->setText(form::DefaultPriceListPath(state_.strBrand));
    SetupGrid();
}

// Compact, centred horizontally, a sixth of the screen height from the top.
void frmKordan::PlaceAtLoad() {
    SetHeight(form::kLoadHeight);
    SetLeft(form::CentredLeft(ScreenWidth(), Width()));
    SetTop(form::LoadTop(ScreenHeight()));
    resizedByRun_ = false;
}

void frmKordan::SetupGrid() {
    msgDetail_->clearContents();
    msgDetail_->setColumnCount(form::kGridCols);
    SetGridRows(form::kGridRows);
    const double gridWidth = GridWidthTwips();
    for (int col = 0; col < form::kGridCols; ++col) {
        msgDetail_->setColumnWidth(col, Px(form::ColumnWidth(col, gridWidth)));
        msgDetail_->setHorizontalHeaderItem(col, GridItem(col, form::HeaderText(col)));
    }
}

namespace {

const QString kFinishedMessage = QStringLiteral("เสร็จแล้วจ้า");

QString Link(const QString& path, const QString& label) {
    return QStringLiteral("<a href=\"%1\">%2</a>")
        .arg(QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded).toHtmlEscaped(), label);
}

QString Count(int n) {
    return QLocale(QLocale::English).toString(n);
}

} // namespace

void frmKordan::PressUpdate() {
    if (!running_)
        KeepRun(false, Fields());
}

void frmKordan::PressTestRun() {
    if (running_)
        return;
    const FormFields real = Fields();
    const QString shop = TrimBlanks(real.txtDataVelmora), list = TrimBlanks(real.txtPriceList);
    if (!real.optAccess || KindOfDatabaseFile(shop) != DatabaseFile::SQLite ||
        KindOfDatabaseFile(list) != DatabaseFile::SQLite) {
        statusText_->setText(QStringLiteral("ทดลองได้เฉพาะเมื่อข้อมูลร้านและรายการราคาเป็นไฟล์ "
                                            "ที่มีอยู่และโปรแกรมเปิดเองได้"));
        return;
    }
    QTemporaryDir copies;
    try {
        testCopies_.emplace(copies.filePath(QFileInfo(shop).fileName()),
                            copies.filePath(QFileInfo(list).fileName()));
        keep::CopyDatabaseFile(shop, testCopies_->first);
        keep::CopyDatabaseFile(list, testCopies_->second);
    } catch (const Error& e) {
        testCopies_.reset();
        statusText_->setText(QStringLiteral("ทำสำเนาเพื่อทดลองไม่ได้: ") + e.advice().toHtmlEscaped());
        return;
    }
    KeepRun(true, real);
    testCopies_.reset();
}

// The run as the button runs it, with the backup before its first write, then the
// report and CSV of it and the status line.
void frmKordan::KeepRun(bool testRun, const FormFields& real) {
    kept_ = std::make_unique<keep::KeptRun>(keep_, real, testRun);
    lastMessage_.clear();
    lastDetail_.clear();
    lastAdvice_.clear();
    notices_.clear();
    thaiNotices_.clear();
    if (!settingsProblem_.isEmpty())
        Notice(QStringLiteral("settings: ") + settingsProblem_ +
                   QStringLiteral(" holds a value that is not taken; its default is used"),
               ThaiSentence(NoticeKind::SettingsDefault, {settingsProblem_}));
    state_.observer = &kept_->collector();
    RunCommand();
    state_.observer = nullptr;
    if (closedDuringRun_)
        return;
    report::RunFacts facts;
    facts.ended = QDateTime::currentDateTime();
    facts.message = lastMessage_;
    if (lastMessage_ != kFinishedMessage) {
        facts.errorDetail = lastDetail_;
        facts.errorAdvice = lastAdvice_;
    }
    facts.notices = notices_;
    facts.thaiNotices = thaiNotices_;
    std::vector<std::array<QString, 8>> grid(static_cast<std::size_t>(GridRows()));
    for (int row = 0; row < GridRows(); ++row) {
        for (int col = 0; col < form::kGridCols; ++col)
            grid[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)] = GridText(row, col);
    }
    kept_->Finish(grid, std::move(facts));
    ShowStatus(testRun);
}

void frmKordan::ShowStatus(bool testRun) {
    const keep::KeptRun& k = *kept_;
    const bool finished = lastMessage_ == kFinishedMessage;
    QString text = testRun ? QStringLiteral("ทดลอง (ไม่ได้แก้ข้อมูลร้าน) ") : QString();
    text += QStringLiteral("ครั้งล่าสุด ") + QTime::currentTime().toString(QStringLiteral("HH:mm")) +
            QStringLiteral(" น.: ");
    if (!finished && k.WroteNothing()) {
        text += QStringLiteral("ไม่ได้ปรับราคา ตารางและข้อความบนจอเป็นของการทำงานครั้งก่อน");
    } else {
        const keep::RunCounts& c = k.counts();
        text += QStringLiteral("ใช้รายการ %1 แถว · สร้างใหม่ %2 · ราคาเปลี่ยน %3 · ยังต่างกัน %4")
                    .arg(Count(c.rowsApplied), Count(c.partsCreated), Count(c.pricesChanged),
                         Count(c.stillDiffering));
        if (!finished)
            text += QStringLiteral(" · ตารางบนจออาจเป็นของการทำงานครั้งก่อน<br>") +
                    ThaiSentence(Failure::CutShort,
                                 {kept_->started().toString(QStringLiteral("dd/MM/yyyy HH:mm"))})
                        .toHtmlEscaped();
    }
    QStringList links;
    if (!k.report().isEmpty())
        links << Link(k.report(), QStringLiteral("รายงาน"))
              << Link(k.changes(), QStringLiteral("CSV"));
    if (!k.backup().isEmpty())
        links << Link(QFileInfo(k.backup()).absolutePath(), QStringLiteral("โฟลเดอร์สำรอง"));
    if (!links.isEmpty())
        text += QStringLiteral(" · ") + links.join(QStringLiteral(" · "));
    if (!k.problem().isEmpty())
        text += QStringLiteral(" · เขียนรายงานไม่ได้: ") + k.problem().toHtmlEscaped();
    // One notice fits: an earlier run cut short and what this run did about it first.
    qsizetype shown = -1;
    for (qsizetype i = 0; i < thaiNotices_.size(); ++i) {
        if (!thaiNotices_[i].isEmpty() && (shown < 0 || notices_[i].startsWith(u"cut short")))
            shown = i;
    }
    if (shown >= 0)
        text += QStringLiteral("<br>") + thaiNotices_[shown].toHtmlEscaped();
    statusText_->setText(text);
}

QString frmKordan::StatusText() const {
    return QTextDocumentFragment::fromHtml(statusText_->text()).toPlainText();
}

void frmKordan::Notice(const QString& text, const QString& thai) {
    notices_ << text;
    thaiNotices_ << thai;
}

void frmKordan::RunCommand() {
    running_ = true;
    try {
        cmdUpDate_Click(state_);
    } catch (const WindowClosed&) {
        // The operator closed the window: end without a word. A pending transaction
        // is rolled back by closing, nothing is committed; the program ends anyway,
        // so a failing close changes nothing.
        try {
            if (state_.cnPriceList)
                state_.cnPriceList->Close();
            if (state_.cnData)
                state_.cnData->Close();
        } catch (...) {
        }
        SetMousePointer(kArrowPointer);
        QCoreApplication::quit();
    }
    ShowPendingTexts();
    sinceFrame_.invalidate();
    running_ = false;
}

void frmKordan::closeEvent(QCloseEvent* event) {
    // Closing is never refused; during a run the next Yield ends the run.
    if (running_)
        closedDuringRun_ = true;
    event->accept();
    QCoreApplication::quit();
}

void frmKordan::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (shownOnce_)
        return;
    shownOnce_ = true;
    // The outer frame is only known once the window is on screen: place it again
    // so that the outer height is the load height, unless a run has moved it.
    QTimer::singleShot(0, this, [this] {
        if (!resizedByRun_)
            PlaceAtLoad();
    });
}

FormFields frmKordan::Fields() const {
    FormFields f;
    f.txtPriceList = txtPriceList_->text();
    f.txtDataVelmora = txtDataVelmora_->text();
    f.optAccess = optAccess_->isChecked();
    f.txtServer = txtServer_->text();
    f.txtdbq = txtdbq_->text();
    f.txtuid = txtuid_->text();
    f.txtpwd = txtpwd_->text();
    f.chkComType = chkComType_->isChecked();
    f.chkLikelAt = chkLikelAt_->isChecked();
    // A test run works on copies of the two files.
    if (testCopies_) {
        f.txtDataVelmora = testCopies_->first;
        f.txtPriceList = testCopies_->second;
    }
    return f;
}

// The progress boxes change with every row, and laying out a Thai part name is the
// dearest part of showing it, while no screen shows more than one picture per
// refresh: within a frame only the latest texts are kept, and the next frame shows them.
void frmKordan::SetTxtQTY(const QString& text) {
    // The report counts the list rows applied from the texts the run shows.
    if (kept_ && state_.observer)
        kept_->collector().Progress(text, state_.strBrand);
    if (WithinFrame()) {
        pendingQTY_ = text;
        return;
    }
    pendingQTY_.reset();
    txtQTY_->setText(text);
}

void frmKordan::SetTxtPartNO(const QString& text) {
    if (WithinFrame()) {
        pendingPartNO_ = text;
        return;
    }
    pendingPartNO_.reset();
    txtPartNO_->setText(text);
}

// Row 0 is the table's header row, so the table holds one row less than the grid.
int frmKordan::GridRows() const {
    return msgDetail_->rowCount() + 1;
}

void frmKordan::SetGridRows(int rows) {
    if (rows < 1)
        throw Error(QStringLiteral("Invalid Rows value: ") + QString::number(rows));
    msgDetail_->setRowCount(rows - 1);
}

int frmKordan::GridCols() const {
    return msgDetail_->columnCount();
}

void frmKordan::SetGridText(int row, int col, const QString& text) {
    if (row < 0 || row >= GridRows() || col < 0 || col >= GridCols())
        throw Error(QStringLiteral("Subscript out of range: grid cell ") + QString::number(row) +
                    ", " + QString::number(col));
    if (row == 0) {
        msgDetail_->horizontalHeaderItem(col)->setText(text);
        return;
    }
    if (QTableWidgetItem* item = msgDetail_->item(row - 1, col))
        item->setText(text);
    else
        msgDetail_->setItem(row - 1, col, GridItem(col, text));
}

QString frmKordan::GridText(int row, int col) const {
    if (row == 0) {
        const QTableWidgetItem* header = msgDetail_->horizontalHeaderItem(col);
        return header ? header->text() : QString();
    }
    const QTableWidgetItem* item = msgDetail_->item(row - 1, col);
    return item ? item->text() : QString();
}

double frmKordan::GridWidthTwips() const {
    return msgDetail_->width() * form::kTwipsPerPixel / Scale();
}

int frmKordan::GridColWidth(int col) const {
    return Twips(msgDetail_->columnWidth(col));
}

// The described height: the status line under it does not count.
int frmKordan::Height() const {
    return Twips(frameGeometry().height() - StatusHeight());
}
int frmKordan::Width() const {
    return Twips(frameGeometry().width());
}

int frmKordan::Left() const {
    const QScreen* s = screen();
    return Twips(frameGeometry().x() - (s ? s->geometry().x() : 0));
}

int frmKordan::Top() const {
    const QScreen* s = screen();
    return Twips(frameGeometry().y() - (s ? s->geometry().y() : 0));
}

int frmKordan::ScreenWidth() const {
    const QScreen* s = screen();
    return s ? Twips(s->geometry().width()) : 0;
}

int frmKordan::ScreenHeight() const {
    const QScreen* s = screen();
    return s ? Twips(s->geometry().height()) : 0;
}

// Height is the outer height: title bar and borders count.
void frmKordan::SetHeight(int twips) {
    resizedByRun_ = true;
    const int frame = frameGeometry().height() - height();
    resize(width(), std::max(1, Px(twips) - frame) + StatusHeight());
}

void frmKordan::SetLeft(int twips) {
    resizedByRun_ = true;
    MoveFrame(Px(twips), std::nullopt);
}

void frmKordan::SetTop(int twips) {
    resizedByRun_ = true;
    MoveFrame(std::nullopt, Px(twips));
}

void frmKordan::MoveFrame(std::optional<int> x, std::optional<int> y) {
    const QScreen* s = screen();
    const QPoint origin = s ? s->geometry().topLeft() : QPoint();
    QPoint target = pendingMove_.value_or(pos());
    if (x)
        target.setX(origin.x() + *x);
    if (y)
        target.setY(origin.y() + *y);
    pendingMove_ = target;
    move(target);
}

void frmKordan::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    pendingMove_.reset();
}

void frmKordan::ShowMessage(const QString& text, MessageStyle style, const QString& detail,
                            const QString& advice) {
    lastMessage_ = text;
    lastDetail_ = detail;
    lastAdvice_ = advice;
    // The message stands in front of the window as the run left it.
    ShowPendingTexts();
    sinceFrame_.invalidate();
    if (recorder_) {
        recorder_(text, style, detail, advice);
        return;
    }
    QMessageBox box(this);
    FillMessageBox(box, text, style, detail, advice);
    box.exec();
}

void frmKordan::FillMessageBox(QMessageBox& box, const QString& text, MessageStyle style,
                               const QString& detail, const QString& advice) const {
    box.setWindowTitle(QString());
    box.setFont(ThaiFont(10));
    box.setText(text);
    // The described text stays the box's text; under it, what happened and what to do.
    box.setInformativeText(advice);
    box.setIcon(style == kExclamation ? QMessageBox::Warning
                : style == kQuestion  ? QMessageBox::Question
                                      : QMessageBox::NoIcon);
    box.setStandardButtons(QMessageBox::Ok);
    if (!detail.isEmpty())
        box.setDetailedText(detail);
}

void frmKordan::SetMousePointer(int pointer) {
    if (pointer == kBusyPointer && !busyCursor_) {
        QApplication::setOverrideCursor(Qt::BusyCursor);
        busyCursor_ = true;
    } else if (pointer == kArrowPointer && busyCursor_) {
        QApplication::restoreOverrideCursor();
        busyCursor_ = false;
    }
}

void frmKordan::SetUpdateEnabled(bool enabled) {
    cmdUpDate_->setEnabled(enabled);
    cmdTestRun_->setEnabled(enabled);
}

// Every row comes here: the message loop runs once, so the window reacts to the
// operator at every row. The progress texts held back within a frame are shown once
// the frame has passed, so the loop repaints at most once per screen refresh.
void frmKordan::Yield() {
    if (!WithinFrame()) {
        ShowPendingTexts();
        sinceFrame_.start();
    }
    QCoreApplication::processEvents();
    if (closedDuringRun_)
        throw WindowClosed{};
}

bool frmKordan::WithinFrame() const {
    const QScreen* s = screen();
    const double hz = s && s->refreshRate() > 1 ? s->refreshRate() : 60.0;
    return sinceFrame_.isValid() && sinceFrame_.elapsed() < 1000.0 / hz;
}

void frmKordan::ShowPendingTexts() {
    if (pendingQTY_) {
        txtQTY_->setText(*pendingQTY_);
        pendingQTY_.reset();
    }
    if (pendingPartNO_) {
        txtPartNO_->setText(*pendingPartNO_);
        pendingPartNO_.reset();
    }
}

} // namespace tolvane

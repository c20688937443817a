#include "main.h"

#include "report_ui.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFile>
#include <QMenuBar>
#include <QResizeEvent>
#include <QStyle>
#include <QValidator>
#include <QVBoxLayout>

namespace kr {

std::filesystem::path PathOf(const QString& path) {
    const QByteArray bytes = QFile::encodeName(path);
    return std::filesystem::path(std::string(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

QString PathString(const std::filesystem::path& path) { return QFile::decodeName(path.native().c_str()); }

namespace {

const QColor BoxColour(221, 221, 255);

// The name box takes only text that a unit file can hold (CP932).
class Cp932Validator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override { return QStringToCp932(input) ? Acceptable : Invalid; }
};

// The tool bar: a framed strip that tells its owner when its width changes.
class ToolBarFrame : public QFrame {
public:
    using QFrame::QFrame;
    std::function<void()> Resized;

protected:
    void resizeEvent(QResizeEvent* event) override {
        QFrame::resizeEvent(event);
        if (Resized) Resized();
    }
};

QLabel* FigureBox(QWidget* parent, int left, int top, int width, Qt::Alignment align) {
    auto* box = new QLabel(parent);
    box->setGeometry(left, top, width, 18);
    box->setFrameStyle(QFrame::Box | QFrame::Plain);
    box->setLineWidth(1);
    box->setAlignment(align | Qt::AlignVCenter);
    box->setAutoFillBackground(true);
    QPalette palette = box->palette();
    palette.setColor(QPalette::Window, BoxColour);
    palette.setColor(QPalette::WindowText, Qt::black);
    box->setPalette(palette);
    return box;
}

QLabel* Caption(QWidget* parent, const char* text, int left, int top) {
    auto* label = new QLabel(Utf8ToQString(text), parent);
    label->adjustSize();
    label->move(left, top + (18 - label->height()) / 2);
    return label;
}

}  // namespace

FileDialogRequest TfrmMain::dlgOpen() {
    return {QStringLiteral("krファイル (*.kr);;全て (*.*)"), QStringLiteral("kr"), QString(), false};
}
FileDialogRequest TfrmMain::dlgSave() {
    return {QStringLiteral("krファイル (*.kr);;全て (*.*)"), QStringLiteral("kr"), QString(), true};
}
FileDialogRequest TfrmMain::dlgSaveHtml() {
    return {QStringLiteral("HTML (*.htm *.html);;全て (*.*)"), QStringLiteral("html"), QString(), true};
}

TfrmMain::TfrmMain(Designer& designer, Catalogs& catalogs, const DataFolders& folders)
    : designer_(designer), settingsFile_(folders.SettingsFile) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(Utf8ToQString(ApplicationTitle));
    setFont(GothicFont(15));
    setBackgroundRole(QPalette::Button);

    BuildMenus();
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    BuildToolBar();
    BuildFigurePanel();
    BuildLists();
    layout->addWidget(tbrMain);
    layout->addWidget(pnlBase);
    layout->addWidget(lvwOption);
    layout->addWidget(lvwMove);
    layout->addWidget(lvwWeapon, 1);
    setCentralWidget(central);

    setTabOrder(txtKrName, lvwOption);
    setTabOrder(lvwOption, lvwMove);
    setTabOrder(lvwMove, lvwWeapon);

    // FormCreate: placement first, then the catalogs, each on its own.
    RestorePlacement(this, settingsFile_, MainWindowKeys);
    SetMinimumFrameSize(this, QSize(MainWindowKeys.Design.Width, MainWindowKeys.Design.Height));
    for (const std::string& failure : LoadCatalogs(catalogs, folders.Catalogs))
        ShowErrorBox(this, QString::fromUtf8(failure.c_str()));

    RefreshSheet();
}

TfrmMain::~TfrmMain() { StorePlacement(this, settingsFile_, MainWindowKeys); }

void TfrmMain::SetPickers(TfrmOption* options, TfrmMove* moves, TfrmWeapon* weapons) {
    frmOption_ = options;
    frmMove_ = moves;
    frmWeapon_ = weapons;
    // Rows appear in the weapon list while the picker is still open.
    frmWeapon_->WeaponsAppended = [this] { lvwWeapon->RowModel()->Reset(); };
}

void TfrmMain::BuildToolBar() {
    auto* bar = new ToolBarFrame(this);
    bar->Resized = [this] { tbrMainResize(); };
    tbrMain = bar;
    tbrMain->setObjectName(QStringLiteral("tbrMain"));
    bar->setFrameStyle(QFrame::Box | QFrame::Plain);
    bar->setLineWidth(1);
    tbrMain->setFixedHeight(27);

    auto button = [this](QAction* action, QStyle::StandardPixmap icon, int left) {
        auto* b = new QToolButton(tbrMain);
        action->setIcon(style()->standardIcon(icon));
        b->setDefaultAction(action);
        b->setAutoRaise(true);
        b->setIconSize(QSize(16, 16));
        b->setFocusPolicy(Qt::NoFocus);
        b->setGeometry(left, 2, 23, 22);
        return b;
    };
    tbnOpen = button(mnuLoad, QStyle::SP_DirOpenIcon, 1);
    tbnLoad = button(mnuSave, QStyle::SP_DialogSaveButton, 24);
    tbnOpen->setObjectName(QStringLiteral("tbnOpen"));
    tbnLoad->setObjectName(QStringLiteral("tbnLoad"));
    tbnOpen->setToolTip(QStringLiteral("読み込み"));
    tbnLoad->setToolTip(QStringLiteral("保存"));

    lblName = new QLabel(QStringLiteral(" 名称 "), tbrMain);
    lblName->setGeometry(58, 2, 40, 22);
    lblName->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    txtKrName = new QLineEdit(tbrMain);
    txtKrName->setObjectName(QStringLiteral("txtKrName"));
    txtKrName->setFont(GothicFont(16));
    txtKrName->setGeometry(98, 2, 183, 22);
    txtKrName->setValidator(new Cp932Validator(txtKrName));
    connect(txtKrName, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (auto bytes = QStringToCp932(text)) designer_.Sheet.UnitName = std::move(*bytes);
    });

    lblClassP = new QLabel(QStringLiteral("　クラス "), tbrMain);
    lblClassP->resize(52, 22);
    lblClassP->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    Panel1 = new QFrame(tbrMain);
    Panel1->setFrameStyle(QFrame::Box | QFrame::Plain);
    Panel1->setLineWidth(1);
    Panel1->resize(36, 22);
    lblClass = FigureBox(Panel1, 3, 2, 30, Qt::AlignHCenter);
    lblClass->setObjectName(QStringLiteral("lblClass"));
    tbrMainResize();
}

void TfrmMain::tbrMainResize() {
    // The name box takes the whole bar but the last 100 pixels, which hold the class.
    const int left = txtKrName->x();
    txtKrName->resize(std::max(0, tbrMain->width() - left - 100), txtKrName->height());
    lblClassP->move(txtKrName->geometry().right() + 1, 2);
    Panel1->move(lblClassP->geometry().right() + 1, 2);
}

void TfrmMain::BuildFigurePanel() {
    pnlBase = new QFrame(this);
    pnlBase->setObjectName(QStringLiteral("pnlBase"));
    pnlBase->setFrameStyle(QFrame::Panel | QFrame::Raised);
    pnlBase->setLineWidth(2);
    pnlBase->setFixedHeight(60);

    struct Figure {
        const char* caption;
        int captionLeft;
        QLabel** box;
        int left, top, width;
        Qt::Alignment align;
    };
    const Figure figures[] = {
        {"射撃修正", 12, &lblFire, 77, 10, 33, Qt::AlignHCenter},
        {"格闘修正", 124, &lblBtl, 189, 10, 33, Qt::AlignHCenter},
        {"回避修正", 236, &lblSpd, 301, 10, 33, Qt::AlignHCenter},
        {"センサー", 344, &lblSns, 405, 10, 33, Qt::AlignHCenter},
        {"カスタムポイント", 456, &lblCP, 545, 10, 33, Qt::AlignHCenter},
        {"装甲", 12, &lblAmr, 45, 34, 33, Qt::AlignHCenter},
        {"耐久力", 88, &lblHP, 137, 33, 33, Qt::AlignHCenter},
        {"パワー", 180, &lblPow, 225, 33, 33, Qt::AlignHCenter},
        {"パンチ", 268, &lblPunch, 312, 33, 33, Qt::AlignHCenter},
        {"ﾊﾞｯｸﾊﾟｯｸ", 356, &lblBP, 419, 34, 33, Qt::AlignHCenter},
        {"価格(GD)", 460, &lblPlice, 525, 34, 53, Qt::AlignRight},
    };
    for (const Figure& f : figures) {
        QLabel* caption = Caption(pnlBase, f.caption, f.captionLeft, f.top);
        if (f.box == &lblCP) {
            lblCPC = caption;
            lblCPC->setFont(GothicFont(13));
            lblCPC->adjustSize();
        }
        *f.box = FigureBox(pnlBase, f.left, f.top, f.width, f.align);
    }
}

void TfrmMain::BuildLists() {
    auto list = [this](const char* name, auto& rows, const std::vector<ColumnSpec>& columns, int height) {
        auto* view = new ReportListView(this);
        view->setObjectName(QString::fromLatin1(name));
        view->SetRowModel(new RowTableModel(RowTableModel::SourceOf(rows), columns, false, view));
        if (height > 0) view->setFixedHeight(height);
        view->setEnabled(false);
        return view;
    };
    lvwOption = list("lvwOption", designer_.Sheet.Options, MainOptionColumns, 99);
    lvwMove = list("lvwMove", designer_.Sheet.Moves, MainMoveColumns, 109);
    lvwWeapon = list("lvwWeapon", designer_.Sheet.Weapons, WeaponColumns, 0);

    lvwOption->DoubleClicked = [this] { lvwOptionDblClick(); };
    lvwMove->DoubleClicked = [this] { lvwMoveDblClick(); };
    lvwWeapon->DoubleClicked = [this] { mnuAddWpnClick(); };
    lvwOption->KeyDown = [this](int key) { return lvwOptionKeyDown(lvwOption, key); };
    lvwMove->KeyDown = [this](int key) { return lvwOptionKeyDown(lvwMove, key); };
    lvwWeapon->KeyDown = [this](int key) { return lvwWeaponKeyDown(key); };

    lvwWeapon->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(lvwWeapon, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { pmuWeapon->exec(lvwWeapon->viewport()->mapToGlobal(pos)); });
}

void TfrmMain::BuildMenus() {
    mnuFile = menuBar()->addMenu(QStringLiteral("&File"));
    mnuNew = mnuFile->addMenu(QStringLiteral("新規作成"));
    for (int number = 1; number <= TemplateCount; ++number) {
        QAction* item = mnuNew->addAction(QString::fromLatin1(TemplateCaption(number)));
        item->setObjectName(QStringLiteral("mnuNew%1").arg(number));
        connect(item, &QAction::triggered, this, [this, number] { mnuNewClick(number); });
        mnuNewItems[static_cast<std::size_t>(number - 1)] = item;
    }
    mnuFile->addSeparator();
    mnuLoad = mnuFile->addAction(QStringLiteral("読み込み"), QKeySequence(Qt::CTRL | Qt::Key_O), this,
                                 &TfrmMain::mnuLoadClick);
    mnuSave = mnuFile->addAction(QStringLiteral("保存"), this, &TfrmMain::mnuSaveClick);
    mnuUpdate = mnuFile->addAction(QStringLiteral("上書き保存"), QKeySequence(Qt::CTRL | Qt::Key_S), this,
                                   &TfrmMain::mnuUpdateClick);
    mnuFile->addSeparator();
    mnuOutput = mnuFile->addMenu(QStringLiteral("出力"));
    mnuClip = mnuOutput->addAction(QStringLiteral("クリップボード"), this, &TfrmMain::mnuClipClick);
    mnuHtml = mnuOutput->addAction(QStringLiteral("HTML"), this, &TfrmMain::mnuHtmlClick);
    mnuFile->addSeparator();
    // Ctrl+Q closes the main window, which ends the program as the close box does.
    mnuExit = mnuFile->addAction(QStringLiteral("終了"), QKeySequence(Qt::CTRL | Qt::Key_Q), this, &QWidget::close);

    pmuWeapon = new QMenu(this);
    mnuAddWpn = pmuWeapon->addAction(QStringLiteral("追加"), this, &TfrmMain::mnuAddWpnClick);
    mnuDelWpn = pmuWeapon->addAction(QStringLiteral("削除"), this, &TfrmMain::mnuDelWpnClick);

    mnuLoad->setObjectName(QStringLiteral("mnuLoad"));
    mnuSave->setObjectName(QStringLiteral("mnuSave"));
    mnuUpdate->setObjectName(QStringLiteral("mnuUpdate"));
    mnuClip->setObjectName(QStringLiteral("mnuClip"));
    mnuHtml->setObjectName(QStringLiteral("mnuHtml"));
    mnuExit->setObjectName(QStringLiteral("mnuExit"));
    mnuAddWpn->setObjectName(QStringLiteral("mnuAddWpn"));
    mnuDelWpn->setObjectName(QStringLiteral("mnuDelWpn"));
}

// ---- refreshing the widgets from the core ------------------------------------

void TfrmMain::RefreshFigures() {
    const UnitSheet& sheet = designer_.Sheet;
    const FigureTexts& b = sheet.Boxes;
    const std::pair<QLabel*, const std::string*> boxes[] = {
        {lblFire, &b.Fire}, {lblBtl, &b.Melee}, {lblSpd, &b.Evasion}, {lblAmr, &b.Armor},
        {lblHP, &b.Durability}, {lblSns, &b.Sensor}, {lblPow, &b.Power}, {lblPunch, &b.Punch},
        {lblCP, &b.CP}, {lblPlice, &b.Price}, {lblClass, &b.Class}, {lblBP, &b.BP},
    };
    for (const auto& [label, text] : boxes) label->setText(Cp932ToQString(*text));
    QPalette palette = lblBP->palette();
    palette.setColor(QPalette::WindowText, sheet.BackpackOverloaded ? QColor(255, 0, 0) : QColor(0, 0, 0));
    lblBP->setPalette(palette);
    for (ReportListView* view : {lvwOption, lvwMove, lvwWeapon}) view->setEnabled(sheet.ListsEnabled);
}

void TfrmMain::RefreshLists() {
    for (ReportListView* view : {lvwOption, lvwMove, lvwWeapon}) view->RowModel()->Reset();
}

void TfrmMain::RefreshName() { txtKrName->setText(Cp932ToQString(designer_.Sheet.UnitName)); }

void TfrmMain::RefreshSheet() {
    RefreshName();
    RefreshLists();
    RefreshFigures();
    if (frmOption_) frmOption_->Refresh();
    if (frmMove_) frmMove_->Refresh();
}

// ---- commands -----------------------------------------------------------------

void TfrmMain::mnuNewClick(int number) {
    Guarded(this, [&] {
        ApplyTemplate(designer_, number);
        RefreshSheet();
    });
}

void TfrmMain::mnuLoadClick() {
    FileDialogRequest request = dlgOpen();
    request.InitialFileName = PathString(designer_.OpenFileName);
    const QString chosen = Desktop().ChooseFile(this, request);
    if (!chosen.isEmpty()) {
        OpenUnitFile(PathOf(chosen));
        return;
    }
    // A cancelled load still ends with a recalculation.
    Recalculate(designer_.Sheet);
    RefreshSheet();
}

void TfrmMain::OpenUnitFile(const std::filesystem::path& file) {
    designer_.OpenFileName = file;
    Guarded(this, [&] { LoadUnitFile(file, designer_); });
    // A load always ends with a recalculation, also when it failed.
    Recalculate(designer_.Sheet);
    RefreshSheet();
}

bool TfrmMain::ChooseUnitFileToSave() {
    FileDialogRequest request = dlgSave();
    request.InitialFileName = PathString(designer_.SaveFileName);
    const QString chosen = Desktop().ChooseFile(this, request);
    if (chosen.isEmpty()) return false;
    designer_.SaveFileName = PathOf(chosen);
    return true;
}

void TfrmMain::WriteUnitFileGuarded() {
    Guarded(this, [&] { WriteUnitFile(designer_.SaveFileName, designer_.Sheet); });
}

void TfrmMain::mnuSaveClick() {
    if (ChooseUnitFileToSave()) WriteUnitFileGuarded();
}

void TfrmMain::mnuUpdateClick() {
    if (designer_.SaveFileName.empty())
        mnuSaveClick();
    else
        WriteUnitFileGuarded();
}

void TfrmMain::mnuClipClick() {
    Guarded(this, [&] { CopyReportToClipboard(designer_.Sheet); });
}

void TfrmMain::mnuHtmlClick() {
    Guarded(this, [&] { SaveHtmlReport(this, designer_); });
}

void TfrmMain::mnuAddWpnClick() {
    if (!designer_.Sheet.ListsEnabled || !frmWeapon_) return;
    Guarded(this, [&] {
        frmWeapon_->ShowModal();
        Recalculate(designer_.Sheet);
        lvwWeapon->RowModel()->Reset();
        RefreshFigures();
    });
}

void TfrmMain::mnuDelWpnClick() {
    if (!designer_.Sheet.ListsEnabled) return;
    const long selected = lvwWeapon->SelectedRow();
    if (selected < 0) return;
    Guarded(this, [&] {
        const long next = DeleteWeaponRow(designer_.Sheet.Weapons, static_cast<std::size_t>(selected));
        Recalculate(designer_.Sheet);
        lvwWeapon->RowModel()->Reset();
        lvwWeapon->SelectRow(next);
        RefreshFigures();
    });
}

void TfrmMain::lvwOptionDblClick() {
    if (!designer_.Sheet.ListsEnabled || !frmOption_) return;
    Guarded(this, [&] {
        frmOption_->ShowModal();
        RebuildOptionsFromPicker(designer_);
        RefreshLists();
        RefreshFigures();
    });
}

void TfrmMain::lvwMoveDblClick() {
    if (!designer_.Sheet.ListsEnabled || !frmMove_) return;
    Guarded(this, [&] {
        frmMove_->ShowModal();
        RebuildMovesFromPicker(designer_);
        RefreshLists();
        RefreshFigures();
    });
}

bool TfrmMain::lvwOptionKeyDown(ReportListView* sender, int key) {
    if (key != 113) return false;  // F2
    if (sender->objectName() == lvwOption->objectName())
        lvwOptionDblClick();
    else if (sender->objectName() == lvwMove->objectName())
        lvwMoveDblClick();
    return true;
}

bool TfrmMain::lvwWeaponKeyDown(int key) {
    if (key == 113) {  // F2
        mnuAddWpnClick();
        return true;
    }
    if (key == 46) {  // Delete
        mnuDelWpnClick();
        return true;
    }
    return false;
}

// ---- the session ----------------------------------------------------------------

DesignerSession::DesignerSession(const DataFolders& folders) {
    frmMain = std::make_unique<TfrmMain>(designer, catalogs, folders);
    FillPickers(designer);
    const std::filesystem::path& settings = folders.SettingsFile;
    frmOption = std::make_unique<TfrmOption>(frmMain.get(), designer.OptionPicker, settings);
    frmMove = std::make_unique<TfrmMove>(frmMain.get(), designer.MovePicker, settings);
    frmWeapon = std::make_unique<TfrmWeapon>(frmMain.get(), designer.WeaponPicker, designer.Sheet.Weapons, settings);
    frmMain->SetPickers(frmOption.get(), frmMove.get(), frmWeapon.get());
}

DesignerSession::DesignerSession(const std::filesystem::path& directory)
    : DesignerSession(PortableFolders(directory)) {}

DesignerSession::~DesignerSession() {
    frmWeapon.reset();
    frmMove.reset();
    frmOption.reset();
    frmMain.reset();
}

}  // namespace kr

#include "main.h"

#include "name_box.h"

#include "codec.h"
#include "recent_files.h"
#include "report_ui.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QMenuBar>
#include <QMimeData>
#include <QResizeEvent>
#include <QStatusBar>
#include <QStyle>
#include <QToolTip>
#include <QUrl>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QValidator>
#include <QVBoxLayout>

#include <unistd.h>

// The program's icon, built into the program (Qt's resource system).
static void InitIconResource() { Q_INIT_RESOURCE(krmake); }

namespace kr {

QIcon ApplicationIcon() {
    InitIconResource();
    QIcon icon;
    // The sizes a window's title bar and task switcher ask for; the larger
    // ones are installed for the desktop's menus and would only cost
    // decoding at every start.
    for (int size : {16, 22, 24, 32, 48, 64})
        icon.addFile(QStringLiteral(":/icons/krmake-%1.png").arg(size), QSize(size, size));
    return icon;
}

namespace {

// A framed strip that tells its owner when its size changes (the tool bar).
class ResizeNotifyingFrame : public QFrame {
public:
    using QFrame::QFrame;
    std::function<void()> Resized;

protected:
    void resizeEvent(QResizeEvent* event) override {
        QFrame::resizeEvent(event);
        if (Resized) Resized();
    }
};

// A full-width strip of the main window, of a fixed height, that calls
// `resized` when its size changes.
QFrame* NotifyingFrame(QWidget* parent, const char* name, int style, int lineWidth, int height,
                       std::function<void()> resized) {
    auto* frame = new ResizeNotifyingFrame(parent);
    frame->Resized = std::move(resized);
    frame->setObjectName(QString::fromLatin1(name));
    frame->setFrameStyle(style);
    frame->setLineWidth(lineWidth);
    frame->setFixedHeight(height);
    return frame;
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
FileDialogRequest TfrmMain::dlgSavePdf() {
    return {QStringLiteral("PDF (*.pdf);;全て (*.*)"), QStringLiteral("pdf"), QString(), true};
}
FileDialogRequest TfrmMain::dlgSavePng() {
    return {QStringLiteral("PNG (*.png);;全て (*.*)"), QStringLiteral("png"), QString(), true};
}

TfrmMain::TfrmMain(Designer& designer, std::future<std::vector<std::string>> catalogFailures,
                   const DataFolders& folders)
    : designer_(designer),
      folders_(folders),
      settingsFile_(folders.SettingsFile),
      // What the copies that no longer run left is set aside before this one
      // writes; this copy takes a recovery file of its own.
      recovery_(std::make_unique<RecoveryKeeper>(designer, folders.SettingsFolder)) {
    // The catalogs load while the window is built and shown; nothing reads
    // them before WaitForCatalogs.

    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(Utf8ToQString(ApplicationTitle));
    QApplication::setWindowIcon(ApplicationIcon());
    setFont(GothicFont(15));
    setBackgroundRole(QPalette::Button);

    BuildMenus();
    setAcceptDrops(true);
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
    stbMain = new StatusLine(this);
    stbMain->setObjectName(QStringLiteral("stbMain"));
    statusBar()->addWidget(stbMain, 1);
    statusBar()->setSizeGripEnabled(false);
    recovery_->FillMenu(mnuRestoreList, [this](int index) { mnuRestoreClick(index); });

    setTabOrder(txtKrName, lvwOption);
    setTabOrder(lvwOption, lvwMove);
    setTabOrder(lvwMove, lvwWeapon);

    // FormCreate: placement first, then the catalogs, each on its own. The
    // minimum comes before the placement, which a small screen may shrink
    // down to it.
    SetMinimumFrameSize(this, QSize(MainWindowKeys.Design.Width, MainWindowKeys.Design.Height));
    RestorePlacement(this, settingsFile_, MainWindowKeys);
    catalogFailures_ = catalogFailures.share();
    catalogWatch_ = std::thread([this, loading = catalogFailures_] {
        loading.wait();
        QMetaObject::invokeMethod(this, [this] { WaitForCatalogs(); }, Qt::QueuedConnection);
    });

    nameBurstTimer_.setSingleShot(true);
    nameBurstTimer_.setInterval(1000);
    connect(&nameBurstTimer_, &QTimer::timeout, this, [this] { EndNameBurst(); });
    recovery_->Failed = [this](const QString& reason) {
        // Not worth stopping the player for, and it would come back every second.
        stbMain->Show(QStringLiteral("復元用の設計を保存できません: ") + reason, {}, StatusLine::About::Session);
    };

    RefreshSheet();
    UpdateTitleAndMenus();
    ShowStartNotices(settingsFile_);
}

TfrmMain::~TfrmMain() {
    // A window closed while the catalogs still load waits for them here.
    catalogWatch_.join();
    StorePlacement(this, settingsFile_, MainWindowKeys);
}

void TfrmMain::WaitForCatalogs() {
    if (catalogsTaken_) return;
    catalogsTaken_ = true;
    std::vector<std::string> failures;
    try {
        if (catalogFailures_.wait_for(std::chrono::seconds(0)) != std::future_status::ready) {
            QApplication::setOverrideCursor(Qt::WaitCursor);
            catalogFailures_.wait();
            QApplication::restoreOverrideCursor();
        }
        failures = catalogFailures_.get();
    } catch (const std::exception& error) {
        // Out of memory, or no thread to load on: the catalogs hold what
        // they had read.
        failures.push_back(std::string("カタログを読み込めません: ") + error.what());
    } catch (...) {
        failures.push_back("カタログを読み込めません");
    }
    FillPickers(designer_);
    for (const std::string& failure : failures) ShowErrorBox(this, QString::fromUtf8(failure.c_str()));
    // A window closed meanwhile (a signal while a box was open) does nothing more.
    std::vector<std::function<void()>> pending = std::move(afterCatalogs_);
    afterCatalogs_.clear();
    if (isVisible())
        for (const std::function<void()>& action : pending) action();
}

void TfrmMain::AfterCatalogs(std::function<void()> action) {
    if (catalogsTaken_)
        action();
    else
        afterCatalogs_.push_back(std::move(action));
}

void TfrmMain::SetPickers(TfrmOption* options, TfrmMove* moves, TfrmWeapon* weapons) {
    frmOption_ = options;
    frmMove_ = moves;
    frmWeapon_ = weapons;
    // Rows appear in the weapon list while the picker is still open.
    frmWeapon_->WeaponsAppended = [this] { lvwWeapon->RowModel()->Reset(); };
}

void TfrmMain::BuildToolBar() {
    tbrMain = NotifyingFrame(this, "tbrMain", QFrame::Box | QFrame::Plain, 1, 27, [this] { tbrMainResize(); });

    // The two glyphs are plain pictures of the program's own: looking them
    // up in the desktop's icon theme would cost start-up time.
    auto button = [this](QAction* action, const char* icon, int left) {
        auto* b = new QToolButton(tbrMain);
        action->setIcon(QIcon(QPixmap(QString::fromLatin1(icon))));
        b->setDefaultAction(action);
        b->setAutoRaise(true);
        b->setIconSize(QSize(16, 16));
        b->setFocusPolicy(Qt::NoFocus);
        b->setGeometry(left, 2, 23, 22);
        return b;
    };
    tbnOpen = button(mnuLoad, ":/icons/tool-open-16.png", 1);
    // tbnLoad is the save button: the name is the one the players' guides use.
    tbnLoad = button(mnuSave, ":/icons/tool-save-16.png", 24);
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
    auto* validator = new NameValidator(txtKrName);
    validator->Refused = [this](const QString& leftOut, bool cut) { ShowNameRefusal(txtKrName, leftOut, cut); };
    txtKrName->setValidator(validator);
    // The box holds nothing but what the validator let in, so its text is
    // always the sheet's name.
    connect(txtKrName, &QLineEdit::textEdited, this, &TfrmMain::NameEdited);
    // Ctrl+Z and Ctrl+Y in the name box undo whole steps of the design, as
    // everywhere in the window, and so do the items of its pop-up menu; the
    // box keeps no undo of its own.
    txtKrName->installEventFilter(this);
    txtKrName->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(txtKrName, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        QMenu* menu = NameBoxMenu();
        menu->exec(txtKrName->mapToGlobal(pos));
        delete menu;
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
    lblClass->installEventFilter(this);
    tbrMainResize();
}

void TfrmMain::tbrMainResize() {
    // The name box takes the whole bar but the last 100 pixels, which hold the class.
    const int left = txtKrName->x();
    txtKrName->resize(std::max(0, tbrMain->width() - left - 100), txtKrName->height());
    // The class caption is as wide as its text needs, and keeps clear of the box.
    lblClassP->setGeometry(txtKrName->geometry().right() + 1, 2, std::max(52, lblClassP->sizeHint().width()), 22);
    Panel1->move(lblClassP->geometry().right() + 1 + CaptionGap, 2);
}

void TfrmMain::BuildFigurePanel() {
    pnlBase = new FigurePanel(designer_.Sheet, this);
    lblFire = pnlBase->Box(SheetFigure::Fire);
    lblBtl = pnlBase->Box(SheetFigure::Melee);
    lblSpd = pnlBase->Box(SheetFigure::Evasion);
    lblSns = pnlBase->Box(SheetFigure::Sensor);
    lblCP = pnlBase->Box(SheetFigure::CP);
    lblAmr = pnlBase->Box(SheetFigure::Armor);
    lblHP = pnlBase->Box(SheetFigure::Durability);
    lblPow = pnlBase->Box(SheetFigure::Power);
    lblPunch = pnlBase->Box(SheetFigure::Punch);
    lblBP = pnlBase->Box(SheetFigure::Backpack);
    lblPlice = pnlBase->Box(SheetFigure::Price);
    lblCPC = pnlBase->CaptionOf(SheetFigure::CP);
    // A figure too wide for its row widens the window rather than hide digits.
    pnlBase->NeedsWidth = [this](int needed) {
        const int extra = frameGeometry().width() - width();
        SetMinimumFrameSize(this, QSize(std::max(MainWindowKeys.Design.Width, needed + extra),
                                        MainWindowKeys.Design.Height));
    };
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
    mnuRecent = mnuFile->addMenu(QStringLiteral("最近使ったファイル"));
    mnuRecent->setObjectName(QStringLiteral("mnuRecent"));
    mnuRecent->setToolTipsVisible(true);
    // Read when the menu opens: another running copy may have added to the list.
    connect(mnuFile, &QMenu::aboutToShow, this, &TfrmMain::RefreshRecentFiles);
    mnuSave = mnuFile->addAction(QStringLiteral("保存"), this, &TfrmMain::mnuSaveClick);
    mnuUpdate = mnuFile->addAction(QStringLiteral("上書き保存"), QKeySequence(Qt::CTRL | Qt::Key_S), this,
                                   &TfrmMain::mnuUpdateClick);
    mnuFile->addSeparator();
    mnuOutput = mnuFile->addMenu(QStringLiteral("出力"));
    mnuClip = mnuOutput->addAction(QStringLiteral("クリップボード"), this, &TfrmMain::mnuClipClick);
    mnuHtml = mnuOutput->addAction(QStringLiteral("HTML"), this, &TfrmMain::mnuHtmlClick);
    mnuPdf = mnuOutput->addAction(QStringLiteral("PDF..."), this, &TfrmMain::mnuPdfClick);
    mnuPng = mnuOutput->addAction(QStringLiteral("画像(PNG)..."), this, &TfrmMain::mnuPngClick);
    mnuPrint = mnuFile->addAction(QStringLiteral("印刷(&P)..."), QKeySequence(Qt::CTRL | Qt::Key_P), this,
                                  &TfrmMain::mnuPrintClick);
    mnuFile->addSeparator();
    // Ctrl+Q closes the main window, which ends the program as the close box does.
    mnuExit = mnuFile->addAction(QStringLiteral("終了"), QKeySequence(Qt::CTRL | Qt::Key_Q), this, &QWidget::close);

    mnuEdit = menuBar()->addMenu(QStringLiteral("&Edit"));
    mnuUndo = mnuEdit->addAction(QStringLiteral("元に戻す(&U)"), QKeySequence(Qt::CTRL | Qt::Key_Z), this,
                                 &TfrmMain::mnuUndoClick);
    mnuRedo = mnuEdit->addAction(QStringLiteral("やり直し(&R)"), this, &TfrmMain::mnuRedoClick);
    mnuRedo->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    mnuEdit->addSeparator();
    mnuRestoreList = mnuEdit->addMenu(QStringLiteral("終了時の設計を復元(&L)"));
    mnuRestoreList->setObjectName(QStringLiteral("mnuRestoreList"));
    mnuRestore = mnuRestoreList->menuAction();
    mnuEdit->setObjectName(QStringLiteral("mnuEdit"));
    mnuUndo->setObjectName(QStringLiteral("mnuUndo"));
    mnuRedo->setObjectName(QStringLiteral("mnuRedo"));
    mnuRestore->setObjectName(QStringLiteral("mnuRestore"));

    mnuHelp = menuBar()->addMenu(QStringLiteral("&Help"));
    mnuUsage = mnuHelp->addAction(QStringLiteral("使い方(&H)"), QKeySequence(Qt::Key_F1), this, &TfrmMain::mnuUsageClick);
    mnuAbout = mnuHelp->addAction(QStringLiteral("バージョン情報(&A)"), this, &TfrmMain::mnuAboutClick);
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    mnuUsage->setObjectName(QStringLiteral("mnuUsage"));
    mnuAbout->setObjectName(QStringLiteral("mnuAbout"));

    pmuWeapon = new QMenu(this);
    mnuAddWpn = pmuWeapon->addAction(QStringLiteral("追加"), this, &TfrmMain::mnuAddWpnClick);
    mnuDelWpn = pmuWeapon->addAction(QStringLiteral("削除"), this, &TfrmMain::mnuDelWpnClick);

    mnuLoad->setObjectName(QStringLiteral("mnuLoad"));
    mnuSave->setObjectName(QStringLiteral("mnuSave"));
    mnuUpdate->setObjectName(QStringLiteral("mnuUpdate"));
    mnuClip->setObjectName(QStringLiteral("mnuClip"));
    mnuHtml->setObjectName(QStringLiteral("mnuHtml"));
    mnuPdf->setObjectName(QStringLiteral("mnuPdf"));
    mnuPng->setObjectName(QStringLiteral("mnuPng"));
    mnuPrint->setObjectName(QStringLiteral("mnuPrint"));
    mnuExit->setObjectName(QStringLiteral("mnuExit"));
    mnuAddWpn->setObjectName(QStringLiteral("mnuAddWpn"));
    mnuDelWpn->setObjectName(QStringLiteral("mnuDelWpn"));
}

// ---- refreshing the widgets from the core ------------------------------------

void TfrmMain::RefreshFigures() {
    const UnitSheet& sheet = designer_.Sheet;
    lblClass->setText(Cp932ToQString(sheet.Boxes.Class));
    pnlBase->Refresh();
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

QMenu* TfrmMain::NameBoxMenu() {
    QMenu* menu = txtKrName->createStandardContextMenu();
    // The box's own undo and redo, by the texts the box gives them (its key
    // may follow after a tab).
    const auto named = [](const QAction* action, const QString& text) {
        return action->text() == text || action->text().startsWith(text + u'\t');
    };
    for (QAction* action : menu->actions()) {
        const bool undo = named(action, QLineEdit::tr("&Undo"));
        if (!undo && !named(action, QLineEdit::tr("&Redo"))) continue;
        QObject::disconnect(action, nullptr, txtKrName, nullptr);
        action->setObjectName(undo ? QStringLiteral("edit-undo") : QStringLiteral("edit-redo"));
        action->setEnabled(undo ? history_.CanUndo() || burstBefore_.has_value() : history_.CanRedo() && !burstBefore_);
        connect(action, &QAction::triggered, this, undo ? &TfrmMain::mnuUndoClick : &TfrmMain::mnuRedoClick);
    }
    return menu;
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event) {
    // A unit file dragged over the name box is the window's, not text to paste.
    if (watched == txtKrName && TakeUnitFileDrag(event)) return true;
    if (watched == txtKrName) {
        if (event->type() == QEvent::ShortcutOverride) {
            // Left unaccepted, the keys reach the Edit menu's shortcuts.
            auto* key = static_cast<QKeyEvent*>(event);
            const QKeySequence pressed(key->keyCombination());
            for (const QAction* action : {mnuUndo, mnuRedo})
                for (const QKeySequence& shortcut : action->shortcuts())
                    if (shortcut == pressed) return true;
        } else if (event->type() == QEvent::FocusOut) {
            EndNameBurst();
        }
        return false;
    }
    if (watched == lblClass && event->type() == QEvent::ToolTip) {
        const std::string text = ClassExplanation(designer_.Sheet);
        const auto* help = static_cast<QHelpEvent*>(event);
        if (text.empty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), PlainToolTip(Cp932ToQString(text)), static_cast<QWidget*>(watched));
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TfrmMain::NameEdited(const QString& text) {
    std::string name = UnitNameInput(text.toUtf8().toStdString()).Bytes;
    if (name == designer_.Sheet.UnitName) return;
    // A burst of typing is one step, from the state before its first key.
    if (!burstBefore_) burstBefore_ = CaptureDesign(designer_);
    nameBurstTimer_.start();
    const std::uint64_t notices = stbMain->Shown();
    designer_.Sheet.UnitName = std::move(name);
    DesignChanged(notices);
    UpdateTitleAndMenus();
}

void TfrmMain::EndNameBurst() {
    nameBurstTimer_.stop();
    if (!burstBefore_) return;
    const DesignState after = CaptureDesign(designer_);
    if (after != *burstBefore_) history_.Record(*burstBefore_, after);
    burstBefore_.reset();
}

void TfrmMain::ChangeDesign(const std::function<bool()>& command) {
    // Every change of design may read the catalogs.
    WaitForCatalogs();
    EndNameBurst();
    DesignState before = CaptureDesign(designer_);
    const std::filesystem::path fileBefore = history_.File();
    const std::uint64_t notices = stbMain->Shown();
    const bool newDocument = command();
    const DesignState after = CaptureDesign(designer_);
    const bool changed = after != before;
    if (newDocument && (changed || designer_.SaveFileName != fileBefore))
        history_.BeginDocument(before, after, designer_.SaveFileName);
    else if (changed)
        history_.Record(before, after);
    if (changed || designer_.SaveFileName != fileBefore) DesignChanged(notices);
    UpdateTitleAndMenus();
}

void TfrmMain::DesignChanged(std::uint64_t notices) {
    stbMain->DesignChanged(notices);
    recovery_->Schedule();
}

void TfrmMain::UpdateTitleAndMenus() {
    const QString title = Utf8ToQString(ApplicationTitle);
    if (designer_.SaveFileName.empty()) {
        setWindowTitle(title);
        setWindowModified(false);
    } else {
        setWindowTitle(PathString(designer_.SaveFileName.filename()) + QStringLiteral("[*] - ") + title);
        setWindowModified(history_.Modified(CaptureDesign(designer_)));
    }
    mnuUndo->setEnabled(history_.CanUndo() || burstBefore_.has_value());
    // Typing ends what could be redone, as the burst becomes a step.
    mnuRedo->setEnabled(history_.CanRedo() && !burstBefore_);
}

void TfrmMain::ShowStartNotices(const std::filesystem::path& settingsFile) {
    std::vector<std::string> notices = recovery_->Problems();
    // A settings file that is no file to read leaves the windows at their
    // design places; the player should know why.
    FileRead read = FileRead::Read;
    std::uint64_t size = 0;
    const int fd = OpenCheckedFile(settingsFile, UnitFileSizeLimit, Links::Follow, read, size);
    if (fd >= 0) ::close(fd);
    if (read != FileRead::Read && read != FileRead::Missing)
        notices.push_back("設定を読めません: " + FileReadMessage(read, settingsFile, UnitFileSizeLimit));
    if (notices.empty()) return;
    QStringList lines;
    for (const std::string& notice : notices) lines.append(QString::fromUtf8(notice.c_str()));
    stbMain->Show(lines.front(), lines.join(u'\n'), StatusLine::About::Session);
}

void TfrmMain::mnuUndoClick() { StepThroughHistory(&DesignHistory::Undo); }

void TfrmMain::mnuRedoClick() { StepThroughHistory(&DesignHistory::Redo); }

void TfrmMain::StepThroughHistory(void (DesignHistory::*step)(Designer&)) {
    EndNameBurst();
    if (!(step == &DesignHistory::Undo ? history_.CanUndo() : history_.CanRedo())) return;
    (history_.*step)(designer_);
    RefreshSheet();
    DesignChanged(stbMain->Shown());
    UpdateTitleAndMenus();
}

void TfrmMain::LearnFile(bool holdsDesign) {
    history_.FileHolds(designer_.SaveFileName,
                       holdsDesign ? std::optional<DesignState>(CaptureDesign(designer_)) : std::nullopt);
}

void TfrmMain::mnuRestoreClick(int index) {
    const std::vector<RecoveredDesign>& offers = recovery_->Offers();
    if (index < 0 || static_cast<std::size_t>(index) >= offers.size()) return;
    const RecoveredDesign& design = offers[static_cast<std::size_t>(index)];
    ChangeDesign([&] {
        const UnitLoad load = RestoreRecoveredDesign(design, designer_);
        // The design's file may hold it still, or something else by now.
        if (!designer_.SaveFileName.empty()) LearnFile(FileHoldsSheet(designer_.SaveFileName, designer_.Sheet));
        RefreshSheet();
        ShowDroppedNames(load.Dropped);
        return true;
    });
    // This copy's own file holds the design before the one it came from goes.
    if (recovery_->WriteNow()) recovery_->Forget(design);
}

void TfrmMain::ShowDroppedNames(const std::vector<std::string>& dropped) {
    if (dropped.empty()) return;
    QStringList names;
    for (const std::string& name : dropped) names.append(Cp932ToQString(name));
    stbMain->Show(Cp932ToQString(DroppedNamesMessage(dropped)), names.join(u'\n'));
}

void TfrmMain::mnuNewClick(int number) {
    ChangeDesign([&] {
        Guarded(this, [&] {
            ApplyTemplate(designer_, number);
            RefreshSheet();
        });
        return true;
    });
}

std::filesystem::path TfrmMain::ChooseFile(FileDialogRequest request, const std::filesystem::path& kept) {
    request.InitialFileName = PathString(kept);
    return PathOf(Desktop().ChooseFile(this, request));
}

void TfrmMain::mnuLoadClick() {
    const std::filesystem::path chosen = ChooseFile(dlgOpen(), designer_.OpenFileName);
    if (chosen.empty()) {
        // A cancelled load still ends with a recalculation.
        ChangeDesign([&] {
            Recalculate(designer_.Sheet);
            RefreshSheet();
            return false;
        });
        return;
    }
    OpenUnitFile(chosen);
}

void TfrmMain::OpenUnitFile(const std::filesystem::path& file) {
    ChangeDesign([&] {
        designer_.OpenFileName = file;
        bool loaded = false;
        Guarded(this, [&] {
            const UnitLoad load = LoadUnitFile(file, designer_);
            loaded = true;
            // A file with names the catalogs lack holds more than the sheet:
            // a save would lose them, so the title says so.
            LearnFile(load.Whole);
            ShowDroppedNames(load.Dropped);
            AddToRecentFiles(file);
        });
        // A load always ends with a recalculation, also when it failed.
        if (!loaded) Recalculate(designer_.Sheet);
        RefreshSheet();
        return loaded;
    });
}

void TfrmMain::SaveTo(const std::filesystem::path& file) {
    EndNameBurst();
    Guarded(this, [&] {
        WriteUnitFile(file, designer_.Sheet);
        designer_.SaveFileName = file;
        history_.Saved(file, CaptureDesign(designer_));
        stbMain->Show(Utf8ToQString(FormatMessage("%s に保存しました", PathText(file))));
        AddToRecentFiles(file);
    });
    UpdateTitleAndMenus();
}

void TfrmMain::mnuSaveClick() {
    const std::filesystem::path chosen = ChooseFile(dlgSave(), designer_.SaveFileName);
    if (!chosen.empty()) SaveTo(chosen);
}

void TfrmMain::mnuUpdateClick() {
    if (designer_.SaveFileName.empty())
        mnuSaveClick();
    else
        SaveTo(designer_.SaveFileName);
}

void TfrmMain::mnuClipClick() {
    Guarded(this, [&] { CopyReportToClipboard(designer_.Sheet); });
}

void TfrmMain::mnuHtmlClick() {
    const std::filesystem::path chosen = ChooseFile(dlgSaveHtml(), designer_.HtmlFileName);
    if (chosen.empty()) return;
    designer_.HtmlFileName = chosen;
    Guarded(this, [&] {
        const bool shown = WriteAndOpenHtmlPage(chosen, designer_.Sheet);
        const std::string written = FormatMessage("%s に書き出しました", PathText(chosen));
        stbMain->Show(Utf8ToQString(shown ? written : written + " (表示できるプログラムが見つかりません)"));
    });
}

SheetHeading TfrmMain::Heading() const {
    const std::filesystem::path& unit = designer_.SaveFileName;
    return {unit.empty() ? std::string() : PathText(unit.filename()), TodayText()};
}

std::filesystem::path TfrmMain::ChooseSheetFile(FileDialogRequest request, std::filesystem::path& kept,
                                                const char* extension) {
    std::filesystem::path offered = kept;
    if (offered.empty() && !designer_.SaveFileName.empty())
        offered = std::filesystem::path(designer_.SaveFileName).replace_extension(extension);
    const std::filesystem::path chosen = ChooseFile(std::move(request), offered);
    if (!chosen.empty()) kept = chosen;
    return chosen;
}

void TfrmMain::mnuPrintClick() {
    Guarded(this, [&] {
        if (PrintRecordSheet(this, designer_.Sheet, Heading())) stbMain->Show(QStringLiteral("記録用紙を印刷しました"));
    });
}

void TfrmMain::mnuPdfClick() {
    const std::filesystem::path chosen = ChooseSheetFile(dlgSavePdf(), designer_.PdfFileName, ".pdf");
    if (chosen.empty()) return;
    Guarded(this, [&] {
        WriteRecordSheetPdf(chosen, designer_.Sheet, Heading());
        stbMain->Show(Utf8ToQString(FormatMessage("%s に書き出しました", PathText(chosen))));
    });
}

void TfrmMain::mnuPngClick() {
    const std::filesystem::path chosen = ChooseSheetFile(dlgSavePng(), designer_.PictureFileName, ".png");
    if (chosen.empty()) return;
    Guarded(this, [&] {
        const std::vector<std::filesystem::path> files = WriteRecordSheetPictures(chosen, designer_.Sheet, Heading());
        QStringList paths;
        for (const std::filesystem::path& file : files) paths.append(PathString(file));
        if (files.size() == 1) {
            stbMain->Show(Utf8ToQString(FormatMessage("%s に書き出しました", PathText(files.front()))));
        } else {
            // The whole list is in the tooltip.
            stbMain->Show(QStringLiteral("%1 ページを %2 ～ %3 に書き出しました")
                              .arg(files.size())
                              .arg(paths.front(), PathString(files.back().filename())),
                          paths.join(u'\n'));
        }
    });
}

void TfrmMain::mnuAddWpnClick() {
    // The picker appends to the weapon list while it is open.
    EditThroughPicker(frmWeapon_, [&] { Recalculate(designer_.Sheet); });
}

void TfrmMain::EditThroughPicker(TfrmPicker* picker, const std::function<void()>& afterwards) {
    if (!designer_.Sheet.ListsEnabled || !picker) return;
    // The whole picker session is one step.
    ChangeDesign([&] {
        Guarded(this, [&] {
            picker->ShowModal();
            afterwards();
            RefreshLists();
            RefreshFigures();
        });
        return false;
    });
}

void TfrmMain::mnuDelWpnClick() {
    if (!designer_.Sheet.ListsEnabled) return;
    const long selected = lvwWeapon->SelectedRow();
    if (selected < 0) return;
    ChangeDesign([&] {
        Guarded(this, [&] {
            const long next = DeleteWeaponRow(designer_.Sheet.Weapons, static_cast<std::size_t>(selected));
            Recalculate(designer_.Sheet);
            lvwWeapon->RowModel()->Reset();
            lvwWeapon->SelectRow(next);
            RefreshFigures();
        });
        return false;
    });
}

void TfrmMain::lvwOptionDblClick() {
    EditThroughPicker(frmOption_, [&] { RebuildOptionsFromPicker(designer_); });
}

void TfrmMain::lvwMoveDblClick() {
    EditThroughPicker(frmMove_, [&] { RebuildMovesFromPicker(designer_); });
}

bool TfrmMain::lvwOptionKeyDown(ReportListView* sender, int key) {
    if (key != VirtualKey::F2) return false;
    if (sender == lvwOption)
        lvwOptionDblClick();
    else if (sender == lvwMove)
        lvwMoveDblClick();
    return true;
}

bool TfrmMain::lvwWeaponKeyDown(int key) {
    if (key == VirtualKey::F2) {
        mnuAddWpnClick();
        return true;
    }
    if (key == VirtualKey::Delete) {
        mnuDelWpnClick();
        return true;
    }
    return false;
}

// ---- recent files, dropped files, help -------------------------------------------

void TfrmMain::RefreshRecentFiles() {
    mnuRecent->clear();
    const std::vector<std::filesystem::path> files = ReadRecentFiles(ProfileFile(settingsFile_));
    for (std::size_t i = 0; i < files.size(); ++i) {
        // "&1 name.kr" to "1&0 name.kr"; an "&" of the name is no accelerator,
        // and a control character would break the item's line.
        QString name = PathString(files[i].filename());
        for (QChar& c : name)
            if (c.category() == QChar::Other_Control) c = u'?';
        name.replace(u'&', QStringLiteral("&&"));
        const QString number = i < 9 ? QStringLiteral("&%1").arg(i + 1) : QStringLiteral("1&0");
        QAction* item = mnuRecent->addAction(number + u' ' + name);
        item->setToolTip(PlainToolTip(PathString(files[i])));
        connect(item, &QAction::triggered, this, [this, file = files[i]] { mnuRecentClick(file); });
    }
    mnuRecent->menuAction()->setEnabled(!files.empty());
}

void TfrmMain::AddToRecentFiles(const std::filesystem::path& file) {
    try {
        // The first run of an installed program has no settings folder yet.
        std::error_code ignored;
        std::filesystem::create_directories(settingsFile_.parent_path(), ignored);
        ProfileFile settings(settingsFile_);
        RememberRecentFile(settings, file);
    } catch (const KrError& error) {
        // The load or the save itself went well; the status line says both.
        const QString failure = QStringLiteral("最近使ったファイルの一覧を保存できません: ") + QString::fromUtf8(error.what());
        const bool told = !stbMain->Notice().isEmpty() && stbMain->NoticeAbout() == StatusLine::About::Design;
        stbMain->Show(told ? stbMain->Notice() + QStringLiteral(" / ") + failure : failure);
    }
}

void TfrmMain::mnuRecentClick(const std::filesystem::path& file) {
    std::error_code ec;
    // A file that cannot be looked at (a folder without permission) is not
    // known to be gone: loading it tells what is wrong.
    if (!std::filesystem::exists(file, ec) && !ec) {
        bool forgotten = false;
        Guarded(this, [&] {
            ProfileFile settings(settingsFile_);
            ForgetRecentFile(settings, file);
            forgotten = true;
        });
        stbMain->Show(Utf8ToQString(FormatMessage(forgotten ? "%s はもうありません。最近使ったファイルから外しました"
                                                            : "%s はもうありません",
                                                  PathText(file))));
        return;
    }
    OpenUnitFile(file);
}

namespace {

// The unit file a drag carries: exactly one local file that is a regular
// file (or a link to one) with the extension ".kr", in any case.
std::optional<std::filesystem::path> DroppedUnitFile(const QMimeData* data) {
    if (!data || !data->hasUrls()) return std::nullopt;
    const QList<QUrl> urls = data->urls();
    if (urls.size() != 1 || !urls.front().isLocalFile()) return std::nullopt;
    const std::filesystem::path file = PathOf(urls.front().toLocalFile());
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) return std::nullopt;
    if (PathString(file.extension()).compare(QStringLiteral(".kr"), Qt::CaseInsensitive) != 0) return std::nullopt;
    return file;
}

}  // namespace

void TfrmMain::dragEnterEvent(QDragEnterEvent* event) {
    if (!TakeUnitFileDrag(event)) event->ignore();
}

void TfrmMain::dragMoveEvent(QDragMoveEvent* event) {
    if (!TakeUnitFileDrag(event)) event->ignore();
}

void TfrmMain::dropEvent(QDropEvent* event) {
    if (!TakeUnitFileDrag(event)) event->ignore();
}

bool TfrmMain::TakeUnitFileDrag(QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop) return false;
    auto* drag = static_cast<QDropEvent*>(event);
    const std::optional<std::filesystem::path> file = DroppedUnitFile(drag->mimeData());
    if (!file) return false;
    drag->acceptProposedAction();
    // The load (and any error box) comes after the drop has ended, so the
    // program the file came from is not kept waiting.
    if (type == QEvent::Drop) QTimer::singleShot(0, this, [this, path = *file] { OpenUnitFile(path); });
    return true;
}

void TfrmMain::mnuUsageClick() {
    if (!frmHelp_) frmHelp_ = new TfrmHelp(this);
    frmHelp_->ShowHelp();
}

void TfrmMain::mnuAboutClick() {
    TfrmAbout about(this, folders_);
    about.exec();
}

}  // namespace kr

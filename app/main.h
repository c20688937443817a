// The main window "ＫＲデザイナ" and the start-up of a design session.
//
// How a command flows: a window handler (menu item, key, double-click) shows
// a dialog or a picker if it must, then calls the core command on the
// Designer state (templates, rebuilds, deletion, unit file, reports); every
// command that changes the sheet ends with Recalculate, which rewrites the
// figure texts and computed cells in the core; finally the handler refreshes
// the widgets from the core state. No game rule lives in a window class, and
// every handler runs inside Guarded(), so an error stops the command, shows
// the error box, and never reaches Qt's event loop. A command that may change
// the design runs inside ChangeDesign(), which keeps the state before it as
// an undo step when it changed (beginning a new document for a template, a
// load or a restore), keeps the recovery file up to date and updates the
// title.
#pragma once

#include "data_folders.h"
#include "designer.h"
#include "f_move.h"
#include "history.h"
#include "f_option.h"
#include "recovery.h"
#include "f_weapon.h"
#include "record_sheet_content.h"
#include "help.h"
#include "row_model.h"
#include "window_kit.h"

#include <QAction>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QElapsedTimer>
#include <QTimer>
#include <QToolButton>

#include <array>
#include <cstdint>
#include <filesystem>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kr {

// The status line at the bottom of the main window: notices that must not
// stop the user (names a load dropped, where a file was written). The text
// is cut with "…" to the line's width; the whole of it is in the tooltip.
class StatusLine : public QLabel {
public:
    explicit StatusLine(QWidget* parent = nullptr);
    // What a notice is about: the design (a load's dropped names, where it
    // was saved), which the next change of design makes old, or the session
    // (its recovery file, its settings), which stays until the next notice.
    enum class About { Design, Session };
    // Shows a notice; `details` (if any) is the tooltip, else the notice itself.
    void Show(const QString& notice, const QString& details = {}, About about = About::Design);
    void Clear();
    const QString& Notice() const { return notice_; }
    About NoticeAbout() const { return about_; }
    // How many notices were shown (or cleared) so far: a command that
    // showed none leaves it as it was.
    std::uint64_t Shown() const { return shown_; }
    // The design changed: a notice about the design before goes, unless
    // another was shown since `shown`.
    void DesignChanged(std::uint64_t shown);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Elide();
    QString notice_;
    About about_ = About::Design;
    std::uint64_t shown_ = 0;
};

// The program's icon in every size it comes in.
QIcon ApplicationIcon();

class TfrmMain : public QMainWindow {
    Q_OBJECT
public:
    // FormCreate: restores the placement from the settings file, then waits
    // for the three catalogs, which load meanwhile, and shows their failures.
    TfrmMain(Designer& designer, std::future<std::vector<std::string>> catalogFailures, const DataFolders& folders);
    // FormDestroy: writes the placement.
    ~TfrmMain() override;

    // The pickers, created after this window.
    void SetPickers(TfrmOption* options, TfrmMove* moves, TfrmWeapon* weapons);

    // Commands.
    void mnuNewClick(int number);
    void mnuLoadClick();
    // What the load command does once a file is chosen: loads it (an error
    // goes to the error box), recalculates and refreshes.
    void OpenUnitFile(const std::filesystem::path& file);
    void mnuSaveClick();
    void mnuUpdateClick();
    void mnuClipClick();
    void mnuHtmlClick();
    // The record sheet: printed through the preview, or written as a PDF
    // or as pictures.
    void mnuPrintClick();
    void mnuPdfClick();
    void mnuPngClick();
    void mnuAddWpnClick();
    void mnuDelWpnClick();
    void lvwOptionDblClick();
    void lvwMoveDblClick();
    void mnuUndoClick();
    void mnuRedoClick();
    // Loads a design a copy that no longer runs left behind, the newest
    // first (Edit → 終了時の設計を復元).
    void mnuRestoreClick(int index = 0);
    // Opens a file of the 最近使ったファイル list; one that is gone leaves the list.
    void mnuRecentClick(const std::filesystem::path& file);
    // 使い方 (F1) and バージョン情報.
    void mnuUsageClick();
    void mnuAboutClick();
    bool lvwOptionKeyDown(ReportListView* sender, int key);
    bool lvwWeaponKeyDown(int key);
    void tbrMainResize();

    // Mirrors the core state in the widgets.
    void RefreshSheet();

    Designer& designer() { return designer_; }
    // The name box's pop-up menu, whose undo and redo are the design's.
    QMenu* NameBoxMenu();

    // Components, named as the players' documentation names them.
    QWidget* tbrMain = nullptr;
    QToolButton* tbnOpen = nullptr;
    QToolButton* tbnLoad = nullptr;
    QLabel* lblName = nullptr;
    QLineEdit* txtKrName = nullptr;
    QLabel* lblClassP = nullptr;
    QFrame* Panel1 = nullptr;
    QLabel* lblClass = nullptr;
    QFrame* pnlBase = nullptr;
    QLabel *lblFire = nullptr, *lblBtl = nullptr, *lblSpd = nullptr, *lblSns = nullptr, *lblCP = nullptr;
    QLabel *lblAmr = nullptr, *lblHP = nullptr, *lblPow = nullptr, *lblPunch = nullptr, *lblBP = nullptr,
           *lblPlice = nullptr;
    QLabel *lblCPC = nullptr;
    ReportListView* lvwOption = nullptr;
    ReportListView* lvwMove = nullptr;
    ReportListView* lvwWeapon = nullptr;
    QMenu* mnuFile = nullptr;
    QMenu* mnuNew = nullptr;
    QMenu* mnuOutput = nullptr;
    std::array<QAction*, TemplateCount> mnuNewItems{};
    QAction* mnuLoad = nullptr;
    QMenu* mnuRecent = nullptr;  // 最近使ったファイル, filled when the File menu opens
    QAction* mnuSave = nullptr;
    QAction* mnuUpdate = nullptr;
    QAction* mnuClip = nullptr;
    QAction* mnuHtml = nullptr;
    QAction* mnuPdf = nullptr;
    QAction* mnuPng = nullptr;
    QAction* mnuPrint = nullptr;
    QAction* mnuExit = nullptr;
    QMenu* mnuEdit = nullptr;
    QAction* mnuUndo = nullptr;
    QAction* mnuRedo = nullptr;
    QAction* mnuRestore = nullptr;     // the submenu of the designs left behind
    QMenu* mnuRestoreList = nullptr;
    QMenu* mnuHelp = nullptr;
    QAction* mnuUsage = nullptr;
    QAction* mnuAbout = nullptr;
    QMenu* pmuWeapon = nullptr;
    StatusLine* stbMain = nullptr;
    QAction* mnuAddWpn = nullptr;
    QAction* mnuDelWpn = nullptr;

    // The three file dialogs (their kept file names live in the Designer).
    static FileDialogRequest dlgOpen();
    static FileDialogRequest dlgSave();
    static FileDialogRequest dlgSaveHtml();
    static FileDialogRequest dlgSavePdf();
    static FileDialogRequest dlgSavePng();

private:
    void BuildToolBar();
    void BuildFigurePanel();
    void BuildLists();
    void BuildMenus();
    // Places the captions and figure boxes of the figure panel for their texts.
    void LayOutFigures();
    void RefreshFigures();
    void RefreshLists();
    void RefreshName();
    // Shows a file dialog offering the kept file name; an empty path when cancelled.
    std::filesystem::path ChooseFile(FileDialogRequest request, const std::filesystem::path& kept);
    // Saves the design to the file, which becomes the document's; a failed
    // save changes nothing but the error box.
    void SaveTo(const std::filesystem::path& file);
    // What a load or a restore learnt of the design's file.
    void LearnFile(bool holdsDesign);
    void BuildRestoreMenu();
    // Notices of the start: recovery files not offered, a settings file refused.
    void ShowStartNotices(const std::filesystem::path& settingsFile);
    // A sheet's file: the file the dialog keeps, else the unit file's name
    // with the extension; an empty path when cancelled.
    std::filesystem::path ChooseSheetFile(FileDialogRequest request, std::filesystem::path& kept, const char* extension);
    // What a record sheet's header names: the remembered unit file and today.
    SheetHeading Heading() const;
    // Typed or pasted text lost characters, or was cut at the name's limit.
    void NameInputRefused(const QString& leftOut, bool cut);
    // The names a load dropped, in the status line.
    void ShowDroppedNames(const std::vector<std::string>& dropped);
    // The name box's text became the sheet's name.
    void NameEdited(const QString& text);
    // Ends a burst of typing in the name box, so the next one is a step of its own.
    void EndNameBurst();

    // Shows a picker modally as one step of the design, then brings the
    // sheet up to date (`afterwards`: a rebuild from the ticks or a
    // recalculation) and refreshes the window.
    void EditThroughPicker(TfrmPicker* picker, const std::function<void()>& afterwards);
    // Undo or redo one step, and the window follows.
    void StepThroughHistory(void (DesignHistory::*step)(Designer&));
    // Runs a command that may change the design; see the top of this file.
    // The command returns whether it began a new document (a template, a
    // load or a restore).
    void ChangeDesign(const std::function<bool()>& command);
    // The design changed: notices about earlier designs go (unless the
    // change showed its own since `notices`), the recovery file follows.
    void DesignChanged(std::uint64_t notices);
    // The title names the remembered unit file and marks unsaved changes;
    // the Edit menu follows the history.
    void UpdateTitleAndMenus();
    // The recovery file is written at most once a second, and at the end.
    void ScheduleRecovery();
    bool WriteRecovery();
    // Figure box tooltips, made when asked: the sums behind the figures.
    bool eventFilter(QObject* watched, QEvent* event) override;
    // The 最近使ったファイル items, as the settings file holds them now.
    void RefreshRecentFiles();
    // A unit file was loaded or saved: it heads the 最近使ったファイル list.
    void AddToRecentFiles(const std::filesystem::path& file);
    // A .kr file dropped on the window loads as 読み込み does; anything else is refused.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    // Accepts a drag or drop event that carries a unit file (and loads it on
    // the drop); false for any other event.
    bool TakeUnitFileDrag(QEvent* event);

    // The figure panel's captions and boxes with their design places.
    struct FigureSlot {
        QLabel* Caption;
        int CaptionLeft;
        QLabel* Box;
        int BoxLeft;
        int BoxWidth;
        int Row;  // 0 or 1
        SheetFigure Figure;
    };
    std::vector<FigureSlot> figureSlots_;

    Designer& designer_;
    DataFolders folders_;
    std::filesystem::path settingsFile_;
    TfrmHelp* frmHelp_ = nullptr;  // made when first asked for

    DesignHistory history_;
    bool nameBurst_ = false;
    QTimer nameBurstTimer_;

    std::unique_ptr<RecoverySlots> recovery_;
    bool recoveryPending_ = false;
    QTimer recoveryTimer_;
    QElapsedTimer sinceRecoveryWrite_;
    TfrmOption* frmOption_ = nullptr;
    TfrmMove* frmMove_ = nullptr;
    TfrmWeapon* frmWeapon_ = nullptr;
};

// The program's windows, created in the order main window, option picker,
// move picker, weapon picker and destroyed in reverse, each storing its
// placement as it goes.
class DesignerSession {
public:
    explicit DesignerSession(const DataFolders& folders);
    // The same over catalogs whose loading began earlier.
    DesignerSession(const DataFolders& folders, CatalogsLoading loading);
    // Catalogs and settings in one folder.
    explicit DesignerSession(const std::filesystem::path& directory);
    ~DesignerSession();
    DesignerSession(const DesignerSession&) = delete;
    DesignerSession& operator=(const DesignerSession&) = delete;

    TfrmMain& Main() { return *frmMain; }

    const std::unique_ptr<Catalogs> loadedCatalogs;
    Catalogs& catalogs;
    Designer designer{catalogs};
    std::unique_ptr<TfrmMain> frmMain;
    std::unique_ptr<TfrmOption> frmOption;
    std::unique_ptr<TfrmMove> frmMove;
    std::unique_ptr<TfrmWeapon> frmWeapon;
};

}  // namespace kr

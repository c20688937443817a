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
#include "figure_panel.h"
#include "status_line.h"
#include "designer.h"
#include "f_move.h"
#include "history.h"
#include "f_option.h"
#include "recovery_keeper.h"
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
#include <QTimer>
#include <QToolButton>

#include <array>
#include <cstdint>
#include <filesystem>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace kr {

// The program's icon in every size it comes in.
QIcon ApplicationIcon();

class TfrmMain : public QMainWindow {
    Q_OBJECT
public:
    // FormCreate: restores the placement from the settings file. The three
    // catalogs go on loading meanwhile: the window can be shown and painted
    // before they are there (see WaitForCatalogs).
    TfrmMain(Designer& designer, std::future<std::vector<std::string>> catalogFailures, const DataFolders& folders);
    // FormDestroy: writes the placement.
    ~TfrmMain() override;

    // Once, when the catalogs have loaded (the event loop is told) or when a
    // command needs them first (it waits, under the wait cursor): fills the
    // pickers, shows each catalog's failure in its box, then runs what was
    // put off until then.
    void WaitForCatalogs();
    // Runs `action` once the catalogs are there: at once if they are.
    void AfterCatalogs(std::function<void()> action);

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
    FigurePanel* pnlBase = nullptr;
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
    // Notices of the start: recovery files not offered, a settings file refused.
    void ShowStartNotices(const std::filesystem::path& settingsFile);
    // A sheet's file: the file the dialog keeps, else the unit file's name
    // with the extension; an empty path when cancelled.
    std::filesystem::path ChooseSheetFile(FileDialogRequest request, std::filesystem::path& kept, const char* extension);
    // What a record sheet's header names: the remembered unit file and today.
    SheetHeading Heading() const;
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

    Designer& designer_;
    DataFolders folders_;
    std::filesystem::path settingsFile_;
    TfrmHelp* frmHelp_ = nullptr;  // made when first asked for

    DesignHistory history_;
    // The state before the burst of typing under way, which becomes one
    // step when the burst ends.
    std::optional<DesignState> burstBefore_;
    QTimer nameBurstTimer_;

    // It writes the last change as the window goes, while the status line is still there.
    std::unique_ptr<RecoveryKeeper> recovery_;
    TfrmOption* frmOption_ = nullptr;
    TfrmMove* frmMove_ = nullptr;
    TfrmWeapon* frmWeapon_ = nullptr;

    // The loading catalogs' failures, and what waits for them.
    std::shared_future<std::vector<std::string>> catalogFailures_;
    bool catalogsTaken_ = false;
    std::vector<std::function<void()>> afterCatalogs_;
    // Waits for the loading and then tells the event loop; joined first
    // thing when the window goes.
    std::thread catalogWatch_;
};

}  // namespace kr

// What the window tests share: a folder of the shipped catalogs, the program's
// windows started on it, a stand-in for the dialogs, the desktop, the
// clipboard and the error box, commands run with their pickers, typing, and
// reading lists and figures.
#pragma once

#include "codec.h"
#include "gui_kit.h"
#include "designer_session.h"
#include "report_ui.h"

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

namespace guikit {

using namespace kr;
namespace fs = std::filesystem;

// A catalog folder: a temporary directory holding copies of the shipped
// catalogs (all of them, unless some are left out on purpose).
struct Folder {
    explicit Folder(const QStringList& leaveOut = {}) {
        for (const char* name : {"option.csv", "weapon.csv", "move.csv"}) {
            const QString file = QString::fromLatin1(name);
            if (!leaveOut.contains(file))
                QFile::copy(QStringLiteral(KR_SHIPPED_DATA_DIR "/") + file, dir.filePath(file));
        }
    }
    fs::path Path() const { return fs::path(dir.path().toStdString()); }
    QString File(const QString& name) const { return dir.filePath(name); }
    QString Settings() const { return File(QStringLiteral("KRMAKE.INI")); }

    QTemporaryDir dir;
};

inline QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

// The error box of a file that cannot be read.
inline QString CannotOpenBox(const QString& path) {
    return QStringLiteral("ファイル ") + path + QStringLiteral(" は開けません.");
}

// The CP932 bytes of a text.
inline QByteArray Cp932(const QString& text) {
    return QByteArray::fromStdString(Utf8ToCp932(text.toUtf8().toStdString()).value_or("?"));
}

// Types the text into the widget, one key press per character, as a keyboard
// (or an input method committing its text) would.
inline void TypeText(QWidget* widget, const QString& text) {
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &release);
    }
}

inline void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) file.write(bytes);
}

// Stands in for the file dialogs, the desktop viewer, the clipboard, the
// error box and the print preview while it lives; the real functions come
// back afterwards.
class FakeDesktop {
public:
    FakeDesktop() : saved_(Desktop()), savedPrinting_(Printing()) {
        Desktop().ChooseFile = [this](QWidget*, const FileDialogRequest& request) {
            Requests.push_back(request);
            if (Answers.empty()) return QString();
            const QString answer = Answers.front();
            Answers.pop_front();
            return answer;
        };
        Desktop().OpenDocument = [this](const QString& path) {
            Opened.append(path);
            OpenedContents.append(ReadBytes(path));
            return ViewerWorks;
        };
        Desktop().SetClipboardText = [this](const QString& text) {
            if (!ClipboardWorks) return false;
            Clipboard.append(text);
            return true;
        };
        Desktop().ShowErrorMessage = [this](QWidget*, const QString& text) { Errors.append(text); };
        // The preview paints once, on a printer writing a PDF file when
        // PrintTo names one; its answer is PrintAnswer.
        Printing().PrintWithPreview = [this](QWidget*, const QPageSize& paper,
                                             const std::function<void(QPrinter&)>& paint) {
            Papers.append(paper);
            if (!PrintTo.isEmpty()) {
                QPrinter printer(QPrinter::HighResolution);
                printer.setOutputFormat(QPrinter::PdfFormat);
                printer.setOutputFileName(PrintTo);
                printer.setPageSize(paper);
                paint(printer);
            }
            return PrintAnswer;
        };
    }
    ~FakeDesktop() {
        Desktop() = saved_;
        Printing() = savedPrinting_;
    }
    FakeDesktop(const FakeDesktop&) = delete;
    FakeDesktop& operator=(const FakeDesktop&) = delete;

    std::deque<QString> Answers;  // what the dialogs return, in turn; an empty text cancels
    std::vector<FileDialogRequest> Requests;
    QStringList Opened;
    QList<QByteArray> OpenedContents;  // each document's bytes when it was handed over
    bool ClipboardWorks = true;
    bool ViewerWorks = true;
    QStringList Clipboard;
    QStringList Errors;
    QList<QPageSize> Papers;  // each preview's paper
    QString PrintTo;
    bool PrintAnswer = true;

private:
    DesktopSeam saved_;
    PrintSeam savedPrinting_;
};

// Starts the program's windows on the folder and shows the main window, as
// the entry does.
inline std::unique_ptr<DesignerSession> Start(const Folder& folder) {
    auto session = std::make_unique<DesignerSession>(folder.Path());
    session->Main().show();
    return session;
}

// A session over a fresh folder with the desktop stood in for, which outlives
// the windows (they may show errors as they go).
struct Running {
    explicit Running(const QStringList& leaveOut = {}) : folder(leaveOut), session(Start(folder)) {}
    TfrmMain& Main() { return session->Main(); }
    Folder folder;
    FakeDesktop desktop;
    std::unique_ptr<DesignerSession> session;
};

// The settings file a first run leaves behind when no window was moved: each
// window's design placement, written as the windows are destroyed, weapon
// picker first.
const QByteArray DesignSettings =
    "[GENERAL]\r\n"
    "W_LEFT=526\r\nW_TOP=541\r\nW_HEIGHT=143\r\nW_WIDTH=561\r\n"
    "M_LEFT=436\r\nM_TOP=573\r\nM_HEIGHT=150\r\nM_WIDTH=550\r\n"
    "O_LEFT=519\r\nO_TOP=526\r\nO_HEIGHT=137\r\nO_WIDTH=535\r\n"
    "LEFT=201\r\nTOP=168\r\nHEIGHT=523\r\nWIDTH=600\r\n";

// What happened to the picker a command opened.
struct PickerRun {
    TfrmPicker* Opened = nullptr;
    int Openings = 0;
    bool ClosedByEsc = true;
};

// Runs a command. A picker that it shows modally is handed to `whileOpen`
// and then closed with Esc on its list (or, should Esc not close it, closed
// from here and reported).
inline PickerRun RunCommand(const std::function<void()>& command,
                     const std::function<void(TfrmPicker&)>& whileOpen = {}) {
    PickerRun run;
    TfrmPicker* escaped = nullptr;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* picker = qobject_cast<TfrmPicker*>(QApplication::activeModalWidget());
        if (!picker || !picker->isVisible()) return;
        if (picker == escaped) {
            run.ClosedByEsc = false;
            picker->done(0);
            return;
        }
        run.Opened = picker;
        ++run.Openings;
        if (whileOpen) whileOpen(*picker);
        escaped = picker;
        QTest::keyClick(picker->List(), Qt::Key_Escape);
    });
    poll.start();
    command();
    poll.stop();
    return run;
}

inline QStringList Captions(const ReportListView* list) {
    QStringList captions;
    const QAbstractItemModel* model = list->model();
    for (int row = 0; row < model->rowCount(); ++row) captions.append(model->index(row, 0).data().toString());
    return captions;
}

inline QStringList Ticked(const TfrmPicker& picker) {
    QStringList names;
    const QAbstractItemModel* model = picker.Model();
    for (int row = 0; row < model->rowCount(); ++row)
        if (model->index(row, 0).data(Qt::CheckStateRole).toInt() == Qt::Checked)
            names.append(model->index(row, 0).data().toString());
    return names;
}

inline int RowOf(const TfrmPicker& picker, const QString& caption) {
    const QAbstractItemModel* model = picker.Model();
    for (int row = 0; row < model->rowCount(); ++row)
        if (model->index(row, 0).data().toString() == caption) return row;
    return -1;
}

// Ticks or unticks a picker's row of that caption, as a click on its box does.
inline void Tick(TfrmPicker& picker, const QString& caption, bool ticked = true) {
    const int row = RowOf(picker, caption);
    QVERIFY2(row >= 0, qPrintable(caption));
    picker.Model()->setData(picker.Model()->index(row, 0), ticked ? Qt::Checked : Qt::Unchecked, Qt::CheckStateRole);
}

// The eleven figure boxes, in the panel's reading order, then the class box.
inline QStringList Figures(const TfrmMain& w) {
    return {w.lblFire->text(), w.lblBtl->text(), w.lblSpd->text(),   w.lblSns->text(),
            w.lblCP->text(),   w.lblAmr->text(), w.lblHP->text(),    w.lblPow->text(),
            w.lblPunch->text(), w.lblBP->text(), w.lblPlice->text(), w.lblClass->text()};
}

// The weapon picker row of the first follow-up weapon ("└..."), whose own
// weapon stands right above it.
inline int FirstFollowUpRow(const TfrmPicker& picker) {
    const QAbstractItemModel* model = picker.Model();
    for (int row = 1; row < model->rowCount(); ++row)
        if (model->index(row, 0).data().toString().startsWith(QChar(0x2514))) return row;
    return -1;
}

// Adds a picker row through the weapon picker, opened from the pop-up menu:
// the row is selected and Enter pressed.
inline PickerRun AddWeaponByEnter(TfrmMain& w, int pickerRow) {
    return RunCommand([&] { w.mnuAddWpn->trigger(); }, [&](TfrmPicker& picker) {
        picker.List()->SelectRow(pickerRow);
        QTest::keyClick(picker.List(), Qt::Key_Return);
    });
}

// Replaces the weapon rows with those of the names, recalculated and shown.
inline void SetWeapons(TfrmMain& w, const QStringList& names) {
    WeaponRows& rows = w.designer().Sheet.Weapons;
    rows.Clear();
    for (const QString& name : names) {
        const TKrWeapon* weapon = w.designer().Catalog.Weapon.FindByName(Cp932(name).toStdString());
        QVERIFY2(weapon, qPrintable(name));
        rows.Append(weapon);
    }
    Recalculate(w.designer().Sheet);
    w.RefreshSheet();
}

}  // namespace guikit

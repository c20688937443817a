// Nothing lost: undo and redo across every kind of change, the chain of
// documents (the file Ctrl+S writes, the title's mark), the status line,
// the recovery files after a change, after quitting, after a kill and with
// two copies running, and restoring them; and the figure boxes' tooltips.
#include "session_kit.h"

#include "reports.h"

#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QHelpEvent>
#include <QElapsedTimer>
#include <QProcess>
#include <QToolTip>

#include <sys/stat.h>

#include <csignal>
#include <map>
#include <set>

using namespace guikit;

namespace {

// The clipboard report of the sheet as it stands: every text the window shows.
QString Report(TfrmMain& w) { return Cp932ToQString(BuildClipboardText(w.designer().Sheet)); }

// The design as the window shows it, and the file Ctrl+S writes.
struct Snapshot {
    QString Report;
    QStringList OptionTicks, MoveTicks, Figures;
    bool ListsEnabled;
    std::filesystem::path Save;
    bool operator==(const Snapshot&) const = default;
};

Snapshot Take(DesignerSession& s) {
    return {Report(s.Main()), Ticked(*s.frmOption), Ticked(*s.frmMove), Figures(s.Main()),
            s.Main().lvwWeapon->isEnabled(), s.designer.SaveFileName};
}

// Keys as the player presses them: to the active window (after a picker
// closes, the player's click makes it active again), shortcuts and all.
void Press(TfrmMain& w, Qt::Key key, Qt::KeyboardModifiers modifiers) {
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QTest::keyClick(&w, key, modifiers);
}
void PressUndo(TfrmMain& w) { Press(w, Qt::Key_Z, Qt::ControlModifier); }
void PressRedo(TfrmMain& w) { Press(w, Qt::Key_Y, Qt::ControlModifier); }

// The main window of a running session, made active as a player's click does.
TfrmMain& ActiveMain(DesignerSession& session) {
    session.Main().activateWindow();
    if (!QTest::qWaitForWindowActive(&session.Main())) qWarning("the main window did not become active");
    return session.Main();
}
TfrmMain& ActiveMain(Running& run) { return ActiveMain(*run.session); }

// Undo goes back to `before` and redo forward to `after`, one step each.
void ExpectOneStep(DesignerSession& session, const Snapshot& before, const Snapshot& after) {
    PressUndo(session.Main());
    QVERIFY(Take(session) == before);
    PressRedo(session.Main());
    QVERIFY(Take(session) == after);
}

QString RecoveryFile(const Folder& folder, int slot = 1) {
    return PathString(kr::RecoveryFile(folder.Path(), slot));
}

ino_t InodeOf(const QString& path) {
    struct stat status {};
    return ::stat(path.toLocal8Bit().constData(), &status) == 0 ? status.st_ino : 0;
}

}  // namespace

class HistoryTest : public QObject {
    Q_OBJECT

private slots:
    // Template over template, undone to the empty sheet and redone; Ctrl+Shift+Z
    // redoes too, and nothing is left to redo at the end.
    void templatesUndoAndRedo() {
        Running run;
        DesignerSession& session = *run.session;
        TfrmMain& w = ActiveMain(run);
        QVERIFY(!w.mnuUndo->isEnabled());
        const Snapshot empty = Take(session);
        w.mnuNewClick(4);
        const Snapshot template4 = Take(session);
        w.mnuNewClick(2);
        const Snapshot template2 = Take(session);
        PressUndo(w);
        QVERIFY(Take(session) == template4);
        PressRedo(w);
        QVERIFY(Take(session) == template2);
        Press(w, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(Take(session) == template2);
        PressUndo(w);
        PressUndo(w);
        QVERIFY(Take(session) == empty);
        QVERIFY(!w.mnuUndo->isEnabled() && w.mnuRedo->isEnabled());
        PressRedo(w);
        QVERIFY(Take(session) == template4);
        Press(w, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(Take(session) == template2);

        // A new change after an undo ends what could be redone.
        PressUndo(w);
        w.mnuNewClick(5);
        const Snapshot template5 = Take(session);
        QVERIFY(!w.mnuRedo->isEnabled());
        PressRedo(w);
        QVERIFY(Take(session) == template5);
        PressUndo(w);
        QVERIFY(Take(session) == template4);
    }

    // A picker session is one step, ticks and rows together.
    void pickerSessionIsOneStep() {
        Running run;
        TfrmMain& w = ActiveMain(run);
        const Snapshot empty = Take(*run.session);
        w.mnuNewClick(4);
        const Snapshot template4 = Take(*run.session);
        RunCommand([&] { w.lvwOptionDblClick(); }, [&](TfrmPicker& picker) {
            Tick(picker, QStringLiteral("射撃管制装置"));
            Tick(picker, QStringLiteral("暗視ｶﾒﾗ"));
        });
        QCOMPARE(Captions(w.lvwOption).size(), 5);
        ExpectOneStep(*run.session, template4, Take(*run.session));

        // A picker closed without a change, and a cancelled load, are no step.
        PressUndo(w);
        QCOMPARE(RunCommand([&] { w.lvwMoveDblClick(); }).Openings, 1);
        w.mnuLoadClick();
        PressUndo(w);
        QVERIFY(Take(*run.session) == empty);
        // The start again: blank boxes, lists that open no picker.
        QCOMPARE(RunCommand([&] { w.lvwOptionDblClick(); }).Openings, 0);
    }

    // A weapon added through the picker, then deleted: a step each.
    void weaponAddAndDeleteAreOneStepEach() {
        Running run;
        TfrmMain& w = ActiveMain(run);
        w.mnuNewClick(4);
        const Snapshot template4 = Take(*run.session);
        AddWeaponByEnter(w, FirstFollowUpRow(*run.session->frmWeapon));
        const Snapshot added = Take(*run.session);
        QCOMPARE(Captions(w.lvwWeapon).size(), 3);
        w.lvwWeapon->SelectRow(1);
        w.mnuDelWpnClick();
        QCOMPARE(Captions(w.lvwWeapon).size(), 1);
        ExpectOneStep(*run.session, added, Take(*run.session));
        PressUndo(w);
        ExpectOneStep(*run.session, template4, added);
    }

    // A burst of typing is one step; a pause starts the next. Ctrl+Z in the
    // name box undoes the design's steps, not the box's own.
    void typingBurstIsOneStep() {
        Running run;
        TfrmMain& w = ActiveMain(run);
        w.mnuNewClick(4);
        w.txtKrName->setFocus();
        w.txtKrName->end(false);
        TypeText(w.txtKrName, QStringLiteral("改"));
        TypeText(w.txtKrName, QStringLiteral("二"));
        QTest::qWait(1200);
        TypeText(w.txtKrName, QStringLiteral("型"));
        QCOMPARE(w.txtKrName->text(), QStringLiteral("KRH-X31-LS クォーツ改二型"));
        PressUndo(w);
        QCOMPARE(w.txtKrName->text(), QStringLiteral("KRH-X31-LS クォーツ改二"));
        QTest::keyClick(w.txtKrName, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(w.txtKrName->text(), QStringLiteral("KRH-X31-LS クォーツ"));

        // The box's own pop-up menu undoes and redoes the design too.
        const auto item = [&](const char* name) {
            QMenu* menu = w.NameBoxMenu();
            menu->deleteLater();
            for (QAction* action : menu->actions())
                if (action->objectName() == QLatin1String(name)) return action;
            return static_cast<QAction*>(nullptr);
        };
        QVERIFY(item("edit-redo")->isEnabled());
        item("edit-redo")->trigger();
        QCOMPARE(w.txtKrName->text(), QStringLiteral("KRH-X31-LS クォーツ改二"));
        item("edit-undo")->trigger();
        item("edit-undo")->trigger();
        QCOMPARE(Figures(w).last(), QString());  // before the template: the start
        QVERIFY(!item("edit-undo")->isEnabled());
    }

    // A load over a changed design is one step, back to the remembered file names.
    void loadIsOneStep() {
        Running run;
        TfrmMain& w = ActiveMain(run);
        const QString unit = run.folder.File(QStringLiteral("quartz.kr"));
        w.mnuNewClick(4);
        run.desktop.Answers = {unit};
        w.mnuSaveClick();
        w.mnuNewClick(1);
        const Snapshot template1 = Take(*run.session);
        QVERIFY(template1.Save.empty());
        w.txtKrName->setFocus();
        TypeText(w.txtKrName, QStringLiteral("!"));
        const Snapshot edited = Take(*run.session);
        run.desktop.Answers = {unit};
        w.mnuLoadClick();
        QCOMPARE(run.session->designer.SaveFileName, PathOf(unit));
        PressUndo(w);
        QVERIFY(Take(*run.session) == edited);
        PressUndo(w);
        QVERIFY(Take(*run.session) == template1);
        QVERIFY(run.desktop.Errors.isEmpty());
    }

    // The design's history is a chain of documents: a template, a load or a
    // restore begins one, a save gives it its file. After each road of
    // commands: the title (the file, and "*" exactly when the design differs
    // from what the file holds) and where Ctrl+S writes ("dialog" when it
    // asks). Steps: Tn template n, O:f load f.kr, C load cancelled, S:f save
    // as f.kr, S!:f save as into a folder that is not there, W Ctrl+S, N:t
    // type t in the name box, D delete the first weapon, U undo, R redo.
    void documents_data() {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("title");   // "-": no file; "f": f.kr; "f*": f.kr changed
        QTest::addColumn<QString>("saveTo");  // "dialog" or a file
        QTest::newRow("start") << "" << "-" << "dialog";
        QTest::newRow("undo back to the start") << "T1 U" << "-" << "dialog";
        QTest::newRow("undo keeps the file of a save as") << "O:orig N:A S:copy N:B U U N:C" << "copy*" << "copy";
        QTest::newRow("undo after a save as of a template") << "T1 N:Z S:d U" << "d*" << "d";
        QTest::newRow("saved again after that undo") << "T1 N:Z S:d U W" << "d" << "d";
        QTest::newRow("undo past an overwrite") << "O:a N:Q W U" << "a*" << "a";
        QTest::newRow("an edit undone") << "O:a N:x U" << "a" << "a";
        QTest::newRow("an edit undone and redone") << "O:a N:x U R" << "a*" << "a";
        QTest::newRow("failed save as after a template") << "T1 S!:x" << "-" << "dialog";
        QTest::newRow("failed save as after a load") << "O:a N:Q S!:x" << "a*" << "a";
        QTest::newRow("failed save as of a clean load") << "O:a S!:x" << "a" << "a";
        QTest::newRow("a load that dropped names") << "O:drop" << "drop*" << "drop";
        QTest::newRow("undo across a template") << "T1 S:a T2 U" << "a" << "a";
        QTest::newRow("redo across a template") << "T1 S:a T2 U R" << "-" << "dialog";
        QTest::newRow("undo across a load") << "O:a O:b U" << "a" << "a";
        QTest::newRow("redo across a load") << "O:a O:b U R" << "b" << "b";
        QTest::newRow("a cancelled load is no step") << "O:a C U" << "-" << "dialog";
        QTest::newRow("one file, two documents") << "T1 S:a T2 S:a U" << "a*" << "a";
        QTest::newRow("save as while undone, then redo") << "T4 S:a D U S:b R" << "b*" << "b";
        QTest::newRow("a template after a save") << "O:a T3" << "-" << "dialog";
    }
    void documents() {
        QFETCH(QString, steps);
        QFETCH(QString, title);
        QFETCH(QString, saveTo);
        Running run;
        TfrmMain& w = ActiveMain(run);
        // orig.kr, a.kr and b.kr hold stock models; drop.kr a weapon no catalog has.
        for (const auto& [name, model] : {std::pair{"orig", 4}, {"a", 1}, {"b", 3}, {"drop", 1}}) {
            Designer maker(w.designer().Catalog);
            FillPickers(maker);
            ApplyTemplate(maker, model);
            WriteUnitFile(run.folder.Path() / (std::string(name) + ".kr"), maker.Sheet);
        }
        WriteBytes(run.folder.File(QStringLiteral("drop.kr")),
                   ReadBytes(run.folder.File(QStringLiteral("drop.kr"))) + Cp932(QStringLiteral("WEAPON9=光線銃\r\n")));
        const auto file = [&](const QString& name) { return run.folder.File(name + QStringLiteral(".kr")); };
        int failedSaves = 0;
        for (const QString& step : steps.split(u' ', Qt::SkipEmptyParts)) {
            const QString argument = step.section(u':', 1);
            if (step.startsWith(u'T')) {
                w.mnuNewClick(step.mid(1).toInt());
            } else if (step.startsWith(QLatin1String("O:"))) {
                run.desktop.Answers = {file(argument)};
                w.mnuLoadClick();
            } else if (step == QLatin1String("C")) {
                run.desktop.Answers = {QString()};
                w.mnuLoadClick();
            } else if (step.startsWith(QLatin1String("S:"))) {
                run.desktop.Answers = {file(argument)};
                w.mnuSaveClick();
            } else if (step.startsWith(QLatin1String("S!:"))) {
                run.desktop.Answers = {run.folder.File(QStringLiteral("missing/") + argument + QStringLiteral(".kr"))};
                w.mnuSaveClick();
                ++failedSaves;
            } else if (step == QLatin1String("W")) {
                Press(w, Qt::Key_S, Qt::ControlModifier);
            } else if (step.startsWith(QLatin1String("N:"))) {
                w.txtKrName->setFocus();
                w.txtKrName->end(false);
                TypeText(w.txtKrName, argument);
                w.lvwWeapon->setFocus();  // the burst of typing ends
            } else if (step == QLatin1String("D")) {
                w.lvwWeapon->SelectRow(0);
                w.mnuDelWpnClick();
            } else if (step == QLatin1String("U")) {
                PressUndo(w);
            } else if (step == QLatin1String("R")) {
                PressRedo(w);
            } else {
                QFAIL(qPrintable(step));
            }
        }
        QCOMPARE(run.desktop.Errors.size(), failedSaves);

        const QString appTitle = QStringLiteral("ＫＲデザイナ");
        const bool modified = title.endsWith(u'*');
        const QString name = modified ? title.chopped(1) : title;
        QCOMPARE(w.windowTitle(), name == QLatin1String("-") ? appTitle : name + QStringLiteral(".kr[*] - ") + appTitle);
        QCOMPARE(w.isWindowModified(), modified);

        // Ctrl+S: which file is replaced (a save puts a new file in place).
        const auto inodes = [&] {
            std::map<QString, ino_t> found;
            for (const QFileInfo& info : QDir(run.folder.dir.path()).entryInfoList({QStringLiteral("*.kr")}, QDir::Files))
                found[info.completeBaseName()] = std::filesystem::status(info.filePath().toStdString()).type() ==
                                                         std::filesystem::file_type::regular
                                                     ? InodeOf(info.filePath())
                                                     : 0;
            return found;
        };
        const auto before = inodes();
        const std::size_t dialogs = run.desktop.Requests.size();
        Press(w, Qt::Key_S, Qt::ControlModifier);
        const auto after = inodes();
        QStringList replaced;
        for (const auto& [base, inode] : after)
            if (!before.count(base) || before.at(base) != inode) replaced.append(base);
        if (saveTo == QLatin1String("dialog")) {
            QCOMPARE(run.desktop.Requests.size(), dialogs + 1);
            QVERIFY(replaced.isEmpty());
        } else {
            QCOMPARE(run.desktop.Requests.size(), dialogs);
            QCOMPARE(replaced, QStringList{saveTo});
            QVERIFY(!w.isWindowModified());
        }
    }

    // Any change of the design ends the notices about an earlier one; a
    // notice names a file's text as it is, never as markup.
    void statusLineSpeaksOfNow() {
        Running run;
        TfrmMain& w = ActiveMain(run);
        const QString unit = run.folder.File(QStringLiteral("unknown.kr"));
        const QString marked = QStringLiteral("<h1 style=\"color:red\">赤</h1><img src=\"x.png\">");
        WriteBytes(unit, Cp932(QStringLiteral("[基本性能]\r\nクラス=M\r\n[武装]\r\nWEAPON0=") + marked +
                               QStringLiteral("\r\nWEAPON1=11mmMG\r\n")));
        w.OpenUnitFile(PathOf(unit));
        QCOMPARE(w.stbMain->Notice(), QStringLiteral("カタログにない名前を読み飛ばしました: ") + marked);
        const ShownToolTip tip = HoverToolTip(w.stbMain);
        QCOMPARE(tip.Text, marked);
        QVERIFY(!tip.Image.isNull());
        QVERIFY(InkExtent(tip.Image, IsRed).isEmpty());

        PressUndo(w);
        QCOMPARE(w.stbMain->Notice(), QString());
        w.mnuNewClick(2);
        w.mnuUpdateClick();  // asks, and is cancelled
        run.desktop.Answers = {run.folder.File(QStringLiteral("basalt.kr"))};
        w.mnuSaveClick();
        QVERIFY(w.stbMain->Notice().endsWith(QStringLiteral("basalt.kr に保存しました")));
        w.txtKrName->setFocus();
        TypeText(w.txtKrName, QStringLiteral("改"));
        QCOMPARE(w.stbMain->Notice(), QString());
        QVERIFY(run.desktop.Errors.isEmpty());

        // A notice about the session (a recovery file that holds no design)
        // stays through changes of the design.
        Folder folder;
        WriteBytes(RecoveryFile(folder), QByteArray("\x93\x01garbage\xff", 11));
        FakeDesktop desktop;
        auto session = Start(folder);
        TfrmMain& other = session->Main();
        const QString notice = other.stbMain->Notice();
        QVERIFY2(notice.contains(QStringLiteral("KRMAKE.RECOVERY.kr")), qPrintable(notice));
        other.mnuNewClick(1);
        PressUndo(other);
        QCOMPARE(other.stbMain->Notice(), notice);
    }

    // The recovery file follows every change within a second and holds the
    // design at quitting; the next session restores it as one undoable step,
    // a design of its file: Ctrl+S writes there, and the title marks it
    // changed exactly when the file holds something else.
    void recoveryAfterAChangeAndAfterQuitting() {
        Folder folder;
        FakeDesktop desktop;
        const QString quartz = folder.File(QStringLiteral("quartz.kr"));
        QString template4;
        {
            auto session = Start(folder);
            TfrmMain& w = session->Main();
            QVERIFY(!w.mnuRestore->isEnabled());
            QVERIFY(!QFile::exists(RecoveryFile(folder)));
            w.mnuNewClick(4);
            QTRY_VERIFY_WITH_TIMEOUT(ReadBytes(RecoveryFile(folder)).contains(Cp932(QStringLiteral("名称=KRH-X31-LS クォーツ\r\n"))), 1500);
            desktop.Answers = {quartz};
            w.mnuSaveClick();
            w.txtKrName->setFocus();
            TypeText(w.txtKrName, QStringLiteral("改"));
            template4 = Report(w);
        }  // quitting writes the last change at once
        QVERIFY(ReadBytes(RecoveryFile(folder)).contains(Cp932(QStringLiteral("名称=KRH-X31-LS クォーツ改\r\n"))));

        {
            auto session = Start(folder);
            TfrmMain& w = ActiveMain(*session);
            QVERIFY(w.mnuRestore->isEnabled());
            QCOMPARE(w.mnuRestoreList->actions().size(), 1);
            w.mnuNewClick(1);
            QTRY_VERIFY_WITH_TIMEOUT(ReadBytes(RecoveryFile(folder, 2)).contains(Cp932(QStringLiteral("KRM-11-LS"))), 1500);
            w.mnuRestoreList->actions().front()->trigger();
            QCOMPARE(Report(w), template4);
            QCOMPARE(Ticked(*session->frmOption).size(), 3);
            QCOMPARE(w.windowTitle(), QStringLiteral("quartz.kr[*] - ＫＲデザイナ"));
            QVERIFY(w.isWindowModified());
            // Kept in this copy's file before the one it came from goes.
            QVERIFY(!QFile::exists(RecoveryFile(folder)));
            QVERIFY(ReadBytes(RecoveryFile(folder, 2)).contains(Cp932(QStringLiteral("名称=KRH-X31-LS クォーツ改\r\n"))));
            PressUndo(w);
            QVERIFY(Report(w).contains(QStringLiteral("KRM-11-LS グラナイト")));
            PressRedo(w);
            Press(w, Qt::Key_S, Qt::ControlModifier);
            QVERIFY(ReadBytes(quartz).contains(Cp932(QStringLiteral("名称=KRH-X31-LS クォーツ改\r\n"))));
            QVERIFY(!w.isWindowModified());
        }
        // Restored once more: the file holds it, nothing to mark.
        auto session = Start(folder);
        session->Main().mnuRestoreClick();
        QCOMPARE(session->Main().windowTitle(), QStringLiteral("quartz.kr[*] - ＫＲデザイナ"));
        QVERIFY(!session->Main().isWindowModified());
        QVERIFY(desktop.Errors.isEmpty());
    }

    // During a burst of typing the recovery file is written once a second,
    // not at every key.
    void recoveryIsWrittenAtMostOnceASecond() {
        Running run;
        TfrmMain& w = ActiveMain(run);
        w.mnuNewClick(4);
        w.txtKrName->setFocus();
        // Each write puts a new file in place: a new modification time.
        std::set<std::pair<ino_t, std::int64_t>> written;
        QElapsedTimer typing;
        typing.start();
        while (typing.elapsed() < 1500) {
            TypeText(w.txtKrName, QStringLiteral("x"));
            QTest::qWait(50);
            struct stat status {};
            if (::stat(RecoveryFile(run.folder).toLocal8Bit().constData(), &status) == 0)
                written.insert({status.st_ino, status.st_mtim.tv_sec * 1000000000LL + status.st_mtim.tv_nsec});
        }
        QVERIFY2(written.size() <= 3, qPrintable(QString::number(written.size())));
        QTRY_VERIFY_WITH_TIMEOUT(ReadBytes(RecoveryFile(run.folder)).contains(Cp932(w.txtKrName->text())), 1500);
    }

    // Two copies on one settings folder keep a recovery file each: one
    // killed, its design is offered and the living copy's is not.
    void twoCopiesKeepTheirOwnDesigns() {
        Folder folder;
        QProcess first, second;
        const auto launch = [&](QProcess& child, const char* model, const QString& name) {
            child.start(QStringLiteral(KR_RECOVERY_CHILD), {folder.dir.path(), QString::fromLatin1(model), name});
            return child.waitForStarted() && child.waitForReadyRead(10000) &&
                   child.readAllStandardOutput().trimmed() == "changed" && child.processId() > 0;
        };
        QVERIFY(launch(first, "4", QStringLiteral("一号機")));
        QVERIFY(launch(second, "1", QStringLiteral("二号機")));
        QTest::qWait(1100);
        ::kill(static_cast<pid_t>(first.processId()), SIGKILL);
        QVERIFY(first.waitForFinished());

        {
            FakeDesktop desktop;
            auto session = Start(folder);
            TfrmMain& w = session->Main();
            QCOMPARE(w.mnuRestoreList->actions().size(), 1);
            QVERIFY(w.mnuRestoreList->actions().front()->text().contains(QStringLiteral("一号機")));
            w.mnuRestoreClick();
            QCOMPARE(w.txtKrName->text(), QStringLiteral("一号機"));
            QVERIFY(ReadBytes(RecoveryFile(folder, 2)).contains(Cp932(QStringLiteral("名称=二号機\r\n"))));
        }
        // The second copy, ended, leaves its design for the next one.
        second.terminate();
        QVERIFY(second.waitForFinished());
        FakeDesktop desktop;
        auto session = Start(folder);
        QStringList offered;
        for (const QAction* item : session->Main().mnuRestoreList->actions()) offered.append(item->text());
        QCOMPARE(offered.size(), 2);
        QVERIFY(offered.join(u' ').contains(QStringLiteral("一号機")) && offered.join(u' ').contains(QStringLiteral("二号機")));
        // Each item restores its own design.
        const QString older = offered.at(1).contains(QStringLiteral("一号機")) ? QStringLiteral("一号機") : QStringLiteral("二号機");
        session->Main().mnuRestoreList->actions().at(1)->trigger();
        QCOMPARE(session->Main().txtKrName->text(), older);
    }

    // Killed right after a change, the program loses at most the last second,
    // and the restore gives back every figure: the second stock model keeps
    // its backpack capacity of 4, which its class alone would make 5.
    void recoveryAfterAKill() {
        Folder folder;
        QProcess child;
        child.start(QStringLiteral(KR_RECOVERY_CHILD), {folder.dir.path(), QStringLiteral("2"), QStringLiteral("殺された機体")});
        QVERIFY(child.waitForStarted());
        QVERIFY(child.waitForReadyRead(10000));
        QCOMPARE(child.readAllStandardOutput().trimmed(), QByteArray("changed"));
        QVERIFY(child.processId() > 0);
        QTest::qWait(1100);
        ::kill(static_cast<pid_t>(child.processId()), SIGKILL);
        QVERIFY(child.waitForFinished());
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);

        FakeDesktop desktop;
        auto session = Start(folder);
        TfrmMain& w = session->Main();
        w.mnuNewClick(2);
        const QStringList stock = Figures(w);
        w.mnuRestoreClick();
        QCOMPARE(w.txtKrName->text(), QStringLiteral("殺された機体"));
        QCOMPARE(Captions(w.lvwWeapon), QStringList{QStringLiteral("11mmMG")});
        QCOMPARE(Figures(w), stock);
        QCOMPARE(w.designer().Sheet.BackpackCapacity, 4);
    }

    // Each figure box's tooltip is the sum behind its own figure.
    void figureBoxesExplainThemselves() {
        Running run;
        TfrmMain& w = run.Main();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.mnuNewClick(4);
        QCOMPARE(HoverToolTip(w.lblPow).Text, QStringLiteral("パワー 8 = 基本 7 + 出力強化Lv1 +1"));
        for (const FigureDescription& figure : FigureTable) {
            // The backpack's sum tells the load against the capacity.
            const QString label = figure.Id == SheetFigure::Backpack ? QStringLiteral("積載") : QString::fromUtf8(figure.Label);
            const QString tip = HoverToolTip(w.pnlBase->Box(figure.Id)).Text;
            QVERIFY2(tip.startsWith(label + QLatin1Char(' ') + w.pnlBase->Box(figure.Id)->text() + QLatin1Char(' ')),
                     qPrintable(tip));
        }
    }
};

QTEST_MAIN(HistoryTest)
#include "test_history.moc"

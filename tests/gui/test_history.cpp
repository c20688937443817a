// Nothing lost: undo and redo across every kind of change, the title that
// names the file and marks unsaved changes, the recovery file after a
// change, after quitting and after a kill, and restoring it; and the
// tooltips of the figure boxes.
#include "session_kit.h"

#include "reports.h"

#include <QClipboard>
#include <QHelpEvent>
#include <QProcess>
#include <QToolTip>

#include <csignal>

using namespace guikit;

namespace {

// The clipboard report of the sheet as it stands: every text the window shows.
QString Report(TfrmMain& w) { return Cp932ToQString(BuildClipboardText(w.designer().Sheet)); }

struct Snapshot {
    QString Report;
    QStringList OptionTicks, MoveTicks;
    std::filesystem::path Open, Save;
    bool operator==(const Snapshot&) const = default;
};

Snapshot Take(DesignerSession& s) {
    return {Report(s.Main()), Ticked(*s.frmOption), Ticked(*s.frmMove), s.designer.OpenFileName,
            s.designer.SaveFileName};
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
TfrmMain& ActiveMain(Running& run) {
    run.Main().activateWindow();
    if (!QTest::qWaitForWindowActive(&run.Main())) qWarning("the main window did not become active");
    return run.Main();
}

// Undo goes back to `before` and redo forward to `after`, one step each.
void ExpectOneStep(DesignerSession& session, const Snapshot& before, const Snapshot& after) {
    PressUndo(session.Main());
    QVERIFY(Take(session) == before);
    PressRedo(session.Main());
    QVERIFY(Take(session) == after);
}

QString RecoveryFile(const Folder& folder) { return folder.File(QString::fromLatin1(RecoveryFileName)); }

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
    }

    // A picker session is one step, ticks and rows together.
    void pickerSessionIsOneStep() {
        Running run;
        TfrmMain& w = ActiveMain(run);
        w.mnuNewClick(4);
        const Snapshot template4 = Take(*run.session);
        RunCommand([&] { w.lvwOptionDblClick(); }, [&](TfrmPicker& picker) {
            Tick(picker, QStringLiteral("射撃管制装置"));
            Tick(picker, QStringLiteral("暗視ｶﾒﾗ"));
        });
        QCOMPARE(Captions(w.lvwOption).size(), 5);
        ExpectOneStep(*run.session, template4, Take(*run.session));
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

    // The title names the unit file and marks changes not yet saved.
    void titleMarksUnsavedChanges() {
        Running run;
        FakeDesktop& desktop = run.desktop;
        TfrmMain& w = ActiveMain(run);
        QCOMPARE(w.windowTitle(), QStringLiteral("ＫＲデザイナ"));
        w.mnuNewClick(4);
        QCOMPARE(w.windowTitle(), QStringLiteral("ＫＲデザイナ"));
        desktop.Answers = {run.folder.File(QStringLiteral("quartz.kr"))};
        w.mnuUpdateClick();
        QCOMPARE(w.windowTitle(), QStringLiteral("quartz.kr[*] - ＫＲデザイナ"));
        QVERIFY(!w.isWindowModified());
        w.lvwWeapon->SelectRow(0);
        w.mnuDelWpnClick();
        QVERIFY(w.isWindowModified());
        PressUndo(w);  // back to what the file holds
        QVERIFY(!w.isWindowModified());
        w.txtKrName->setFocus();
        TypeText(w.txtKrName, QStringLiteral("x"));
        QVERIFY(w.isWindowModified());
        w.mnuUpdateClick();
        QVERIFY(!w.isWindowModified());
        w.mnuNewClick(1);  // a template forgets the file
        QCOMPARE(w.windowTitle(), QStringLiteral("ＫＲデザイナ"));
        PressUndo(w);
        QCOMPARE(w.windowTitle(), QStringLiteral("quartz.kr[*] - ＫＲデザイナ"));
        QVERIFY(!w.isWindowModified());
    }

    // The recovery file follows every change within a second and holds the
    // design at quitting; the next session sets it aside and restores it
    // as one undoable step, whatever it writes itself meanwhile.
    void recoveryAfterAChangeAndAfterQuitting() {
        Folder folder;
        FakeDesktop desktop;
        QString template4;
        {
            auto session = Start(folder);
            TfrmMain& w = session->Main();
            QVERIFY(!w.mnuRestore->isEnabled());
            QVERIFY(!QFile::exists(RecoveryFile(folder)));
            w.mnuNewClick(4);
            QTRY_VERIFY_WITH_TIMEOUT(ReadBytes(RecoveryFile(folder)).contains(Cp932(QStringLiteral("名称=KRH-X31-LS クォーツ\r\n"))), 1500);
            w.txtKrName->setFocus();
            TypeText(w.txtKrName, QStringLiteral("改"));
            template4 = Report(w);
        }  // quitting writes the last change at once
        QVERIFY(ReadBytes(RecoveryFile(folder)).contains(Cp932(QStringLiteral("名称=KRH-X31-LS クォーツ改\r\n"))));

        auto session = Start(folder);
        TfrmMain& w = session->Main();
        QVERIFY(w.mnuRestore->isEnabled());
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.mnuNewClick(1);
        QTRY_VERIFY_WITH_TIMEOUT(ReadBytes(RecoveryFile(folder)).contains(Cp932(QStringLiteral("KRM-11-LS"))), 1500);
        w.mnuRestoreClick();
        QCOMPARE(Report(w), template4);
        QCOMPARE(Ticked(*session->frmOption).size(), 3);
        PressUndo(w);
        QVERIFY(Report(w).contains(QStringLiteral("KRM-11-LS グラナイト")));
        QVERIFY(desktop.Errors.isEmpty());
    }

    // Killed right after a change, the program loses at most the last second.
    void recoveryAfterAKill() {
        Folder folder;
        QProcess child;
        child.start(QStringLiteral(KR_RECOVERY_CHILD), {folder.dir.path(), QStringLiteral("4"), QStringLiteral("殺された機体")});
        QVERIFY(child.waitForStarted());
        QVERIFY(child.waitForReadyRead(10000));
        QCOMPARE(child.readAllStandardOutput().trimmed(), QByteArray("changed"));
        QTest::qWait(1100);
        ::kill(static_cast<pid_t>(child.processId()), SIGKILL);
        QVERIFY(child.waitForFinished());
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);

        FakeDesktop desktop;
        auto session = Start(folder);
        TfrmMain& w = session->Main();
        w.mnuRestoreClick();
        QCOMPARE(w.txtKrName->text(), QStringLiteral("殺された機体"));
        QCOMPARE(Captions(w.lvwOption).size(), 3);
        QCOMPARE(Captions(w.lvwWeapon), QStringList{QStringLiteral("ﾊﾟｲﾙﾊﾞﾝｶｰ付ｼｰﾙﾄﾞ(電磁式)")});
    }

    // Each figure box's tooltip is the sum behind it.
    void figureBoxesExplainThemselves() {
        Running run;
        TfrmMain& w = run.Main();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.mnuNewClick(4);
        QHelpEvent help(QEvent::ToolTip, QPoint(5, 5), w.lblPow->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(w.lblPow, &help);
        QTRY_VERIFY(QToolTip::isVisible());
        QCOMPARE(QToolTip::text(), QStringLiteral("パワー 8 = 基本 7 + 出力強化Lv1 +1"));
    }
};

QTEST_MAIN(HistoryTest)
#include "test_history.moc"

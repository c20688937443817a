// What every desktop editor has, in the main window: the File menu's recent
// files, a unit file dropped on the window, the help window and the About
// box with the files the program actually reads.
#include "session_kit.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTextBrowser>
#include <QTextDocument>
#include <QUrl>

using namespace guikit;

namespace {

QStringList ItemTexts(const QMenu* menu) {
    QStringList texts;
    for (const QAction* action : menu->actions()) texts.append(action->text());
    return texts;
}

// The recent files as the File menu shows them when it opens.
QList<QAction*> RecentItems(TfrmMain& w) {
    emit w.mnuFile->aboutToShow();
    return w.mnuRecent->actions();
}

// A unit file of the shipped catalogs' equipment, named as given.
QString WriteUnit(const Folder& folder, const QString& file, const QString& name) {
    const QString path = folder.File(file);
    WriteBytes(path, Cp932(QStringLiteral("[基本性能]\r\n名称=") + name +
                           QStringLiteral("\r\nクラス=M\r\n[武装]\r\nWEAPON0=11mmMG\r\n")));
    return path;
}

// Runs a command that shows a modal dialog of type T, hands the dialog to
// `whileOpen` and closes it.
template <class Dialog>
bool WithModal(const std::function<void()>& command, const std::function<void(Dialog&)>& whileOpen) {
    bool seen = false;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible()) return;
        poll.stop();
        seen = true;
        whileOpen(*dialog);
        dialog->reject();
    });
    poll.start();
    command();
    return seen;
}

// A drag of the given local files (and folders) over the window: whether
// the window takes it, as the cursor shows it, and whether it takes the drop.
struct DragResult {
    bool Entered = false;
    bool Dropped = false;
};
DragResult Drag(QWidget* target, const QStringList& paths) {
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& path : paths) urls.append(QUrl::fromLocalFile(path));
    data.setUrls(urls);
    // What a file manager offers beside the address: the path as text.
    data.setText(paths.join(u'\n'));
    const QPoint at(5, 5);
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    return {enter.isAccepted(), drop.isAccepted()};
}

// What a tooltip shows, as plain text.
QString ToolTipText(const QString& toolTip) {
    QTextDocument document;
    if (Qt::mightBeRichText(toolTip))
        document.setHtml(toolTip);
    else
        document.setPlainText(toolTip);
    return document.toPlainText();
}

}  // namespace

class DesktopTest : public QObject {
    Q_OBJECT

private slots:
    // ---- recent files ------------------------------------------------------

    // A load and a save head the list, which the next session shows in the
    // File menu: "&1 name", the full path as tooltip (a name that looks like
    // markup stays as it is), and choosing an item loads that file.
    void recentFilesAcrossARestart() {
        Folder folder;
        const QString loaded = WriteUnit(folder, QStringLiteral("<u>scout.kr"), QStringLiteral("偵察型"));
        const QString saved = folder.File(QStringLiteral("R&D.kr"));
        {
            FakeDesktop desktop;
            auto session = Start(folder);
            TfrmMain& w = session->Main();
            QVERIFY(RecentItems(w).isEmpty());
            QVERIFY(!w.mnuRecent->menuAction()->isEnabled());
            desktop.Answers = {loaded, saved};
            w.mnuLoadClick();
            w.mnuSaveClick();
            QVERIFY2(desktop.Errors.isEmpty(), qPrintable(desktop.Errors.join(u'|')));
        }
        QCOMPARE(ReadBytes(folder.Settings()),
                 "[RECENT]\r\nFILE1=" + QFile::encodeName(saved) + "\r\nFILE2=" + QFile::encodeName(loaded) + "\r\n" +
                     DesignSettings);

        FakeDesktop desktop;
        auto session = Start(folder);
        TfrmMain& w = session->Main();
        const QList<QAction*> items = RecentItems(w);
        QCOMPARE(ItemTexts(w.mnuRecent), (QStringList{"&1 R&&D.kr", "&2 <u>scout.kr"}));
        QVERIFY(w.mnuRecent->menuAction()->isEnabled());
        QCOMPARE(ToolTipText(items[0]->toolTip()), saved);
        QCOMPARE(ToolTipText(items[1]->toolTip()), loaded);

        items[1]->trigger();
        QCOMPARE(w.txtKrName->text(), QStringLiteral("偵察型"));
        QCOMPARE(w.designer().SaveFileName, PathOf(loaded));
        RecentItems(w);
        QCOMPARE(ItemTexts(w.mnuRecent), (QStringList{"&1 <u>scout.kr", "&2 R&&D.kr"}));
        QVERIFY(desktop.Errors.isEmpty());
    }

    // A file that is gone leaves the list when chosen, with a note; the
    // design stays as it was.
    void removedFileLeavesTheList() {
        Running run;
        TfrmMain& w = run.Main();
        const QString kept = WriteUnit(run.folder, QStringLiteral("kept.kr"), QStringLiteral("残る"));
        const QString gone = WriteUnit(run.folder, QStringLiteral("gone.kr"), QStringLiteral("消える"));
        run.desktop.Answers = {kept, gone};
        w.mnuLoadClick();
        w.mnuLoadClick();
        w.mnuNewClick(1);
        QVERIFY(QFile::remove(gone));

        RecentItems(w).front()->trigger();
        QCOMPARE(w.stbMain->Notice(), gone + QStringLiteral(" はもうありません。最近使ったファイルから外しました"));
        QCOMPARE(w.txtKrName->text(), QStringLiteral("KRM-11-LS グラナイト"));
        RecentItems(w);
        QCOMPARE(ItemTexts(w.mnuRecent), QStringList{"&1 kept.kr"});
        QVERIFY(run.desktop.Errors.isEmpty());
    }

    // A settings file that cannot be written: the load itself went well, and
    // the status line tells both.
    void recentFilesThatCannotBeKeptAreTold() {
        Folder folder;
        QVERIFY(QDir(folder.dir.path()).mkdir(QStringLiteral("KRMAKE.INI")));
        const QString unit = WriteUnit(folder, QStringLiteral("unit.kr"), QStringLiteral("試験機"));
        FakeDesktop desktop;
        auto session = Start(folder);
        session->Main().OpenUnitFile(PathOf(unit));
        QCOMPARE(session->Main().txtKrName->text(), QStringLiteral("試験機"));
        QCOMPARE(session->Main().stbMain->Notice(), QStringLiteral("最近使ったファイルの一覧を保存できません: ") +
                                                        folder.Settings() + QStringLiteral(" に書き込めません"));
        QVERIFY(desktop.Errors.isEmpty());
    }

    // Eleven files saved: the ten newest, numbered 1 to 9 and then 0.
    void elevenFilesKeepTheTenNewest() {
        Running run;
        TfrmMain& w = run.Main();
        w.mnuNewClick(2);
        for (int i = 1; i <= 11; ++i) {
            run.desktop.Answers = {run.folder.File(QStringLiteral("u%1.kr").arg(i))};
            w.mnuSaveClick();
        }
        RecentItems(w);
        QCOMPARE(ItemTexts(w.mnuRecent), (QStringList{"&1 u11.kr", "&2 u10.kr", "&3 u9.kr", "&4 u8.kr", "&5 u7.kr",
                                                      "&6 u6.kr", "&7 u5.kr", "&8 u4.kr", "&9 u3.kr", "1&0 u2.kr"}));
    }

    // ---- dropping a file -----------------------------------------------------

    // A .kr file loads as 読み込み does, as one step that undo takes back;
    // over the name box too, which would take other text as typed.
    void droppedUnitFileLoads_data() {
        QTest::addColumn<bool>("onTheNameBox");
        QTest::newRow("on the window") << false;
        QTest::newRow("on the name box") << true;
    }
    void droppedUnitFileLoads() {
        QFETCH(bool, onTheNameBox);
        Running run;
        TfrmMain& w = run.Main();
        const QString unit = WriteUnit(run.folder, QStringLiteral("dropped.KR"), QStringLiteral("落下型"));
        const DragResult result = Drag(onTheNameBox ? static_cast<QWidget*>(w.txtKrName) : &w, {unit});
        QVERIFY(result.Entered && result.Dropped);
        QTRY_COMPARE(w.txtKrName->text(), QStringLiteral("落下型"));
        QCOMPARE(Captions(w.lvwWeapon), QStringList{"11mmMG"});
        QCOMPARE(w.designer().SaveFileName, PathOf(unit));
        RecentItems(w);
        QCOMPARE(ItemTexts(w.mnuRecent), QStringList{"&1 dropped.KR"});
        QVERIFY(w.mnuUndo->isEnabled());
        w.mnuUndo->trigger();
        QCOMPARE(w.txtKrName->text(), QString());
        QVERIFY(w.designer().Sheet.Weapons.Count() == 0);
    }

    // Anything else is refused as it is dragged in, and a drop does nothing.
    void otherDropsAreRefused_data() {
        QTest::addColumn<QStringList>("files");
        QTest::newRow("a text file") << QStringList{QStringLiteral("notes.txt")};
        QTest::newRow("two unit files") << QStringList{QStringLiteral("a.kr"), QStringLiteral("b.kr")};
        QTest::newRow("a folder named .kr") << QStringList{QStringLiteral("folder.kr")};
        QTest::newRow("a unit file that is not there") << QStringList{QStringLiteral("missing.kr")};
    }
    void otherDropsAreRefused() {
        QFETCH(QStringList, files);
        Running run;
        TfrmMain& w = run.Main();
        WriteUnit(run.folder, QStringLiteral("notes.txt"), QStringLiteral("文章"));
        WriteUnit(run.folder, QStringLiteral("a.kr"), QStringLiteral("甲"));
        WriteUnit(run.folder, QStringLiteral("b.kr"), QStringLiteral("乙"));
        QVERIFY(QDir(run.folder.dir.path()).mkdir(QStringLiteral("folder.kr")));
        QStringList paths;
        for (const QString& file : files) paths.append(run.folder.File(file));
        const DragResult result = Drag(&w, paths);
        QVERIFY(!result.Entered);
        QVERIFY(!result.Dropped);
        QTest::qWait(20);
        QCOMPARE(w.txtKrName->text(), QString());
        QVERIFY(!w.mnuUndo->isEnabled());
        QVERIFY(run.desktop.Errors.isEmpty());
    }

    // ---- help and About --------------------------------------------------------

    // F1 opens one help window beside the main window, which stays usable.
    void helpWindowByF1() {
        Running run;
        TfrmMain& w = run.Main();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QTest::keyClick(&w, Qt::Key_F1);
        auto* help = w.findChild<TfrmHelp*>();
        QVERIFY(help);
        QTRY_VERIFY(help->isVisible());
        QVERIFY(!help->isModal());
        const QString text = help->findChild<QTextBrowser*>()->toPlainText();
        for (const char* part : {"Ctrl+F", "F2", "最近使ったファイル", "終了時の設計を復元", "KRMAKE.INI"})
            QVERIFY2(text.contains(QString::fromUtf8(part)), part);
        w.mnuUsage->trigger();
        QCOMPARE(w.findChildren<TfrmHelp*>().size(), 1);
    }

    // Portable: every file in the one folder; the settings file is not
    // written until the program ends.
    void aboutBoxInPortableMode() {
        Running run;
        const QString folder = run.folder.dir.path();
        QVERIFY(WithModal<TfrmAbout>([&] { run.Main().mnuAbout->trigger(); }, [&](TfrmAbout& about) {
            QCOMPARE(about.lblVersion->text(), QStringLiteral("ＫＲデザイナ (krmake) " KR_VERSION));
            QVERIFY(about.lblMode->text().startsWith(QStringLiteral("ポータブル")));
            QCOMPARE(about.lblWeaponFile->text(), folder + QStringLiteral("/weapon.csv"));
            QCOMPARE(about.lblOptionFile->text(), folder + QStringLiteral("/option.csv"));
            QCOMPARE(about.lblMoveFile->text(), folder + QStringLiteral("/move.csv"));
            QCOMPARE(about.lblSettingsFile->text(), folder + QStringLiteral("/KRMAKE.INI  (まだありません)"));
            QVERIFY(about.findChild<QPlainTextEdit*>()->toPlainText().startsWith(QStringLiteral("MIT License")));
        }));
    }

    // Installed: a player's own weapon.csv, the installed option.csv, a
    // move.csv that is nowhere, the settings under the configuration folder.
    void aboutBoxInInstalledMode() {
        QTemporaryDir root;
        const auto at = [&](const char* path) { return root.filePath(QString::fromUtf8(path)); };
        QVERIFY(QDir().mkpath(at("bin")) && QDir().mkpath(at("share/krmake")) && QDir().mkpath(at("data/krmake")));
        QVERIFY(QFile::copy(QStringLiteral(KR_SHIPPED_DATA_DIR "/weapon.csv"), at("data/krmake/weapon.csv")));
        QVERIFY(QFile::copy(QStringLiteral(KR_SHIPPED_DATA_DIR "/option.csv"), at("share/krmake/option.csv")));
        const DataFolders folders =
            ResolveDataFolders(PathOf(at("bin")), [&](std::string_view name) -> std::optional<std::string> {
                if (name == "XDG_DATA_HOME") return at("data").toStdString();
                if (name == "XDG_CONFIG_HOME") return at("config").toStdString();
                if (name == "XDG_DATA_DIRS") return at("none").toStdString();
                if (name == "HOME") return at("home").toStdString();
                return std::nullopt;
            });
        FakeDesktop desktop;
        auto session = std::make_unique<DesignerSession>(folders);
        session->Main().show();
        QVERIFY(WithModal<TfrmAbout>([&] { session->Main().mnuAbout->trigger(); }, [&](TfrmAbout& about) {
            QVERIFY(about.lblMode->text().startsWith(QStringLiteral("インストール")));
            QCOMPARE(about.lblWeaponFile->text(), at("data/krmake/weapon.csv"));
            QCOMPARE(about.lblOptionFile->text(), at("share/krmake/option.csv"));
            QCOMPARE(about.lblMoveFile->text(), at("share/krmake/move.csv") + QStringLiteral("  (見つかりません)"));
            QCOMPARE(about.lblSettingsFile->text(), at("config/krmake/KRMAKE.INI") + QStringLiteral("  (まだありません)"));
        }));
        // The missing move.csv was shown as the designer shows a catalog it cannot read.
        QCOMPARE(desktop.Errors.size(), 1);
    }
};

QTEST_MAIN(DesktopTest)
#include "test_desktop.moc"

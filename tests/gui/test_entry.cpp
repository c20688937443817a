// krmake's start as its entry runs it: the command line and a unit file
// named on it. The installed program itself is checked by tests/install.
#include "designer_entry.h"
#include "session_kit.h"

#include <QFileDialog>
#include <QMenu>
#include <QPushButton>

#include <chrono>
#include <future>
#include <thread>

using namespace guikit;

class EntryTest : public QObject {
    Q_OBJECT
    // Our catalogs in one folder, settings beside them: the portable way.
    Folder folder_;
    DataFolders Portable() const { return PortableFolders(folder_.Path()); }

private slots:
    // Every message of the command line is Japanese, Qt's parser's too;
    // --help-all (Qt's window system options) is not offered.
    void commandLine_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("request");
        QTest::addColumn<QString>("unitFile");
        QTest::addColumn<QString>("text");  // a usage error's message
        using R = DesignerCommandLine::Request;
        QTest::newRow("nothing") << QStringList{"krmake"} << int(R::Run) << QString() << QString();
        QTest::newRow("one unit file") << QStringList{"krmake", "ユニット.kr"} << int(R::Run) << "ユニット.kr" << QString();
        QTest::newRow("a name like an option") << QStringList{"krmake", "--", "-x.kr"} << int(R::Run) << "-x.kr"
                                               << QString();
        QTest::newRow("two unit files") << QStringList{"krmake", "a.kr", "b.kr"} << int(R::UsageError) << QString()
                                        << "開けるユニットファイルは一つだけです";
        QTest::newRow("unknown option") << QStringList{"krmake", "--edit", "a.kr"} << int(R::UsageError) << QString()
                                        << "不明なオプション: --edit";
        QTest::newRow("Qt's help of its own") << QStringList{"krmake", "--help-all"} << int(R::UsageError) << QString()
                                              << "不明なオプション: --help-all";
        QTest::newRow("unknown options, as typed") << QStringList{"krmake", "-x", "-style", "--bogus"}
                                                   << int(R::UsageError) << QString()
                                                   << "不明なオプション: -x, -style, --bogus";
        QTest::newRow("a value to an option of none") << QStringList{"krmake", "--version=2"} << int(R::UsageError)
                                                      << QString() << "オプション --version に値は付けられません";
        QTest::newRow("version and a file") << QStringList{"krmake", "--version", "extra"} << int(R::UsageError)
                                            << QString() << "--version と共に extra は指定できません";
        QTest::newRow("help") << QStringList{"krmake", "-h"} << int(R::Help) << QString() << QString();
        QTest::newRow("version") << QStringList{"krmake", "-v"} << int(R::Version) << QString() << QString();
    }
    void commandLine() {
        QFETCH(QStringList, arguments);
        QFETCH(int, request);
        QFETCH(QString, unitFile);
        QFETCH(QString, text);
        const DesignerCommandLine line = ParseDesignerCommandLine(arguments);
        QCOMPARE(int(line.Do), request);
        QCOMPARE(line.UnitFile.has_value(), !unitFile.isEmpty());
        if (line.UnitFile) QCOMPARE(PathString(*line.UnitFile), unitFile);
        if (line.Do == DesignerCommandLine::Request::UsageError) QCOMPARE(line.Text, text);
        if (line.Do == DesignerCommandLine::Request::Help) {
            QVERIFY(line.Text.startsWith(QStringLiteral("使い方: krmake [FILE]\n")));
            QVERIFY(!line.Text.contains(QStringLiteral("help-all")));
        }
        if (line.Do == DesignerCommandLine::Request::Version) QCOMPARE(line.Text, QStringLiteral("krmake " KR_VERSION "\n"));
    }

    // What is answered on a terminal without a display: help, the version,
    // and options that are none of ours; Qt's own (-platform) go to Qt.
    void windowsOnlyForARun_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("windows");
        QTest::newRow("nothing") << QStringList{} << true;
        QTest::newRow("a unit file") << QStringList{"a.kr"} << true;
        QTest::newRow("Qt's platform") << QStringList{"-platform", "offscreen", "a.kr"} << true;
        QTest::newRow("a file named like help") << QStringList{"--", "--help"} << true;
        QTest::newRow("help") << QStringList{"--help"} << false;
        QTest::newRow("-?") << QStringList{"-?"} << false;
        QTest::newRow("version after a file") << QStringList{"a.kr", "-v"} << false;
        QTest::newRow("--help-all") << QStringList{"--help-all"} << false;
        QTest::newRow("an unknown letter") << QStringList{"-x"} << false;
    }
    void windowsOnlyForARun() {
        QFETCH(QStringList, arguments);
        QFETCH(bool, windows);
        std::vector<QByteArray> bytes{QByteArray("krmake")};
        for (const QString& argument : arguments) bytes.push_back(argument.toUtf8());
        std::vector<char*> argv;
        for (QByteArray& argument : bytes) argv.push_back(argument.data());
        QCOMPARE(NeedsWindows(static_cast<int>(argv.size()), argv.data()), windows);
    }

    // Qt's own texts read in Japanese like the rest of the program.
    void qtDialogsAndMenusInJapanese() {
        FakeDesktop desktop;
        const auto session = StartDesigner(Portable(), std::nullopt);
        std::unique_ptr<QMenu> menu(session->Main().txtKrName->createStandardContextMenu());
        QStringList items;
        for (const QAction* action : menu->actions()) items.append(action->text());
        QVERIFY2(items.join(u' ').contains(QStringLiteral("貼り付け")), qPrintable(items.join(u' ')));
        QFileDialog dialog;
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        QStringList buttons;
        for (const QPushButton* button : dialog.findChildren<QPushButton*>()) buttons.append(button->text());
        QVERIFY2(buttons.contains(QStringLiteral("キャンセル")), qPrintable(buttons.join(u' ')));
    }

    void aUnitFileOnTheCommandLineIsLoaded() {
        const QString unit = folder_.File(QStringLiteral("名前.kr"));
        WriteBytes(unit, Cp932(QStringLiteral("[基本性能]\r\n名称=テスト機\r\n装甲=5\r\nクラス=m\r\n[移動]\r\n"
                                              "MOVE0=ｸﾞﾗｲﾃﾞｨﾝｸﾞﾎｲｰﾙ\r\n[武装]\r\nWEAPON0=ｱｰﾑﾊﾟﾝﾁ(火薬式)\r\n")));
        FakeDesktop desktop;
        const auto line = ParseDesignerCommandLine({QStringLiteral("krmake"), unit});
        const auto session = StartDesigner(Portable(), line.UnitFile);
        QVERIFY(desktop.Errors.isEmpty());
        const Designer& designer = session->designer;
        QCOMPARE(session->Main().txtKrName->text(), QStringLiteral("テスト機"));
        QCOMPARE(designer.Sheet.UnitClass, std::string("M"));
        QCOMPARE(designer.Sheet.Moves.Count(), std::size_t{1});
        QCOMPARE(designer.Sheet.Weapons.Count(), std::size_t{1});
        // Recalculated, as after the load command: the figures show, the lists take input.
        QCOMPARE(session->Main().lblAmr->text(), QStringLiteral("5"));
        QVERIFY(session->Main().lvwWeapon->isEnabled());
        // The file is the one that overwriting writes back to.
        QCOMPARE(designer.SaveFileName, PathOf(unit));
    }

    void aUnitFileThatCannotBeReadShowsTheErrorAndLeavesTheDesignEmpty() {
        const QString missing = folder_.File(QStringLiteral("no such unit.kr"));
        FakeDesktop desktop;
        const auto session = StartDesigner(Portable(), PathOf(missing));
        QCOMPARE(desktop.Errors, QStringList{CannotOpenBox(missing)});
        const Designer& designer = session->designer;
        QVERIFY(designer.Sheet.UnitName.empty());
        QCOMPARE(designer.Sheet.Weapons.Count() + designer.Sheet.Moves.Count() + designer.Sheet.Options.Count(),
                 std::size_t{0});
        QVERIFY(session->Main().isVisible());
    }

    // As krmake starts: the window is painted while the catalogs still load
    // (here until the test lets them arrive). Their failures, the pickers'
    // rows and the unit file of the command line come when they are there;
    // a template chosen before that waits for them.
    void theWindowPaintsBeforeTheCatalogsAreThere() {
        Folder folder({QStringLiteral("option.csv")});
        const QString unit = folder.File(QStringLiteral("早い.kr"));
        WriteBytes(unit, Cp932(QStringLiteral("[基本性能]\r\n名称=早い機\r\nクラス=M\r\n[武装]\r\n"
                                              "WEAPON0=ｱｰﾑﾊﾟﾝﾁ(火薬式)\r\n")));
        const DataFolders folders = PortableFolders(folder.Path());
        FakeDesktop desktop;

        // Loading held back; `loaded` is what the loaders really said.
        const auto heldBack = [&](std::future<std::vector<std::string>>& loaded,
                                  std::promise<std::vector<std::string>>& arrive) {
            CatalogsLoading loading(folders.Catalogs);
            loaded = std::move(loading.Failures);
            loading.Failures = arrive.get_future();
            return loading;
        };
        {
            std::future<std::vector<std::string>> loaded;
            std::promise<std::vector<std::string>> arrive;
            const auto session = StartDesigner(folders, PathOf(unit), heldBack(loaded, arrive));
            TfrmMain& main = session->Main();
            QVERIFY(QTest::qWaitForWindowExposed(&main));
            QTest::qWait(50);
            QVERIFY(desktop.Errors.isEmpty());
            QCOMPARE(main.txtKrName->text(), QString());
            QCOMPARE(session->frmWeapon->Model()->rowCount(), 0);

            arrive.set_value(loaded.get());
            QTRY_COMPARE(main.txtKrName->text(), QStringLiteral("早い機"));
            QCOMPARE(desktop.Errors, QStringList{CannotOpenBox(folder.File(QStringLiteral("option.csv")))});
            QCOMPARE(session->designer.Sheet.Weapons.Count(), std::size_t{1});
            QCOMPARE(session->frmWeapon->Model()->rowCount(), 26);
            QCOMPARE(session->frmMove->Model()->rowCount(), 21);
        }
        desktop.Errors.clear();
        {
            std::future<std::vector<std::string>> loaded;
            std::promise<std::vector<std::string>> arrive;
            const auto session = StartDesigner(folders, std::nullopt, heldBack(loaded, arrive));
            std::thread later([&] {
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
                arrive.set_value(loaded.get());
            });
            session->Main().mnuNewClick(4);
            later.join();
            QCOMPARE(desktop.Errors.size(), 1);
            QCOMPARE(session->Main().txtKrName->text(), QStringLiteral("KRH-X31-LS クォーツ"));
            QCOMPARE(session->designer.Sheet.Weapons.Count(), std::size_t{1});
            QCOMPARE(session->frmMove->Model()->rowCount(), 21);
        }
    }
};

QTEST_MAIN(EntryTest)
#include "test_entry.moc"

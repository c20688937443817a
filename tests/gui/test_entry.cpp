// krmake's start as its entry runs it: the command line and a unit file
// named on it. The installed program itself is checked by tests/install.
#include "designer_entry.h"
#include "session_kit.h"

#include <QFileDialog>
#include <QMenu>
#include <QPushButton>

using namespace guikit;

class EntryTest : public QObject {
    Q_OBJECT
    // Our catalogs in one folder, settings beside them: the portable way.
    Folder folder_;
    DataFolders Portable() const { return PortableFolders(folder_.Path()); }

private slots:
    void commandLine_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("request");
        QTest::addColumn<QString>("unitFile");
        using R = DesignerCommandLine::Request;
        QTest::newRow("nothing") << QStringList{"krmake"} << int(R::Run) << QString();
        QTest::newRow("one unit file") << QStringList{"krmake", "ユニット.kr"} << int(R::Run) << "ユニット.kr";
        QTest::newRow("a name like an option") << QStringList{"krmake", "--", "-x.kr"} << int(R::Run) << "-x.kr";
        QTest::newRow("two unit files") << QStringList{"krmake", "a.kr", "b.kr"} << int(R::UsageError) << QString();
        QTest::newRow("unknown option") << QStringList{"krmake", "--edit", "a.kr"} << int(R::UsageError) << QString();
    }
    void commandLine() {
        QFETCH(QStringList, arguments);
        QFETCH(int, request);
        QFETCH(QString, unitFile);
        const DesignerCommandLine line = ParseDesignerCommandLine(arguments);
        QCOMPARE(int(line.Do), request);
        QCOMPARE(line.UnitFile.has_value(), !unitFile.isEmpty());
        if (line.UnitFile) QCOMPARE(PathString(*line.UnitFile), unitFile);
        if (line.Do != DesignerCommandLine::Request::Run) QVERIFY(!line.Text.isEmpty());
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
        QCOMPARE(desktop.Errors, QStringList{QStringLiteral("ファイル ") + missing + QStringLiteral(" は開けません.")});
        const Designer& designer = session->designer;
        QVERIFY(designer.Sheet.UnitName.empty());
        QCOMPARE(designer.Sheet.Weapons.Count() + designer.Sheet.Moves.Count() + designer.Sheet.Options.Count(),
                 std::size_t{0});
        QVERIFY(session->Main().isVisible());
    }
};

QTEST_MAIN(EntryTest)
#include "test_entry.moc"

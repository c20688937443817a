// krmake's start as its entry runs it: the command line and a unit file
// named on it. The installed program itself is checked by tests/install.
#include "designer_entry.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <fstream>

using namespace kr;
namespace fs = std::filesystem;

namespace {

fs::path Shipped(const char* name) { return fs::path(KR_SHIPPED_DATA_DIR) / name; }

void WriteBytes(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string Cp932(const char* utf8) { return QStringToCp932(QString::fromUtf8(utf8)).value_or("?"); }

// Catches the error boxes while it lives.
class ErrorBoxes {
public:
    ErrorBoxes() : saved_(Desktop()) {
        Desktop().ShowErrorMessage = [this](QWidget*, const QString& text) { Shown.append(text); };
    }
    ~ErrorBoxes() { Desktop() = saved_; }
    ErrorBoxes(const ErrorBoxes&) = delete;
    ErrorBoxes& operator=(const ErrorBoxes&) = delete;
    QStringList Shown;

private:
    DesktopSeam saved_;
};

}  // namespace

class EntryTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

    fs::path Root() const { return fs::path(dir_.path().toStdString()); }

    // Our catalogs in one folder, settings beside them: the portable way.
    DataFolders Portable() const {
        const fs::path folder = Root() / "portable";
        fs::create_directories(folder);
        for (const char* name : {"weapon.csv", "option.csv", "move.csv"})
            fs::copy_file(Shipped(name), folder / name, fs::copy_options::overwrite_existing);
        return PortableFolders(folder);
    }

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

    void aUnitFileOnTheCommandLineIsLoaded() {
        const fs::path unit = Root() / "名前.kr";
        WriteBytes(unit, Cp932("[基本性能]\r\n名称=テスト機\r\n装甲=5\r\nクラス=m\r\n"
                               "[移動]\r\nMOVE0=ｸﾞﾗｲﾃﾞｨﾝｸﾞﾎｲｰﾙ\r\n[武装]\r\nWEAPON0=ｱｰﾑﾊﾟﾝﾁ(火薬式)\r\n"));
        ErrorBoxes boxes;
        const auto line = ParseDesignerCommandLine({QStringLiteral("krmake"), PathString(unit)});
        const auto session = StartDesigner(Portable(), line.UnitFile);
        QVERIFY(boxes.Shown.isEmpty());
        const Designer& designer = session->designer;
        QCOMPARE(session->Main().txtKrName->text(), QStringLiteral("テスト機"));
        QCOMPARE(designer.Sheet.UnitClass, std::string("M"));
        QCOMPARE(designer.Sheet.Moves.Count(), std::size_t{1});
        QCOMPARE(designer.Sheet.Weapons.Count(), std::size_t{1});
        // Recalculated, as after the load command: the figures show, the lists take input.
        QCOMPARE(session->Main().lblAmr->text(), QStringLiteral("5"));
        QVERIFY(session->Main().lvwWeapon->isEnabled());
        // The file is the one that overwriting writes back to.
        QCOMPARE(designer.SaveFileName, unit);
    }

    void aUnitFileThatCannotBeReadShowsTheErrorAndLeavesTheDesignEmpty() {
        const fs::path missing = Root() / "no such unit.kr";
        ErrorBoxes boxes;
        const auto session = StartDesigner(Portable(), missing);
        QCOMPARE(boxes.Shown.size(), 1);
        QVERIFY2(boxes.Shown.front().contains(PathString(missing)), qPrintable(boxes.Shown.front()));
        const Designer& designer = session->designer;
        QVERIFY(designer.Sheet.UnitName.empty());
        QCOMPARE(designer.Sheet.Weapons.Count() + designer.Sheet.Moves.Count() + designer.Sheet.Options.Count(),
                 std::size_t{0});
        QVERIFY(session->Main().isVisible());
    }
};

QTEST_MAIN(EntryTest)
#include "test_entry.moc"

// Window placement on screens of any size and from settings files with
// absurd values: every window is shown wholly inside a screen's available
// area, while the values in the file stay as they were unless the user moves
// the window; placements that fit are shown as they are and written back
// unchanged. Run on a 1280 x 1024 screen and on an 800 x 600 one.
#include "main.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <fstream>
#include <vector>
#include <iterator>
#include <string>

using namespace kr;

namespace {

// A temporary folder with the shipped catalogs and a settings file.
struct Folder {
    explicit Folder(const std::string& settings) {
        for (const char* file : {"option.csv", "weapon.csv", "move.csv"})
            QFile::copy(QStringLiteral(KR_SHIPPED_DATA_DIR "/") + file, dir.filePath(file));
        std::ofstream(Settings(), std::ios::binary) << settings;
    }
    std::filesystem::path Path() const { return dir.path().toStdString(); }
    std::string Settings() const { return (Path() / "KRMAKE.INI").string(); }
    std::string SettingsBytes() const {
        std::ifstream in(Settings(), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    QTemporaryDir dir;
};

std::string SettingsWith(const std::string& left, const std::string& top, const std::string& height,
                         const std::string& width) {
    std::string bytes = "[GENERAL]\r\n";
    for (const char* prefix : {"W_", "M_", "O_", ""})
        bytes += std::string(prefix) + "LEFT=" + left + "\r\n" + prefix + "TOP=" + top + "\r\n" + prefix +
                 "HEIGHT=" + height + "\r\n" + prefix + "WIDTH=" + width + "\r\n";
    return bytes;
}

QRect ScreenArea() { return QGuiApplication::primaryScreen()->availableGeometry(); }

// Whether all of the window lies on the screen.
bool Inside(const QWidget* window) { return ScreenArea().contains(window->frameGeometry()); }

std::vector<QWidget*> Windows(DesignerSession& session) {
    return {session.frmMain.get(), session.frmOption.get(), session.frmMove.get(), session.frmWeapon.get()};
}

}  // namespace

class PlacementClampTest : public QObject {
    Q_OBJECT
private slots:
    void absurdValuesAreShownWithinReachAndKeptInTheFile_data() {
        QTest::addColumn<QString>("left");
        QTest::addColumn<QString>("top");
        QTest::addColumn<QString>("height");
        QTest::addColumn<QString>("width");
        QTest::newRow("largest") << "2147483647" << "2147483647" << "2147483647" << "2147483647";
        QTest::newRow("smallest") << "-2147483648" << "-2147483648" << "-2147483648" << "-2147483648";
        QTest::newRow("negative") << "-5000" << "-300" << "-1" << "0";
        QTest::newRow("beyond the screen") << "30000" << "20000" << "400" << "500";
        QTest::newRow("larger than the screen") << "0" << "0" << "90000" << "90000";
        QTest::newRow("mixed") << "-2147483648" << "2147483647" << "523" << "600";
    }
    void absurdValuesAreShownWithinReachAndKeptInTheFile() {
        QFETCH(QString, left);
        QFETCH(QString, top);
        QFETCH(QString, height);
        QFETCH(QString, width);
        const std::string settings =
            SettingsWith(left.toStdString(), top.toStdString(), height.toStdString(), width.toStdString());
        Folder folder(settings);
        {
            DesignerSession session(folder.Path());
            session.Main().show();
            QVERIFY(QTest::qWaitForWindowExposed(&session.Main()));
            for (QWidget* window : Windows(session))
                QVERIFY2(Inside(window), qPrintable(window->objectName() + QStringLiteral(" off the screen")));
            session.frmOption->show();
            QVERIFY(QTest::qWaitForWindowExposed(session.frmOption.get()));
            QVERIFY(Inside(session.frmOption.get()));
        }
        // Nobody moved a window: the file holds the values it held.
        QCOMPARE(QString::fromStdString(folder.SettingsBytes()), QString::fromStdString(settings));
    }

    // Without a settings file: each window at its design placement where it
    // fits on the screen, else moved onto it, and the design values stored.
    void designPlacementsFitTheScreen() {
        Folder folder("");
        QFile::remove(QString::fromStdString(folder.Settings()));
        {
            DesignerSession session(folder.Path());
            session.Main().show();
            QVERIFY(QTest::qWaitForWindowExposed(&session.Main()));
            for (TfrmPicker* picker : {static_cast<TfrmPicker*>(session.frmOption.get()),
                                       static_cast<TfrmPicker*>(session.frmMove.get()),
                                       static_cast<TfrmPicker*>(session.frmWeapon.get())}) {
                picker->show();
                QVERIFY(QTest::qWaitForWindowExposed(picker));
            }
            const std::pair<QWidget*, QRect> designs[] = {
                {session.frmMain.get(), {201, 168, 600, 523}},
                {session.frmOption.get(), {519, 526, 535, 137}},
                {session.frmMove.get(), {436, 573, 550, 150}},
                {session.frmWeapon.get(), {526, 541, 561, 143}},
            };
            for (const auto& [window, design] : designs) {
                QVERIFY2(Inside(window), qPrintable(window->objectName()));
                if (ScreenArea().contains(design)) QCOMPARE(window->frameGeometry(), design);
                // Moved only as far as the screen needs, never shrunk when it fits.
                QCOMPARE(window->frameGeometry().size(), design.size());
            }
        }
        QCOMPARE(QString::fromStdString(folder.SettingsBytes()),
                 QStringLiteral("[GENERAL]\r\nW_LEFT=526\r\nW_TOP=541\r\nW_HEIGHT=143\r\nW_WIDTH=561\r\n"
                                "M_LEFT=436\r\nM_TOP=573\r\nM_HEIGHT=150\r\nM_WIDTH=550\r\n"
                                "O_LEFT=519\r\nO_TOP=526\r\nO_HEIGHT=137\r\nO_WIDTH=535\r\n"
                                "LEFT=201\r\nTOP=168\r\nHEIGHT=523\r\nWIDTH=600\r\n"));
    }

    // Values a screen can show are applied as they are and written back
    // unchanged, shown or not.
    void validValuesAreShownAsTheyAreWithoutDrift() {
        // Each window at its design-time size (the smallest the main window takes), moved.
        const std::string settings =
            "[GENERAL]\r\nW_LEFT=20\r\nW_TOP=30\r\nW_HEIGHT=143\r\nW_WIDTH=561\r\n"
            "M_LEFT=21\r\nM_TOP=31\r\nM_HEIGHT=150\r\nM_WIDTH=550\r\n"
            "O_LEFT=22\r\nO_TOP=32\r\nO_HEIGHT=137\r\nO_WIDTH=535\r\n"
            "LEFT=20\r\nTOP=30\r\nHEIGHT=523\r\nWIDTH=600\r\n";
        Folder folder(settings);
        {
            DesignerSession session(folder.Path());
            session.Main().show();
            QVERIFY(QTest::qWaitForWindowExposed(&session.Main()));
            QCOMPARE(session.Main().frameGeometry().topLeft(), QPoint(20, 30));
            QCOMPARE(session.frmOption->frameGeometry().topLeft(), QPoint(22, 32));
            session.frmOption->show();
            QVERIFY(QTest::qWaitForWindowExposed(session.frmOption.get()));
            QCOMPARE(session.frmOption->frameGeometry(), QRect(22, 32, 535, 137));
        }
        QCOMPARE(QString::fromStdString(folder.SettingsBytes()), QString::fromStdString(settings));
    }

    // A window shown moved into reach and then moved by the user stores where
    // the user put it.
    void aMovedWindowStoresWhereItStands() {
        Folder folder(SettingsWith("-90000", "-90000", "400", "500"));
        {
            DesignerSession session(folder.Path());
            session.Main().show();
            QVERIFY(QTest::qWaitForWindowExposed(&session.Main()));
            session.Main().move(40, 50);
        }
        const std::string bytes = folder.SettingsBytes();
        QVERIFY(bytes.find("\r\nLEFT=40\r\nTOP=50\r\n") != std::string::npos);
        QVERIFY(bytes.find("O_LEFT=-90000\r\n") != std::string::npos);
    }
};

QTEST_MAIN(PlacementClampTest)
#include "test_placement_clamp.moc"

// Window placement on screens of any size and from settings files with
// absurd values: every window is shown wholly inside a screen's available
// area, while the values in the file stay as they were unless the user moves
// the window; placements that fit are shown as they are and written back
// unchanged. Run on a 1280 x 1024 screen and on an 800 x 600 one.
#include "session_kit.h"

#include <QScreen>

using namespace guikit;

namespace {

QByteArray SettingsWith(const QString& left, const QString& top, const QString& height, const QString& width) {
    QByteArray bytes = "[GENERAL]\r\n";
    for (const char* prefix : {"W_", "M_", "O_", ""})
        bytes += QStringLiteral("%1LEFT=%2\r\n%1TOP=%3\r\n%1HEIGHT=%4\r\n%1WIDTH=%5\r\n")
                     .arg(QString::fromLatin1(prefix), left, top, height, width)
                     .toLatin1();
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
        const QByteArray settings = SettingsWith(left, top, height, width);
        Folder folder;
        WriteBytes(folder.Settings(), settings);
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
        QCOMPARE(ReadBytes(folder.Settings()), settings);
    }

    // Without a settings file: each window at its design placement where it
    // fits on the screen, else moved onto it; the design values are stored
    // as the windows are destroyed, weapon picker first.
    void designPlacementsFitTheScreen() {
        Folder folder;
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
        QCOMPARE(ReadBytes(folder.Settings()), DesignSettings);
    }

    // Values a screen can show are applied as they are and written back
    // unchanged, shown or not.
    void validValuesAreShownAsTheyAreWithoutDrift() {
        // Each window at its design-time size (the smallest the main window takes), moved.
        const QByteArray settings =
            "[GENERAL]\r\nW_LEFT=20\r\nW_TOP=30\r\nW_HEIGHT=143\r\nW_WIDTH=561\r\n"
            "M_LEFT=21\r\nM_TOP=31\r\nM_HEIGHT=150\r\nM_WIDTH=550\r\n"
            "O_LEFT=22\r\nO_TOP=32\r\nO_HEIGHT=137\r\nO_WIDTH=535\r\n"
            "LEFT=20\r\nTOP=30\r\nHEIGHT=523\r\nWIDTH=600\r\n";
        Folder folder;
        WriteBytes(folder.Settings(), settings);
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
        QCOMPARE(ReadBytes(folder.Settings()), settings);
    }

    // A window shown moved into reach and then moved by the user stores where
    // the user put it.
    void aMovedWindowStoresWhereItStands() {
        Folder folder;
        WriteBytes(folder.Settings(), SettingsWith("-90000", "-90000", "400", "500"));
        {
            DesignerSession session(folder.Path());
            session.Main().show();
            QVERIFY(QTest::qWaitForWindowExposed(&session.Main()));
            session.Main().move(40, 50);
        }
        const QByteArray bytes = ReadBytes(folder.Settings());
        QVERIFY(bytes.contains("\r\nLEFT=40\r\nTOP=50\r\n"));
        QVERIFY(bytes.contains("O_LEFT=-90000\r\n"));
    }
};

QTEST_MAIN(PlacementClampTest)
#include "test_placement_clamp.moc"

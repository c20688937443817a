// The main window over a copy of the shipped catalogs: layout, placement in
// the settings file, catalog failures at start, the equipment commands, the
// unit file commands and both reports, driven through real key and mouse
// events and through the desktop seam in place of dialogs and the clipboard.
#include "session_kit.h"
#include "reports.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QPushButton>
#include <QFileInfo>
#include <QMenuBar>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolTip>

#include <deque>
#include <filesystem>
#include <memory>

using namespace kr;
namespace fs = std::filesystem;

namespace {

using namespace guikit;

// The outer frame the window would store, as a rectangle.
QRect Frame(const QWidget* window) {
    const Placement p = FramePlacement(window);
    return {p.Left, p.Top, p.Width, p.Height};
}

// Waits until the window system has framed the shown window and the window
// has settled into its placement.
void WaitForFrame(QWidget* window) {
    QTRY_VERIFY(window->frameGeometry().size() != window->size());
    QTest::qWait(20);
}


// A point in the list's empty area below its rows.
QPoint BelowRows(ReportListView* list) {
    const int rows = list->model()->rowCount();
    const int y = rows == 0 ? list->viewport()->height() / 2
                            : list->visualRect(list->model()->index(rows - 1, 0)).bottom() + 15;
    return {30, y};
}

// KRH-X31-LS as the template leaves it: fire +1, melee +1, evasion -4,
// sensor 0+2, custom points -1+1+1+0 (options) +0 (wheels) +1 (shield) = 2,
// armour 6, durability 25, power 7+1, punch 8, backpack 1 (shield), price
// 9000 + 1000+1200+600 + 0 + 2600 = 14400.
const QStringList Template4Figures{"+1", "+1", "-4", "+2", "2", "6", "25", "8", "8", "1", "14400", "H"};

void CheckMainColumns(const TfrmMain& w) {
    CheckColumns(w.lvwOption, {{"オプション名", 100, L}, {"値段", 55, R}, {"CP", 35, C}, {"BP", 35, C},
                               {"ｸﾗｽ", 38, C}, {"効果", 200, L}});
    CheckColumns(w.lvwMove, {{"移動方式", 200, L}, {"値段", 55, R}, {"CP", 35, C}, {"BP", 35, C},
                             {"移動", 45, C}, {"旋回", 45, C}, {"ｸﾗｽ", 38, C}, {"備考", 300, L}});
    CheckColumns(w.lvwWeapon, {{"武器名称", 200, L}, {"種別", 70, C}, {"値段", 55, R}, {"CP", 33, C},
                               {"BP", 33, C}, {"威力", 45, C}, {"命中判定", 100, C}, {"回数", 45, C},
                               {"射程", 45, C}, {"連射", 45, C}, {"間接", 45, C}, {"ｸﾗｽ", 38, C},
                               {"備考", 300, L}});
}

// The settings file a first run leaves behind when no window was moved: the
// windows write their keys as they are destroyed, weapon picker first.
const QByteArray FirstRunSettings =
    "[GENERAL]\r\n"
    "W_LEFT=526\r\nW_TOP=541\r\nW_HEIGHT=143\r\nW_WIDTH=561\r\n"
    "M_LEFT=436\r\nM_TOP=573\r\nM_HEIGHT=150\r\nM_WIDTH=550\r\n"
    "O_LEFT=519\r\nO_TOP=526\r\nO_HEIGHT=137\r\nO_WIDTH=535\r\n"
    "LEFT=201\r\nTOP=168\r\nHEIGHT=523\r\nWIDTH=600\r\n";

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void layoutAtStart() {
        Folder folder;
        FakeDesktop desktop;
        auto session = Start(folder);
        TfrmMain& w = session->Main();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY(desktop.Errors.isEmpty());

        QCOMPARE(w.windowTitle(), QStringLiteral("ＫＲデザイナ"));
        // The program's icon, in the sizes the desktop asks for, on every window.
        for (const QWidget* window : std::initializer_list<const QWidget*>{
                 &w, session->frmOption.get(), session->frmMove.get(), session->frmWeapon.get()})
            QCOMPARE(window->windowIcon().pixmap(16, 16).size(), QSize(16, 16));
        QCOMPARE(w.windowIcon().availableSizes().size(), 6);
        WaitForFrame(&w);
        QCOMPARE(w.frameGeometry().topLeft(), QPoint(201, 168));
        QCOMPARE(Frame(&w), QRect(201, 168, 600, 523));
        QCOMPARE(Frame(&w), w.frameGeometry());
        // The design size is also the smallest the window can be made.
        w.resize(300, 200);
        QTest::qWait(20);
        QCOMPARE(w.frameGeometry().size(), QSize(600, 523));
        QVERIFY(w.frameGeometry().width() >= 600 && w.frameGeometry().height() >= 523);

        // The figure panel: captions left of their boxes, boxes blank at start.
        struct Figure {
            const char* Caption;
            int CaptionLeft;
            QLabel* Box;
            QRect Geometry;
        };
        const Figure figures[] = {
            {"射撃修正", 12, w.lblFire, {77, 10, 33, 18}},
            {"格闘修正", 124, w.lblBtl, {189, 10, 33, 18}},
            {"回避修正", 236, w.lblSpd, {301, 10, 33, 18}},
            {"センサー", 344, w.lblSns, {405, 10, 33, 18}},
            {"カスタムポイント", 456, w.lblCP, {545, 10, 33, 18}},
            {"装甲", 12, w.lblAmr, {45, 34, 33, 18}},
            {"耐久力", 88, w.lblHP, {137, 33, 33, 18}},
            {"パワー", 180, w.lblPow, {225, 33, 33, 18}},
            {"パンチ", 268, w.lblPunch, {312, 33, 33, 18}},
            {"ﾊﾞｯｸﾊﾟｯｸ", 356, w.lblBP, {419, 34, 33, 18}},
            {"価格(GD)", 460, w.lblPlice, {525, 34, 53, 18}},
        };
        const QList<QLabel*> panelLabels = w.pnlBase->findChildren<QLabel*>(Qt::FindDirectChildrenOnly);
        for (const Figure& figure : figures) {
            const QString caption = QString::fromUtf8(figure.Caption);
            QLabel* label = nullptr;
            for (QLabel* candidate : panelLabels)
                if (candidate->text() == caption) label = candidate;
            QVERIFY2(label, figure.Caption);
            // A caption stands at its place, or a little left of it where the
            // font needs the room to keep 3 pixels from its box.
            QVERIFY(label->x() <= figure.CaptionLeft && label->x() >= figure.CaptionLeft - 4);
            QCOMPARE(label->font().pixelSize(), label == w.lblCPC ? 13 : 15);
            QCOMPARE(figure.Box->parentWidget(), w.pnlBase);
            QCOMPARE(figure.Box->geometry(), figure.Geometry);
            QCOMPARE(figure.Box->alignment() & Qt::AlignHorizontal_Mask,
                     figure.Box == w.lblPlice ? Qt::AlignRight : Qt::AlignHCenter);
            QCOMPARE(figure.Box->text(), QString());
            QCOMPARE(figure.Box->focusPolicy(), Qt::NoFocus);
        }
        QCOMPARE(w.lblCPC->text(), QStringLiteral("カスタムポイント"));
        QCOMPARE(w.pnlBase->height(), 60);
        QCOMPARE(w.tbrMain->height(), 27);

        // The class box in its panel, blank; the name box empty.
        QCOMPARE(w.lblClassP->text(), QStringLiteral("　クラス "));
        QCOMPARE(w.lblName->text(), QStringLiteral(" 名称 "));
        QCOMPARE(w.Panel1->size(), QSize(36, 22));
        QCOMPARE(w.lblClass->parentWidget(), w.Panel1);
        QCOMPARE(w.lblClass->size(), QSize(30, 18));
        QCOMPARE(w.lblClass->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
        QCOMPARE(w.lblClass->text(), QString());
        QCOMPARE(w.txtKrName->text(), QString());
        QCOMPARE(w.txtKrName->x(), 98);
        QCOMPARE(w.txtKrName->height(), 22);

        // The three lists: empty and disabled until the first recalculation.
        for (ReportListView* list : {w.lvwOption, w.lvwMove, w.lvwWeapon}) {
            QVERIFY(!list->isEnabled());
            QCOMPARE(list->model()->rowCount(), 0);
        }
        QCOMPARE(w.lvwOption->height(), 99);
        QCOMPARE(w.lvwMove->height(), 109);
        CheckMainColumns(w);

        // Menus, captions and shortcuts.
        const QList<QAction*> bar = w.menuBar()->actions();
        QCOMPARE(bar.size(), 2);
        QCOMPARE(bar.front()->text(), QStringLiteral("&File"));
        QCOMPARE(bar.front()->menu(), w.mnuFile);
        QCOMPARE(bar[1]->text(), QStringLiteral("&Edit"));
        const QList<QAction*> edit = w.mnuEdit->actions();
        QCOMPARE(edit.size(), 4);
        QCOMPARE(edit[0], w.mnuUndo);
        QCOMPARE(edit[1], w.mnuRedo);
        QVERIFY(edit[2]->isSeparator());
        QCOMPARE(edit[3], w.mnuRestore);
        QCOMPARE(w.mnuUndo->text(), QStringLiteral("元に戻す(&U)"));
        QCOMPARE(w.mnuUndo->shortcut(), QKeySequence(QStringLiteral("Ctrl+Z")));
        QCOMPARE(w.mnuRedo->text(), QStringLiteral("やり直し(&R)"));
        QCOMPARE(w.mnuRedo->shortcuts(), (QList<QKeySequence>{QKeySequence(QStringLiteral("Ctrl+Y")),
                                                               QKeySequence(QStringLiteral("Ctrl+Shift+Z"))}));
        QCOMPARE(w.mnuRestore->text(), QStringLiteral("終了時の設計を復元(&L)"));
        QVERIFY(!w.mnuUndo->isEnabled() && !w.mnuRedo->isEnabled() && !w.mnuRestore->isEnabled());
        const QList<QAction*> file = w.mnuFile->actions();
        QCOMPARE(file.size(), 9);
        QCOMPARE(file[0]->menu(), w.mnuNew);
        QCOMPARE(file[0]->text(), QStringLiteral("新規作成"));
        QVERIFY(file[1]->isSeparator() && file[5]->isSeparator() && file[7]->isSeparator());
        QCOMPARE(file[2], w.mnuLoad);
        QCOMPARE(file[3], w.mnuSave);
        QCOMPARE(file[4], w.mnuUpdate);
        QCOMPARE(file[6]->menu(), w.mnuOutput);
        QCOMPARE(file[6]->text(), QStringLiteral("出力"));
        QCOMPARE(file[8], w.mnuExit);
        QCOMPARE(w.mnuLoad->text(), QStringLiteral("読み込み"));
        QCOMPARE(w.mnuLoad->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
        QCOMPARE(w.mnuSave->text(), QStringLiteral("保存"));
        QVERIFY(w.mnuSave->shortcut().isEmpty());
        QCOMPARE(w.mnuUpdate->text(), QStringLiteral("上書き保存"));
        QCOMPARE(w.mnuUpdate->shortcut(), QKeySequence(QStringLiteral("Ctrl+S")));
        QCOMPARE(w.mnuExit->text(), QStringLiteral("終了"));
        QCOMPARE(w.mnuExit->shortcut(), QKeySequence(QStringLiteral("Ctrl+Q")));
        QStringList templates;
        for (QAction* item : w.mnuNew->actions()) templates.append(item->text());
        QCOMPARE(templates, (QStringList{"KRM-11-LS", "KRH-21-LS", "KRH-22-LS", "KRH-X31-LS", "KRS-41-LA"}));
        const QList<QAction*> output = w.mnuOutput->actions();
        QCOMPARE(output.size(), 2);
        QCOMPARE(output[0], w.mnuClip);
        QCOMPARE(output[1], w.mnuHtml);
        QCOMPARE(w.mnuClip->text(), QStringLiteral("クリップボード"));
        QCOMPARE(w.mnuHtml->text(), QStringLiteral("HTML"));
        const QList<QAction*> popup = w.pmuWeapon->actions();
        QCOMPARE(popup.size(), 2);
        QCOMPARE(popup[0], w.mnuAddWpn);
        QCOMPARE(popup[1], w.mnuDelWpn);
        QCOMPARE(w.mnuAddWpn->text(), QStringLiteral("追加"));
        QCOMPARE(w.mnuDelWpn->text(), QStringLiteral("削除"));
        // The two tool buttons run the load and save commands.
        QCOMPARE(w.tbnOpen->defaultAction(), w.mnuLoad);
        QCOMPARE(w.tbnLoad->defaultAction(), w.mnuSave);

        // Once a template has enabled the lists: Tab goes name box, options, moves, weapons.
        w.mnuNewClick(4);
        CheckMainColumns(w);  // the rows came in; the columns stay as they were
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.txtKrName->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), w.txtKrName);
        for (QWidget* next : std::initializer_list<QWidget*>{w.lvwOption, w.lvwMove, w.lvwWeapon}) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
        }

        // Widening the window widens the name box alone; the class keeps the last 100 pixels.
        const int nameWidth = w.txtKrName->width();
        w.resize(w.width() + 200, w.height());
        QTRY_COMPARE(w.txtKrName->width(), nameWidth + 200);
        const int barWidth = w.tbrMain->width();
        QCOMPARE(w.txtKrName->geometry().right() + 1, barWidth - 100);
        QVERIFY(w.lblClassP->x() >= barWidth - 100);
        QVERIFY(w.Panel1->geometry().right() < barWidth);
        QVERIFY(w.lblClassP->geometry().right() < w.Panel1->x());
    }

    void placementInSettingsFile() {
        // First run: the sixteen keys in the order the windows are destroyed.
        Folder folder;
        {
            FakeDesktop desktop;
            auto session = Start(folder);
            WaitForFrame(&session->Main());
            session->Main().close();
            session.reset();
            QVERIFY(desktop.Errors.isEmpty());
        }
        const QByteArray firstRun = ReadBytes(folder.Settings());
        QCOMPARE(firstRun, FirstRunSettings);
        QVERIFY(firstRun.startsWith(FirstRunSettings.left(FirstRunSettings.indexOf("HEIGHT="))));

        // A second run without a change leaves the file byte for byte as it was.
        {
            FakeDesktop desktop;
            auto session = Start(folder);
            WaitForFrame(&session->Main());
            session.reset();
            QVERIFY(desktop.Errors.isEmpty());
        }
        QCOMPARE(ReadBytes(folder.Settings()), firstRun);

        // A file holding only LEFT moves the window; the rest keep their design values.
        Folder moved;
        WriteBytes(moved.Settings(), "[GENERAL]\r\nLEFT=300\r\n");
        {
            FakeDesktop desktop;
            auto session = Start(moved);
            WaitForFrame(&session->Main());
            QCOMPARE(session->Main().frameGeometry().topLeft(), QPoint(300, 168));
        }
        const ProfileFile stored(moved.Path() / "KRMAKE.INI");
        QCOMPARE(stored.ReadNumber("GENERAL", "LEFT", 0), 300);
        QCOMPARE(stored.ReadNumber("GENERAL", "TOP", 0), 168);
        const QSize size(stored.ReadNumber("GENERAL", "WIDTH", 0), stored.ReadNumber("GENERAL", "HEIGHT", 0));
        QCOMPARE(size, QSize(600, 523));
        QVERIFY(ReadBytes(moved.Settings()).startsWith("[GENERAL]\r\nLEFT=300\r\nW_LEFT=526\r\n"));

        // A settings file that cannot be written: one error box per window, and
        // the windows are all destroyed.
        Folder locked;
        QVERIFY(QDir(locked.dir.path()).mkdir(QStringLiteral("KRMAKE.INI")));
        {
            FakeDesktop desktop;
            auto session = Start(locked);
            QVERIFY(QTest::qWaitForWindowExposed(&session->Main()));
            QVERIFY(desktop.Errors.isEmpty());
            session.reset();
            const QString message = locked.Settings() + QStringLiteral(" に書き込めません.");
            QCOMPARE(desktop.Errors, (QStringList{message, message, message, message}));
        }
    }

    void catalogFailuresAtStart() {
        {
            Folder folder({QStringLiteral("weapon.csv")});
            FakeDesktop desktop;
            auto session = Start(folder);
            QCOMPARE(desktop.Errors,
                     QStringList{QStringLiteral("ファイル ") + folder.File(QStringLiteral("weapon.csv")) +
                                 QStringLiteral(" は開けません.")});
            QCOMPARE(session->frmWeapon->Model()->rowCount(), 0);
            QVERIFY(session->Main().isVisible());
            // Each catalog loads on its own: the ones after a failed file load in full.
            QCOMPARE(session->frmOption->Model()->rowCount(), 22);
            QVERIFY(session->frmMove->Model()->rowCount() > 0);
        }
        {
            // move.csv is last: the other two load in full.
            Folder folder({QStringLiteral("move.csv")});
            FakeDesktop desktop;
            auto session = Start(folder);
            QCOMPARE(desktop.Errors.size(), 1);
            QVERIFY(desktop.Errors.front().contains(folder.File(QStringLiteral("move.csv"))));
            QCOMPARE(session->frmWeapon->Model()->rowCount(), 26);
            QCOMPARE(session->frmOption->Model()->rowCount(), 22);
            QCOMPARE(session->frmMove->Model()->rowCount(), 0);
        }
        {
            // Two files missing: each failure has its own box, in the load order.
            Folder folder({QStringLiteral("option.csv"), QStringLiteral("move.csv")});
            FakeDesktop desktop;
            auto session = Start(folder);
            QVERIFY(!desktop.Errors.isEmpty());
            QCOMPARE(desktop.Errors.front(), QStringLiteral("ファイル ") + folder.File(QStringLiteral("option.csv")) +
                                                 QStringLiteral(" は開けません."));
            QCOMPARE(desktop.Errors.size(), 2);
            QCOMPARE(desktop.Errors.back(), QStringLiteral("ファイル ") + folder.File(QStringLiteral("move.csv")) +
                                                QStringLiteral(" は開けません."));
            QCOMPARE(session->frmWeapon->Model()->rowCount(), 26);
        }
        {
            // A blank third line: the box names the file and the line; its
            // message ends in ")", so no "." is added.
            Folder folder;
            const QString weapons = folder.File(QStringLiteral("weapon.csv"));
            const QByteArray lines = ReadBytes(weapons);
            const qsizetype secondLineEnd = lines.indexOf('\n', lines.indexOf('\n') + 1) + 1;
            WriteBytes(weapons, lines.left(secondLineEnd) + "\r\n" + lines.mid(secondLineEnd));
            FakeDesktop desktop;
            auto session = Start(folder);
            QCOMPARE(desktop.Errors,
                     QStringList{QStringLiteral("weapon.csv 3 行目: リストのインデックスが範囲を超えています (0)")});
            QCOMPARE(session->frmWeapon->Model()->rowCount(), 1);
        }
    }

    void editingCommands() {
        Folder folder;
        FakeDesktop desktop;
        auto session = Start(folder);
        TfrmMain& w = session->Main();
        QVERIFY(QTest::qWaitForWindowExposed(&w));

        // Right after start the lists take no input.
        for (ReportListView* list : {w.lvwOption, w.lvwMove, w.lvwWeapon}) {
            const PickerRun byKey = RunCommand([&] { QTest::keyClick(list, Qt::Key_F2); });
            QCOMPARE(byKey.Openings, 0);
            const PickerRun byMouse = RunCommand([&] { DoubleClick(list->viewport(), BelowRows(list)); });
            QCOMPARE(byMouse.Openings, 0);
            QTest::keyClick(list, Qt::Key_Delete);
        }
        QCOMPARE(Figures(w), QStringList(12, QString()));

        w.mnuNewClick(4);
        QCOMPARE(Figures(w), Template4Figures);
        QCOMPARE(Captions(w.lvwOption), (QStringList{"出力強化Lv1", "ﾓﾙｶﾞ製ｾﾝｻｰ", "気密/防水加工"}));

        // F2 in the option list: the picker opens; ticking one more option
        // rebuilds the list in catalog order and recalculates.
        TfrmPicker& options = *session->frmOption;
        const int fireControl = RowOf(options, QStringLiteral("射撃管制装置"));
        QVERIFY(fireControl >= 0);
        PickerRun run = RunCommand([&] { QTest::keyClick(w.lvwOption, Qt::Key_F2); }, [&](TfrmPicker& picker) {
            QCOMPARE(Ticked(picker), (QStringList{"ﾓﾙｶﾞ製ｾﾝｻｰ", "気密/防水加工", "出力強化Lv1"}));
            picker.Model()->setData(picker.Model()->index(fireControl, 0), Qt::Checked, Qt::CheckStateRole);
        });
        QCOMPARE(run.Opened, &options);
        QCOMPARE(run.Openings, 1);
        QVERIFY(run.ClosedByEsc);
        QCOMPARE(Captions(w.lvwOption), (QStringList{"ﾓﾙｶﾞ製ｾﾝｻｰ", "気密/防水加工", "射撃管制装置", "出力強化Lv1"}));
        // Fire control: fire +1, 1 custom point, 1800 GD.
        QCOMPARE(w.lblFire->text(), QStringLiteral("+2"));
        QCOMPARE(w.lblCP->text(), QStringLiteral("3"));
        QCOMPARE(w.lblPlice->text(), QStringLiteral("16200"));

        // A double-click in the option list opens the same picker; no change, same list.
        run = RunCommand([&] { DoubleClick(w.lvwOption->viewport(), OnRow(w.lvwOption, 0)); });
        QCOMPARE(run.Opened, &options);
        QCOMPARE(Captions(w.lvwOption).size(), 4);

        // Ctrl+F2 in the move list opens the move picker; unticking the wheels empties the list.
        run = RunCommand([&] { QTest::keyClick(w.lvwMove, Qt::Key_F2, Qt::ControlModifier); },
                         [&](TfrmPicker& picker) {
                             QCOMPARE(Ticked(picker), QStringList{"ｸﾞﾗｲﾃﾞｨﾝｸﾞﾎｲｰﾙ"});
                             const int wheels = RowOf(picker, QStringLiteral("ｸﾞﾗｲﾃﾞｨﾝｸﾞﾎｲｰﾙ"));
                             picker.Model()->setData(picker.Model()->index(wheels, 0), Qt::Unchecked,
                                                     Qt::CheckStateRole);
                         });
        QCOMPARE(run.Opened, session->frmMove.get());
        QCOMPARE(w.lvwMove->model()->rowCount(), 0);
        run = RunCommand([&] { DoubleClick(w.lvwMove->viewport(), BelowRows(w.lvwMove)); });
        QCOMPARE(run.Opened, session->frmMove.get());

        // F2 in the weapon list and a double-click below its rows open the weapon picker.
        TfrmPicker& weapons = *session->frmWeapon;
        QCOMPARE(RunCommand([&] { QTest::keyClick(w.lvwWeapon, Qt::Key_F2); }).Opened, &weapons);
        QCOMPARE(RunCommand([&] { DoubleClick(w.lvwWeapon->viewport(), BelowRows(w.lvwWeapon)); }).Opened, &weapons);
        QCOMPARE(w.lvwWeapon->model()->rowCount(), 1);
        QCOMPARE(w.lblPlice->text(), QStringLiteral("16200"));

        // Enter on the missile launcher adds it with its spare magazine; the
        // figures follow once the picker has closed.
        const int magazine = FirstFollowUpRow(weapons);
        QVERIFY(magazine > 0);
        const QString launcher = weapons.Model()->index(magazine - 1, 0).data().toString();
        const QString follow = weapons.Model()->index(magazine, 0).data().toString();
        QCOMPARE(follow, QStringLiteral("└予備弾倉"));
        QCOMPARE(launcher, QStringLiteral("6連装ﾐｻｲﾙﾗﾝﾁｬｰ"));
        const QStringList withPair{"ﾊﾟｲﾙﾊﾞﾝｶｰ付ｼｰﾙﾄﾞ(電磁式)", launcher, follow};
        run = RunCommand([&] { QTest::keyClick(w.lvwWeapon, Qt::Key_F2); }, [&](TfrmPicker& picker) {
            picker.List()->SelectRow(magazine - 1);
            QTest::keyClick(picker.List(), Qt::Key_Return);
            QCOMPARE(Captions(w.lvwWeapon), withPair);  // shown while the picker is still open
            QCOMPARE(w.lblPlice->text(), QStringLiteral("16200"));
        });
        QCOMPARE(run.Opened, &weapons);
        // Launcher 2400 GD, 1 CP, 2 BP (class H on an H unit); magazine 400 GD, 0 CP, 1 BP.
        QCOMPARE(w.lblPlice->text(), QStringLiteral("19000"));
        QCOMPARE(w.lblCP->text(), QStringLiteral("4"));
        QCOMPARE(w.lblBP->text(), QStringLiteral("4"));

        // Delete on the magazine removes it with its launcher.
        w.lvwWeapon->SelectRow(2);
        QTest::keyClick(w.lvwWeapon, Qt::Key_Delete);
        QCOMPARE(Captions(w.lvwWeapon), QStringList{"ﾊﾟｲﾙﾊﾞﾝｶｰ付ｼｰﾙﾄﾞ(電磁式)"});
        QCOMPARE(w.lblPlice->text(), QStringLiteral("16200"));
        QCOMPARE(w.lblCP->text(), QStringLiteral("3"));
        QCOMPARE(w.lblBP->text(), QStringLiteral("1"));

        // The pop-up menu's items run the same commands.
        run = RunCommand([&] { w.mnuAddWpn->trigger(); }, [&](TfrmPicker& picker) {
            picker.List()->SelectRow(magazine - 1);
            QTest::keyClick(picker.List(), Qt::Key_Space);
        });
        QCOMPARE(run.Opened, &weapons);
        QCOMPARE(Captions(w.lvwWeapon), withPair);
        QCOMPARE(w.lblPlice->text(), QStringLiteral("19000"));
        w.lvwWeapon->SelectRow(1);
        w.mnuDelWpn->trigger();
        QCOMPARE(Captions(w.lvwWeapon), QStringList{"ﾊﾟｲﾙﾊﾞﾝｶｰ付ｼｰﾙﾄﾞ(電磁式)"});
        QCOMPARE(w.lblPlice->text(), QStringLiteral("16200"));

        // Delete without a selection, and Delete in the other two lists, remove nothing.
        w.lvwWeapon->SelectRow(-1);
        QTest::keyClick(w.lvwWeapon, Qt::Key_Delete);
        w.mnuDelWpn->trigger();
        QCOMPARE(w.lvwWeapon->model()->rowCount(), 1);
        w.lvwOption->SelectRow(0);
        QTest::keyClick(w.lvwOption, Qt::Key_Delete);
        QCOMPARE(w.lvwOption->model()->rowCount(), 4);
        run = RunCommand([&] { QTest::keyClick(w.lvwOption, Qt::Key_Delete); });
        QCOMPARE(run.Openings, 0);

        // Deleting the last weapon leaves base figures, options and moves: 16200 - 2600.
        w.lvwWeapon->SelectRow(0);
        QTest::keyClick(w.lvwWeapon, Qt::Key_Delete);
        QCOMPARE(w.lvwWeapon->model()->rowCount(), 0);
        QCOMPARE(w.lblPlice->text(), QStringLiteral("13600"));
        QCOMPARE(w.lblCP->text(), QStringLiteral("2"));
        QCOMPARE(w.lblBP->text(), QStringLiteral("0"));
        QVERIFY(desktop.Errors.isEmpty());
    }

    void unitFileCommands() {
        Folder folder;
        FakeDesktop desktop;
        auto session = Start(folder);
        TfrmMain& w = session->Main();
        const QString unit = folder.File(QStringLiteral("quartz.kr"));

        // A cancelled load from a fresh start still recalculates: the lists
        // come alive and the boxes show the empty sheet's figures.
        w.mnuLoadClick();
        QCOMPARE(desktop.Requests.size(), std::size_t{1});
        QVERIFY(!desktop.Requests[0].Save);
        QVERIFY(desktop.Requests[0].Filter.contains(QStringLiteral("*.kr")));
        QCOMPARE(desktop.Requests[0].DefaultSuffix, QStringLiteral("kr"));
        QVERIFY(w.lvwOption->isEnabled() && w.lvwMove->isEnabled() && w.lvwWeapon->isEnabled());
        QCOMPARE(Figures(w), (QStringList{"0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0", ""}));

        // Overwrite after a template asks for a name; cancelling writes nothing and the next one asks again.
        w.mnuNewClick(4);
        desktop.Requests.clear();
        w.mnuUpdateClick();
        QCOMPARE(desktop.Requests.size(), std::size_t{1});
        QVERIFY(desktop.Requests[0].Save);
        QVERIFY(desktop.Requests[0].Filter.contains(QStringLiteral("*.kr")));
        QCOMPARE(desktop.Requests[0].DefaultSuffix, QStringLiteral("kr"));
        QCOMPARE(QDir(folder.dir.path()).entryList({QStringLiteral("*.kr")}, QDir::Files), QStringList());
        desktop.Answers = {unit};
        w.mnuUpdateClick();
        QCOMPARE(desktop.Requests.size(), std::size_t{2});
        QVERIFY(QFileInfo::exists(unit));
        const QByteArray written = ReadBytes(unit);
        QVERIFY(written.startsWith(Cp932(QStringLiteral("[基本性能]\r\n名称=KRH-X31-LS クォーツ\r\n"))));

        // Save always asks, and writes to the chosen file.
        const QString copy = folder.File(QStringLiteral("copy.kr"));
        desktop.Answers = {copy};
        w.mnuSaveClick();
        QCOMPARE(desktop.Requests.size(), std::size_t{3});
        QCOMPARE(desktop.Requests[2].InitialFileName, unit);
        QCOMPARE(ReadBytes(copy), written);

        // Overwrite after a load writes straight back to the loaded file.
        desktop.Answers = {unit};
        w.mnuLoadClick();
        QCOMPARE(desktop.Requests.size(), std::size_t{4});
        QCOMPARE(w.txtKrName->text(), QStringLiteral("KRH-X31-LS クォーツ"));
        w.txtKrName->selectAll();
        TypeText(w.txtKrName, QStringLiteral("クォーツ改"));
        w.mnuUpdateClick();
        QCOMPARE(desktop.Requests.size(), std::size_t{4});
        QVERIFY(ReadBytes(unit).contains(Cp932(QStringLiteral("名称=クォーツ改\r\n"))));
        QCOMPARE(ReadBytes(copy), written);
        // The open dialog offers the file it loaded last; cancelling it keeps the design.
        const QStringList weaponsBefore = Captions(w.lvwWeapon);
        w.mnuLoadClick();
        QCOMPARE(desktop.Requests.back().InitialFileName, unit);
        QCOMPARE(w.txtKrName->text(), QStringLiteral("クォーツ改"));
        QCOMPARE(Captions(w.lvwWeapon), weaponsBefore);
        QCOMPARE(Figures(w), Template4Figures);

        // Loading a path that names no file: the error box, and the design,
        // the ticks and the remembered unit file stay as they were.
        const QString missing = folder.File(QStringLiteral("missing.kr"));
        const QStringList optionsBefore = Captions(w.lvwOption);
        const std::vector<bool> ticksBefore = [&] {
            std::vector<bool> ticks;
            for (std::size_t i = 0; i < w.designer().OptionPicker.Count(); ++i)
                ticks.push_back(w.designer().OptionPicker.Row(i).Checked);
            return ticks;
        }();
        desktop.Answers = {missing};
        w.mnuLoadClick();
        QCOMPARE(desktop.Errors, QStringList{QStringLiteral("ファイル ") + missing + QStringLiteral(" は開けません.")});
        QCOMPARE(Captions(w.lvwOption), optionsBefore);
        QCOMPARE(Captions(w.lvwWeapon), weaponsBefore);
        QCOMPARE(w.txtKrName->text(), QStringLiteral("クォーツ改"));
        for (std::size_t i = 0; i < ticksBefore.size(); ++i)
            QCOMPARE(w.designer().OptionPicker.Row(i).Checked, bool(ticksBefore[i]));
        desktop.Requests.clear();
        w.mnuUpdateClick();
        QVERIFY(desktop.Requests.empty());  // still the loaded file, no dialog
        QVERIFY(!QFileInfo::exists(missing));
        QVERIFY(ReadBytes(unit).contains(Cp932(QStringLiteral("名称=クォーツ改\r\n"))));
        desktop.Errors.clear();

        // Template 4, edited, saved, and loaded in a fresh session: same
        // name, rows, figures and picker ticks.
        w.mnuNewClick(4);
        const int fireControl = RowOf(*session->frmOption, QStringLiteral("射撃管制装置"));
        RunCommand([&] { w.lvwOptionDblClick(); }, [&](TfrmPicker& picker) {
            picker.Model()->setData(picker.Model()->index(fireControl, 0), Qt::Checked, Qt::CheckStateRole);
        });
        const int magazine = FirstFollowUpRow(*session->frmWeapon);
        RunCommand([&] { w.mnuAddWpnClick(); }, [&](TfrmPicker& picker) {
            picker.List()->SelectRow(magazine);
            QTest::keyClick(picker.List(), Qt::Key_Return);
        });
        w.txtKrName->selectAll();
        TypeText(w.txtKrName, QStringLiteral("ｸｫｰﾂ・改"));
        const QString edited = folder.File(QStringLiteral("edited.kr"));
        desktop.Answers = {edited};
        w.mnuSaveClick();
        const QStringList rows[] = {Captions(w.lvwOption), Captions(w.lvwMove), Captions(w.lvwWeapon)};
        const QStringList figures = Figures(w);
        const QStringList optionTicks = Ticked(*session->frmOption);
        const QStringList moveTicks = Ticked(*session->frmMove);
        QCOMPARE(rows[2].size(), 3);
        QCOMPARE(optionTicks.size(), 4);
        session.reset();

        auto again = Start(folder);
        TfrmMain& v = again->Main();
        desktop.Answers = {edited};
        v.mnuLoadClick();
        QCOMPARE(v.txtKrName->text(), QStringLiteral("ｸｫｰﾂ・改"));
        QCOMPARE(Captions(v.lvwOption), rows[0]);
        QCOMPARE(Captions(v.lvwMove), rows[1]);
        QCOMPARE(Captions(v.lvwWeapon), rows[2]);
        QCOMPARE(Figures(v), figures);
        QCOMPARE(Ticked(*again->frmOption), optionTicks);
        QCOMPARE(Ticked(*again->frmMove), moveTicks);
        QVERIFY(desktop.Errors.isEmpty());
    }

    // The figure boxes as they reach the screen: their colour, the backpack
    // figure in red above the capacity, every digit of every figure, and a
    // gap between each caption and its box.
    void figureBoxesAsShown() {
        Folder folder;
        FakeDesktop desktop;
        auto session = Start(folder);
        TfrmMain& w = session->Main();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.mnuNewClick(1);  // capacity 4
        const QList<QLabel*> boxes{w.lblFire, w.lblBtl, w.lblSpd, w.lblSns, w.lblCP,    w.lblAmr,
                                   w.lblHP,   w.lblPow, w.lblPunch, w.lblBP, w.lblPlice, w.lblClass};
        for (QLabel* box : boxes) QCOMPARE(QColor(Shown(box).pixel(3, 3)), QColor(221, 221, 255));

        // A howitzer with its shell rack (3 + 2) and a railgun (3) on the
        // arm punches (0): 8 against 4, red. A railgun and a machine gun:
        // 4 against 4, black.
        UnitSheet& sheet = w.designer().Sheet;
        const auto add = [&](const char* name) {
            const TKrWeapon* weapon =
                w.designer().Catalog.Weapon.FindByName(Cp932(QString::fromUtf8(name)).toStdString());
            QVERIFY2(weapon, name);
            sheet.Weapons.Append(weapon);
        };
        for (const char* name : {"120mm榴弾砲", "└砲弾ﾗｯｸ", "ﾚｰﾙｶﾞﾝ"}) add(name);
        Recalculate(sheet);
        w.RefreshSheet();
        QCOMPARE(w.lblBP->text(), QStringLiteral("8"));
        QVERIFY(!InkExtent(Shown(w.lblBP), IsRed).isEmpty());
        sheet.Weapons.Clear();
        for (const char* name : {"ﾚｰﾙｶﾞﾝ", "11mmMG"}) add(name);
        Recalculate(sheet);
        w.RefreshSheet();
        QCOMPARE(w.lblBP->text(), QStringLiteral("4"));
        QVERIFY(InkExtent(Shown(w.lblBP), IsRed).isEmpty());
        QVERIFY(!InkExtent(Shown(w.lblBP), IsDark).isEmpty());

        // The widest figures show every digit inside their boxes.
        sheet.BaseFire = sheet.BaseMelee = sheet.BaseEvasion = sheet.BaseSensor = sheet.BaseArmor =
            sheet.BaseDurability = sheet.BasePower = sheet.BasePunch = sheet.BaseCP = -2147483647 - 1;
        sheet.Weapons.Clear();
        sheet.BasePrice = 1817500;
        Recalculate(sheet);
        w.RefreshSheet();
        QTest::qWait(20);
        for (QLabel* box : boxes) {
            if (box == w.lblClass) continue;
            // Inside the box's frame, the whole text and room on both sides.
            const QImage inner = Shown(box).copy(1, 1, box->width() - 2, box->height() - 2);
            const QRect ink = InkExtent(inner, IsDark);
            const int textWidth = box->fontMetrics().horizontalAdvance(box->text());
            QVERIFY2(ink.left() >= 1 && ink.right() <= inner.width() - 2 && ink.width() >= textWidth - 3,
                     qPrintable(box->objectName() + QStringLiteral(" cuts ") + box->text()));
        }
        QCOMPARE(w.lblFire->text(), QStringLiteral("-2147483648"));
        QCOMPARE(w.lblPlice->text(), QStringLiteral("1817500"));

        // Captions keep clear of their boxes by 3 pixels, with the widest
        // figures and with the template's own.
        for (const bool widest : {true, false}) {
            if (!widest) w.mnuNewClick(1);
            const QImage panel = Shown(w.pnlBase);
            for (QLabel* box : boxes) {
                if (box == w.lblClass) continue;
                const QRect boxRect = box->geometry();
                int inkRight = -1;  // the rightmost caption pixel left of the box, on the box's rows
                for (int x = 0; x < boxRect.left(); ++x)
                    for (int y = boxRect.top() + 2; y < boxRect.bottom() - 1; ++y)
                        if (IsDark(panel.pixel(x, y))) inkRight = x;
                QVERIFY2(boxRect.left() - inkRight - 1 >= 3, qPrintable(box->objectName()));
            }
        }
        const QImage bar = Shown(w.tbrMain);
        int inkRight = -1;
        for (int x = w.lblClassP->x(); x < w.Panel1->x(); ++x)
            for (int y = 4; y < 22; ++y)
                if (IsDark(bar.pixel(x, y))) inkRight = x;
        QVERIFY(w.Panel1->x() - inkRight - 1 >= 3);
        QVERIFY(w.Panel1->geometry().right() < w.tbrMain->width());
    }

    // The name box holds one line of text that a unit file gives back as it
    // is, whatever is pasted into it or loaded.
    void nameBoxHoldsWhatAUnitFileKeeps() {
        Folder folder;
        FakeDesktop desktop;
        auto session = Start(folder);
        TfrmMain& w = session->Main();
        w.mnuNewClick(1);
        QGuiApplication::clipboard()->setText(QStringLiteral("Foo\n[武装]\r\nWEAPON0=ﾚｰﾙｶﾞﾝ\r[X]") + QChar(0) +
                                              QStringLiteral("\t!"));
        w.txtKrName->setFocus();
        w.txtKrName->selectAll();
        QTest::keyClick(w.txtKrName, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(w.txtKrName->text(), QStringLiteral("Foo[武装]WEAPON0=ﾚｰﾙｶﾞﾝ[X]!"));
        const QString unit = folder.File(QStringLiteral("pasted.kr"));
        desktop.Answers = {unit};
        w.mnuSaveClick();
        QVERIFY(ReadBytes(unit).contains(Cp932(QStringLiteral("名称=Foo[武装]WEAPON0=ﾚｰﾙｶﾞﾝ[X]!\r\n射撃=0\r\n"))));
        w.OpenUnitFile(PathOf(unit));
        QCOMPARE(w.txtKrName->text(), QStringLiteral("Foo[武装]WEAPON0=ﾚｰﾙｶﾞﾝ[X]!"));
        QCOMPARE(Captions(w.lvwWeapon), QStringList(2, QStringLiteral("ｱｰﾑﾊﾟﾝﾁ(火薬式)")));

        // Characters that CP932 holds under another code take it; those it
        // cannot hold are left out with a word (the emoji, the euro sign).
        QGuiApplication::clipboard()->setText(QStringLiteral("波〜形−A😀B€"));
        w.txtKrName->selectAll();
        QTest::keyClick(w.txtKrName, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(w.txtKrName->text(), QStringLiteral("波～形－AB"));
        QCOMPARE(w.designer().Sheet.UnitName, Cp932(QStringLiteral("波～形－AB")).toStdString());
        QTRY_VERIFY(QToolTip::isVisible());
        QVERIFY(QToolTip::text().contains(QStringLiteral("😀€")));
        TypeText(w.txtKrName, QStringLiteral("〜"));
        QCOMPARE(w.txtKrName->text(), QStringLiteral("波～形－AB～"));

        // A name cut at 2,047 bytes in the middle of "グ" loads without its
        // half; typing then reaches the sheet until the name is 2,047 bytes.
        const QString cut = folder.File(QStringLiteral("cut.kr"));
        WriteBytes(cut, Cp932(QStringLiteral("[基本性能]\r\n名称=") + QString(2046, u'a') + QStringLiteral("グ\r\n")));
        w.OpenUnitFile(PathOf(cut));
        QCOMPARE(w.txtKrName->text(), QString(2046, u'a'));
        QCOMPARE(w.designer().Sheet.UnitName, std::string(2046, 'a'));
        w.txtKrName->end(false);
        TypeText(w.txtKrName, QStringLiteral("bc"));
        QCOMPARE(w.txtKrName->text(), QString(2046, u'a') + u'b');
        QCOMPARE(w.designer().Sheet.UnitName, std::string(2046, 'a') + 'b');
        w.mnuUpdateClick();
        w.OpenUnitFile(PathOf(cut));
        QCOMPARE(w.designer().Sheet.UnitName, std::string(2046, 'a') + 'b');

        // Bytes that are no characters show as "?", and edits after them reach the sheet.
        WriteBytes(cut, QByteArray("[\x8A\xEE\x96\x7B\x90\xAB\x94\x5C]\r\n\x96\xBC\x8F\xCC=\xAB\x85\x40\xCD\r\n"));
        w.OpenUnitFile(PathOf(cut));
        QCOMPARE(w.txtKrName->text(), QStringLiteral("ｫ?@ﾍ"));
        w.txtKrName->end(false);
        TypeText(w.txtKrName, QStringLiteral("改"));
        w.mnuClipClick();
        QVERIFY(desktop.Clipboard.back().contains(QStringLiteral("名称, ｫ?@ﾍ改\r\n")));
        QVERIFY(desktop.Errors.isEmpty());
    }

    // Qt's own texts read in Japanese like the rest of the program.
    void qtDialogsAndMenusInJapanese() {
        InstallJapaneseTranslations();
        Folder folder;
        auto session = Start(folder);
        std::unique_ptr<QMenu> menu(session->Main().txtKrName->createStandardContextMenu());
        QStringList texts;
        for (const QAction* action : menu->actions()) texts.append(action->text());
        QVERIFY2(texts.join(u' ').contains(QStringLiteral("貼り付け")), qPrintable(texts.join(u' ')));
        QFileDialog dialog;
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        QStringList buttons;
        for (const QPushButton* button : dialog.findChildren<QPushButton*>()) buttons.append(button->text());
        QVERIFY2(buttons.contains(QStringLiteral("キャンセル")), qPrintable(buttons.join(u' ')));
    }

    // The status line tells what a load dropped and where a file was written.
    void statusLineTellsWithoutStopping() {
        Folder folder;
        FakeDesktop desktop;
        auto session = Start(folder);
        TfrmMain& w = session->Main();
        const QString unit = folder.File(QStringLiteral("unknown.kr"));
        WriteBytes(unit, Cp932(QStringLiteral("[武装]\r\nWEAPON0=光線銃\r\nWEAPON1=11mmMG\r\n"
                                              "[オプション]\r\nOPTION0=ｽﾃﾙｽ\r\n")));
        w.OpenUnitFile(PathOf(unit));
        QCOMPARE(w.stbMain->Notice(), QStringLiteral("カタログにない名前を読み飛ばしました: 光線銃、ｽﾃﾙｽ"));
        QCOMPARE(w.stbMain->toolTip(), QStringLiteral("光線銃\nｽﾃﾙｽ"));
        QCOMPARE(Captions(w.lvwWeapon), QStringList{QStringLiteral("11mmMG")});
        QVERIFY(desktop.Errors.isEmpty());

        w.mnuUpdateClick();
        QCOMPARE(w.stbMain->Notice(), unit + QStringLiteral(" に保存しました"));
        const QString page = folder.File(QStringLiteral("page.html"));
        desktop.Answers = {page};
        desktop.ViewerWorks = false;
        w.mnuHtmlClick();
        QCOMPARE(w.stbMain->Notice(), page + QStringLiteral(" に書き出しました (表示できるプログラムが見つかりません)"));
    }

    void reports() {
        Folder folder;
        FakeDesktop desktop;
        auto session = Start(folder);
        TfrmMain& w = session->Main();
        const UnitSheet& sheet = w.designer().Sheet;

        // The clipboard gets the report text, also for the empty sheet.
        w.mnuClipClick();
        QCOMPARE(desktop.Clipboard, QStringList{Cp932ToQString(BuildClipboardText(sheet))});
        w.mnuNewClick(4);
        w.mnuClipClick();
        QCOMPARE(desktop.Clipboard.size(), 2);
        QCOMPARE(desktop.Clipboard[1], Cp932ToQString(BuildClipboardText(sheet)));
        QVERIFY(desktop.Clipboard[1].contains(QStringLiteral("KRH-X31-LS クォーツ")));
        QVERIFY(desktop.Errors.isEmpty());
        desktop.ClipboardWorks = false;
        w.mnuClipClick();
        QCOMPARE(desktop.Errors, QStringList{QStringLiteral("クリップボードを開くことができません.")});
        desktop.Errors.clear();

        // HTML: a cancelled dialog touches nothing.
        const QStringList before = QDir(folder.dir.path()).entryList(QDir::Files);
        w.mnuHtmlClick();
        QCOMPARE(desktop.Requests.size(), std::size_t{1});
        QVERIFY(desktop.Requests[0].Save);
        QCOMPARE(desktop.Requests[0].DefaultSuffix, QStringLiteral("html"));
        QVERIFY(desktop.Requests[0].Filter.contains(QStringLiteral("*.htm")));
        QVERIFY(desktop.Requests[0].Filter.contains(QStringLiteral("*.html")));
        QCOMPARE(desktop.Requests[0].InitialFileName, QString());
        QCOMPARE(QDir(folder.dir.path()).entryList(QDir::Files), before);
        QVERIFY(desktop.Opened.isEmpty());

        // A chosen file is written, then handed to the viewer.
        const QString page = folder.File(QStringLiteral("quartz.html"));
        const QByteArray expected = QByteArray::fromStdString(BuildHtmlPage(sheet));
        desktop.Answers = {page};
        w.mnuHtmlClick();
        QCOMPARE(ReadBytes(page), expected);
        QCOMPARE(desktop.Opened, QStringList{page});
        QCOMPARE(desktop.OpenedContents.front(), expected);

        // The dialog offers that name again, also after a template.
        w.mnuNewClick(1);
        w.mnuHtmlClick();
        QCOMPARE(desktop.Requests.back().InitialFileName, page);
        QCOMPARE(ReadBytes(page), expected);

        // A file that cannot be created: the error box, and no viewer.
        const QString plain = folder.File(QStringLiteral("plain.txt"));
        WriteBytes(plain, "x");
        const QString unwritable = plain + QStringLiteral("/granite.html");
        desktop.Answers = {unwritable};
        w.mnuHtmlClick();
        QCOMPARE(desktop.Errors, QStringList{QStringLiteral("ファイル ") + unwritable + QStringLiteral(" を作成できません.")});
        QCOMPARE(desktop.Opened.size(), 1);
        w.mnuHtmlClick();
        QCOMPARE(desktop.Requests.back().InitialFileName, unwritable);
    }

    void batchReportsMatchTheDesigner() {
        const QString krreport = QCoreApplication::applicationDirPath() + QStringLiteral("/krreport");
        QVERIFY2(QFileInfo(krreport).isExecutable(), qPrintable(krreport + " is not built"));
        Folder folder;
        FakeDesktop desktop;
        const QString unit = folder.File(QStringLiteral("quartz.kr"));
        {
            auto session = Start(folder);
            session->Main().mnuNewClick(4);
            desktop.Answers = {unit};
            session->Main().mnuSaveClick();
        }
        QVERIFY(QFileInfo::exists(unit));

        auto run = [&](const char* kind) {
            QProcess process;
            process.start(krreport, {QStringLiteral("--catalogs"), folder.dir.path(), QString::fromLatin1(kind), unit});
            if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit ||
                process.exitCode() != 0)
                return QByteArray("krreport failed: ") + process.readAllStandardError();
            return process.readAllStandardOutput();
        };
        const QByteArray text = run("--text");
        const QByteArray html = run("--html");

        auto session = Start(folder);
        TfrmMain& w = session->Main();
        desktop.Answers = {unit};
        w.mnuLoadClick();
        w.mnuClipClick();
        QCOMPARE(desktop.Clipboard.size(), 1);
        const std::optional<std::string> clipboard = QStringToCp932(desktop.Clipboard.front());
        QVERIFY(clipboard);
        QCOMPARE(QByteArray::fromStdString(*clipboard), text);

        const QString page = folder.File(QStringLiteral("quartz.html"));
        desktop.Answers = {page};
        w.mnuHtmlClick();
        QCOMPARE(ReadBytes(page), html);
        QVERIFY(desktop.Errors.isEmpty());
    }
};

QTEST_MAIN(MainWindowTest)
#include "test_mainwindow.moc"

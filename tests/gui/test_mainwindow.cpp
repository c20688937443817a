// The main window over a copy of the shipped catalogs: layout, placement in
// the settings file, catalog failures at start, the equipment commands, the
// unit file commands, both reports and the error box, driven through real
// key and mouse events and through the desktop seam in place of dialogs and
// the clipboard. What the commands compute is the core tests' to check; here
// each slot checks that the window reaches it and shows it.
#include "session_kit.h"
#include "reports.h"

#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QMenuBar>
#include <QToolTip>

using namespace guikit;

namespace {

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

const QString Shield = QStringLiteral("ﾊﾟｲﾙﾊﾞﾝｶｰ付ｼｰﾙﾄﾞ(電磁式)");

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

QStringList ActionTexts(const QMenu* menu) {
    QStringList texts;
    for (const QAction* action : menu->actions()) texts.append(action->isSeparator() ? QStringLiteral("-") : action->text());
    return texts;
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    // ---- layout ------------------------------------------------------------

    void windowTitleIconAndFrame() {
        Running run;
        TfrmMain& w = run.Main();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY(run.desktop.Errors.isEmpty());
        QCOMPARE(w.windowTitle(), QStringLiteral("ＫＲデザイナ"));
        // The program's icon, in the sizes the desktop asks for, on every window.
        for (const QWidget* window : std::initializer_list<const QWidget*>{
                 &w, run.session->frmOption.get(), run.session->frmMove.get(), run.session->frmWeapon.get()})
            QCOMPARE(window->windowIcon().pixmap(16, 16).size(), QSize(16, 16));
        QCOMPARE(w.windowIcon().availableSizes().size(), 6);
        WaitForFrame(&w);
        QCOMPARE(Frame(&w), QRect(201, 168, 600, 523));
        QCOMPARE(Frame(&w), w.frameGeometry());
        // The design size is also the smallest the window can be made.
        w.resize(300, 200);
        QTest::qWait(20);
        QCOMPARE(w.frameGeometry().size(), QSize(600, 523));
    }

    // The figure panel: in two rows, each caption just left of its box, as
    // a player reads them; the boxes blank and unfocusable at start.
    void figurePanel() {
        Running run;
        TfrmMain& w = run.Main();
        const std::vector<std::pair<const char*, QLabel*>> rows[] = {
            {{"射撃修正", w.lblFire}, {"格闘修正", w.lblBtl}, {"回避修正", w.lblSpd}, {"センサー", w.lblSns},
             {"カスタムポイント", w.lblCP}},
            {{"装甲", w.lblAmr}, {"耐久力", w.lblHP}, {"パワー", w.lblPow}, {"パンチ", w.lblPunch},
             {"ﾊﾞｯｸﾊﾟｯｸ", w.lblBP}, {"価格(GD)", w.lblPlice}},
        };
        const QList<QLabel*> panelLabels = w.pnlBase->findChildren<QLabel*>(Qt::FindDirectChildrenOnly);
        int rowTop = -1;
        for (const auto& row : rows) {
            int right = 0;  // the right edge of the box before
            const int top = row.front().second->y();
            QVERIFY(rowTop < 0 || top >= rowTop + 18);
            rowTop = top;
            for (const auto& [text, box] : row) {
                const QString caption = QString::fromUtf8(text);
                QLabel* label = nullptr;
                for (QLabel* candidate : panelLabels)
                    if (candidate->text() == caption) label = candidate;
                QVERIFY2(label, text);
                QVERIFY2(label->x() > right && label->geometry().right() < box->x(), text);
                QVERIFY(qAbs(box->y() - top) <= 1 && qAbs(label->geometry().center().y() - box->geometry().center().y()) <= 2);
                right = box->geometry().right();
                QCOMPARE(label->font().pixelSize(), label == w.lblCPC ? 13 : 15);
                QCOMPARE(box->parentWidget(), w.pnlBase);
                QCOMPARE(box->height(), 18);
                QCOMPARE(box->alignment() & Qt::AlignHorizontal_Mask,
                         box == w.lblPlice ? Qt::AlignRight : Qt::AlignHCenter);
                QCOMPARE(box->text(), QString());
                QCOMPARE(box->focusPolicy(), Qt::NoFocus);
            }
            QVERIFY(right < w.pnlBase->width());
        }
        QCOMPARE(w.pnlBase->height(), 60);
    }

    // The tool bar: the class box in its panel and the name box, both blank;
    // widening the window widens the name box alone, the class keeping the
    // last 100 pixels.
    void toolBarClassAndNameBoxes() {
        Running run;
        TfrmMain& w = run.Main();
        QCOMPARE(w.tbrMain->height(), 27);
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
        // The tool buttons run the load and save commands.
        QCOMPARE(w.tbnOpen->defaultAction(), w.mnuLoad);
        QCOMPARE(w.tbnLoad->defaultAction(), w.mnuSave);

        const int nameWidth = w.txtKrName->width();
        w.resize(w.width() + 200, w.height());
        QTRY_COMPARE(w.txtKrName->width(), nameWidth + 200);
        const int barWidth = w.tbrMain->width();
        QCOMPARE(w.txtKrName->geometry().right() + 1, barWidth - 100);
        QVERIFY(w.lblClassP->x() >= barWidth - 100);
        QVERIFY(w.Panel1->geometry().right() < barWidth);
        QVERIFY(w.lblClassP->geometry().right() < w.Panel1->x());
    }

    // The three lists: empty and disabled until the first recalculation, their
    // columns kept when rows come in; then Tab goes name box, options, moves, weapons.
    void listsAndTabOrder() {
        Running run;
        TfrmMain& w = run.Main();
        for (ReportListView* list : {w.lvwOption, w.lvwMove, w.lvwWeapon}) {
            QVERIFY(!list->isEnabled());
            QCOMPARE(list->model()->rowCount(), 0);
        }
        QCOMPARE(w.lvwOption->height(), 99);
        QCOMPARE(w.lvwMove->height(), 109);
        CheckMainColumns(w);
        w.mnuNewClick(4);
        CheckMainColumns(w);
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.txtKrName->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), w.txtKrName);
        for (QWidget* next : std::initializer_list<QWidget*>{w.lvwOption, w.lvwMove, w.lvwWeapon}) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
        }
    }

    void menusCaptionsAndShortcuts() {
        Running run;
        TfrmMain& w = run.Main();
        const QList<QAction*> bar = w.menuBar()->actions();
        QCOMPARE(bar.size(), 3);
        QCOMPARE(bar[0]->text(), QStringLiteral("&File"));
        QCOMPARE(bar[0]->menu(), w.mnuFile);
        QCOMPARE(bar[1]->text(), QStringLiteral("&Edit"));
        QCOMPARE(bar[1]->menu(), w.mnuEdit);
        QCOMPARE(bar[2]->text(), QStringLiteral("&Help"));
        QCOMPARE(bar[2]->menu(), w.mnuHelp);
        QCOMPARE(ActionTexts(w.mnuFile), (QStringList{"新規作成", "-", "読み込み", "最近使ったファイル", "保存",
                                                      "上書き保存", "-", "出力", "印刷(&P)...", "-", "終了"}));
        const QList<QAction*> file = w.mnuFile->actions();
        QCOMPARE(file[0]->menu(), w.mnuNew);
        QCOMPARE(file[2], w.mnuLoad);
        QCOMPARE(file[3]->menu(), w.mnuRecent);
        QCOMPARE(file[4], w.mnuSave);
        QCOMPARE(file[5], w.mnuUpdate);
        QCOMPARE(file[7]->menu(), w.mnuOutput);
        QCOMPARE(file[8], w.mnuPrint);
        QCOMPARE(file[10], w.mnuExit);
        QCOMPARE(ActionTexts(w.mnuNew), (QStringList{"KRM-11-LS", "KRH-21-LS", "KRH-22-LS", "KRH-X31-LS", "KRS-41-LA"}));
        QCOMPARE(w.mnuOutput->actions(), (QList<QAction*>{w.mnuClip, w.mnuHtml, w.mnuPdf, w.mnuPng}));
        QCOMPARE(ActionTexts(w.mnuOutput), (QStringList{"クリップボード", "HTML", "PDF...", "画像(PNG)..."}));
        QCOMPARE(w.mnuEdit->actions().size(), 4);
        QCOMPARE(ActionTexts(w.mnuEdit), (QStringList{"元に戻す(&U)", "やり直し(&R)", "-", "終了時の設計を復元(&L)"}));
        QCOMPARE(w.mnuEdit->actions()[0], w.mnuUndo);
        QCOMPARE(w.mnuEdit->actions()[1], w.mnuRedo);
        QCOMPARE(w.mnuEdit->actions()[3], w.mnuRestore);
        QCOMPARE(w.mnuHelp->actions(), (QList<QAction*>{w.mnuUsage, w.mnuAbout}));
        QCOMPARE(ActionTexts(w.mnuHelp), (QStringList{"使い方(&H)", "バージョン情報(&A)"}));
        QCOMPARE(w.pmuWeapon->actions(), (QList<QAction*>{w.mnuAddWpn, w.mnuDelWpn}));
        QCOMPARE(ActionTexts(w.pmuWeapon), (QStringList{"追加", "削除"}));

        const auto keys = [](const QString& text) { return QKeySequence(text); };
        QCOMPARE(w.mnuLoad->shortcut(), keys(QStringLiteral("Ctrl+O")));
        QVERIFY(w.mnuSave->shortcut().isEmpty());
        QCOMPARE(w.mnuUpdate->shortcut(), keys(QStringLiteral("Ctrl+S")));
        QCOMPARE(w.mnuExit->shortcut(), keys(QStringLiteral("Ctrl+Q")));
        QCOMPARE(w.mnuPrint->shortcut(), keys(QStringLiteral("Ctrl+P")));
        QCOMPARE(w.mnuUsage->shortcut(), keys(QStringLiteral("F1")));
        QVERIFY(w.mnuAbout->shortcut().isEmpty());
        QCOMPARE(w.mnuUndo->shortcut(), keys(QStringLiteral("Ctrl+Z")));
        QCOMPARE(w.mnuRedo->shortcuts(), (QList<QKeySequence>{keys(QStringLiteral("Ctrl+Y")), keys(QStringLiteral("Ctrl+Shift+Z"))}));
        QVERIFY(!w.mnuUndo->isEnabled() && !w.mnuRedo->isEnabled() && !w.mnuRestore->isEnabled());
    }

    // ---- placement and start -------------------------------------------------

    // A file holding only LEFT moves the window; the rest keep their design
    // values, and all four keys are there after the run.
    void placementFromAPartialSettingsFile() {
        Folder folder;
        WriteBytes(folder.Settings(), "[GENERAL]\r\nLEFT=300\r\n");
        {
            FakeDesktop desktop;
            auto session = Start(folder);
            WaitForFrame(&session->Main());
            QCOMPARE(session->Main().frameGeometry().topLeft(), QPoint(300, 168));
        }
        const QByteArray bytes = ReadBytes(folder.Settings());
        QVERIFY(bytes.startsWith("[GENERAL]\r\nLEFT=300\r\nW_LEFT=526\r\n"));
        QVERIFY(bytes.endsWith("O_WIDTH=535\r\nTOP=168\r\nHEIGHT=523\r\nWIDTH=600\r\n"));
    }

    // A settings file that cannot be written: told once, however many
    // windows fail to store their places, and the windows are all destroyed.
    void unwritableSettingsAreToldOnce() {
        Folder locked;
        QVERIFY(QDir(locked.dir.path()).mkdir(QStringLiteral("KRMAKE.INI")));
        FakeDesktop desktop;
        auto session = Start(locked);
        QVERIFY(QTest::qWaitForWindowExposed(&session->Main()));
        QVERIFY(desktop.Errors.isEmpty());
        session.reset();
        QCOMPARE(desktop.Errors, QStringList{locked.Settings() + QStringLiteral(" に書き込めません.")});
    }

    // Each catalog loads on its own, in the order weapon, option, move; each
    // failure has its own box. A blank third line stops the weapons after one.
    void catalogFailuresAtStart_data() {
        QTest::addColumn<QStringList>("missing");
        QTest::addColumn<bool>("blankThirdLine");
        QTest::addColumn<QList<int>>("rows");  // weapon, option and move picker rows
        QTest::newRow("weapon.csv missing") << QStringList{"weapon.csv"} << false << QList<int>{0, 22, 21};
        QTest::newRow("move.csv missing") << QStringList{"move.csv"} << false << QList<int>{26, 22, 0};
        QTest::newRow("two missing") << QStringList{"option.csv", "move.csv"} << false << QList<int>{26, 0, 0};
        QTest::newRow("blank line") << QStringList{} << true << QList<int>{1, 22, 21};
    }
    void catalogFailuresAtStart() {
        QFETCH(QStringList, missing);
        QFETCH(bool, blankThirdLine);
        QFETCH(QList<int>, rows);
        Folder folder(missing);
        QStringList expected;
        for (const QString& file : missing) expected.append(CannotOpenBox(folder.File(file)));
        if (blankThirdLine) {
            const QString weapons = folder.File(QStringLiteral("weapon.csv"));
            const QByteArray lines = ReadBytes(weapons);
            const qsizetype secondLineEnd = lines.indexOf('\n', lines.indexOf('\n') + 1) + 1;
            WriteBytes(weapons, lines.left(secondLineEnd) + "\r\n" + lines.mid(secondLineEnd));
            // The message ends in ")", so no "." is added.
            expected.append(QStringLiteral("weapon.csv 3 行目: リストのインデックスが範囲を超えています (0)"));
        }
        FakeDesktop desktop;
        auto session = Start(folder);
        QCOMPARE(desktop.Errors, expected);
        QVERIFY(session->Main().isVisible());
        QCOMPARE((QList<int>{session->frmWeapon->Model()->rowCount(), session->frmOption->Model()->rowCount(),
                             session->frmMove->Model()->rowCount()}),
                 rows);
    }

    // ---- equipment commands ----------------------------------------------------

    void listsTakeNoInputBeforeTheFirstRecalculation() {
        Running run;
        TfrmMain& w = run.Main();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        for (ReportListView* list : {w.lvwOption, w.lvwMove, w.lvwWeapon}) {
            QCOMPARE(RunCommand([&] { QTest::keyClick(list, Qt::Key_F2); }).Openings, 0);
            QCOMPARE(RunCommand([&] { DoubleClick(list->viewport(), BelowRows(list)); }).Openings, 0);
            QTest::keyClick(list, Qt::Key_Delete);
        }
        QCOMPARE(Figures(w), QStringList(12, QString()));
    }

    // F2 in the option list opens its picker; ticking one more option rebuilds
    // the list in catalog order and recalculates. A double-click opens it too.
    void optionPickerByF2AndDoubleClick() {
        Running run;
        TfrmMain& w = run.Main();
        w.mnuNewClick(4);
        QCOMPARE(Figures(w), Template4Figures);
        QCOMPARE(Captions(w.lvwOption), (QStringList{"出力強化Lv1", "ﾓﾙｶﾞ製ｾﾝｻｰ", "気密/防水加工"}));
        TfrmPicker& options = *run.session->frmOption;
        PickerRun opened = RunCommand([&] { QTest::keyClick(w.lvwOption, Qt::Key_F2); }, [&](TfrmPicker& picker) {
            QCOMPARE(Ticked(picker), (QStringList{"ﾓﾙｶﾞ製ｾﾝｻｰ", "気密/防水加工", "出力強化Lv1"}));
            Tick(picker, QStringLiteral("射撃管制装置"));
        });
        QCOMPARE(opened.Opened, &options);
        QCOMPARE(opened.Openings, 1);
        QVERIFY(opened.ClosedByEsc);
        QCOMPARE(Captions(w.lvwOption), (QStringList{"ﾓﾙｶﾞ製ｾﾝｻｰ", "気密/防水加工", "射撃管制装置", "出力強化Lv1"}));
        // Fire control: fire +1, 1 custom point, 1800 GD.
        QCOMPARE(Figures(w), (QStringList{"+2", "+1", "-4", "+2", "3", "6", "25", "8", "8", "1", "16200", "H"}));
        QCOMPARE(RunCommand([&] { DoubleClick(w.lvwOption->viewport(), OnRow(w.lvwOption, 0)); }).Opened, &options);
        QCOMPARE(Captions(w.lvwOption).size(), 4);
    }

    // Ctrl+F2 in the move list opens the move picker; unticking the wheels
    // empties the list. A double-click below the rows opens it too.
    void movePickerByCtrlF2AndDoubleClick() {
        Running run;
        TfrmMain& w = run.Main();
        w.mnuNewClick(4);
        TfrmPicker* moves = run.session->frmMove.get();
        const PickerRun opened =
            RunCommand([&] { QTest::keyClick(w.lvwMove, Qt::Key_F2, Qt::ControlModifier); }, [&](TfrmPicker& picker) {
                QCOMPARE(Ticked(picker), QStringList{"ｸﾞﾗｲﾃﾞｨﾝｸﾞﾎｲｰﾙ"});
                Tick(picker, QStringLiteral("ｸﾞﾗｲﾃﾞｨﾝｸﾞﾎｲｰﾙ"), false);
            });
        QCOMPARE(opened.Opened, moves);
        QCOMPARE(w.lvwMove->model()->rowCount(), 0);
        QCOMPARE(RunCommand([&] { DoubleClick(w.lvwMove->viewport(), BelowRows(w.lvwMove)); }).Opened, moves);
    }

    // F2 in the weapon list and a double-click below its rows open the weapon
    // picker; closing it without a choice changes nothing.
    void weaponPickerByF2AndDoubleClick() {
        Running run;
        TfrmMain& w = run.Main();
        w.mnuNewClick(4);
        TfrmPicker* weapons = run.session->frmWeapon.get();
        QCOMPARE(RunCommand([&] { QTest::keyClick(w.lvwWeapon, Qt::Key_F2); }).Opened, weapons);
        QCOMPARE(RunCommand([&] { DoubleClick(w.lvwWeapon->viewport(), BelowRows(w.lvwWeapon)); }).Opened, weapons);
        QCOMPARE(Captions(w.lvwWeapon), QStringList{Shield});
        QCOMPARE(Figures(w), Template4Figures);
    }

    // Enter on the missile launcher adds it with its spare magazine, shown at
    // once; the figures follow when the picker has closed. Delete on the
    // magazine removes both, and the figures follow at once.
    void weaponPairAddedAndDeletedByKeys() {
        Running run;
        TfrmMain& w = run.Main();
        w.mnuNewClick(4);
        const int magazine = FirstFollowUpRow(*run.session->frmWeapon);
        QVERIFY(magazine > 0);
        const QStringList withPair{Shield, "6連装ﾐｻｲﾙﾗﾝﾁｬｰ", "└予備弾倉"};
        RunCommand([&] { QTest::keyClick(w.lvwWeapon, Qt::Key_F2); }, [&](TfrmPicker& picker) {
            picker.List()->SelectRow(magazine - 1);
            QTest::keyClick(picker.List(), Qt::Key_Return);
            QCOMPARE(Captions(w.lvwWeapon), withPair);
            QCOMPARE(w.lblPlice->text(), QStringLiteral("14400"));
        });
        // Launcher 2400 GD, 1 CP, 2 BP (class H on an H unit); magazine 400 GD, 0 CP, 1 BP.
        QCOMPARE(Figures(w), (QStringList{"+1", "+1", "-4", "+2", "3", "6", "25", "8", "8", "4", "17200", "H"}));
        w.lvwWeapon->SelectRow(2);
        QTest::keyClick(w.lvwWeapon, Qt::Key_Delete);
        QCOMPARE(Captions(w.lvwWeapon), QStringList{Shield});
        QCOMPARE(Figures(w), Template4Figures);
        QVERIFY(run.desktop.Errors.isEmpty());
    }

    // The pop-up menu's items run the same commands (Space chooses in the picker).
    void popupMenuAddsAndDeletes() {
        Running run;
        TfrmMain& w = run.Main();
        w.mnuNewClick(4);
        const int magazine = FirstFollowUpRow(*run.session->frmWeapon);
        const PickerRun opened = RunCommand([&] { w.mnuAddWpn->trigger(); }, [&](TfrmPicker& picker) {
            picker.List()->SelectRow(magazine);
            QTest::keyClick(picker.List(), Qt::Key_Space);
        });
        QCOMPARE(opened.Opened, run.session->frmWeapon.get());
        QCOMPARE(Captions(w.lvwWeapon), (QStringList{Shield, "6連装ﾐｻｲﾙﾗﾝﾁｬｰ", "└予備弾倉"}));
        w.lvwWeapon->SelectRow(1);
        w.mnuDelWpn->trigger();
        QCOMPARE(Captions(w.lvwWeapon), QStringList{Shield});
        QCOMPARE(w.lblPlice->text(), QStringLiteral("14400"));
    }

    // After a delete the selection stays at the place of the removed rows, or
    // moves to the new last row when they were last.
    void selectionFollowsTheDeletedPlace() {
        Running run;
        TfrmMain& w = run.Main();
        w.mnuNewClick(1);
        SetWeapons(w, {"11mmMG", "ﾚｰﾙｶﾞﾝ", "120mm榴弾砲", "└砲弾ﾗｯｸ", "ﾋｰﾄﾅｲﾌ"});
        w.lvwWeapon->SelectRow(1);
        QTest::keyClick(w.lvwWeapon, Qt::Key_Delete);
        QCOMPARE(Captions(w.lvwWeapon), (QStringList{"11mmMG", "120mm榴弾砲", "└砲弾ﾗｯｸ", "ﾋｰﾄﾅｲﾌ"}));
        QCOMPARE(w.lvwWeapon->SelectedRow(), 1L);
        QTest::keyClick(w.lvwWeapon, Qt::Key_Delete);  // the pair, from the selection left
        QCOMPARE(Captions(w.lvwWeapon), (QStringList{"11mmMG", "ﾋｰﾄﾅｲﾌ"}));
        QCOMPARE(w.lvwWeapon->SelectedRow(), 1L);
        QTest::keyClick(w.lvwWeapon, Qt::Key_Delete);
        QCOMPARE(Captions(w.lvwWeapon), QStringList{"11mmMG"});
        QCOMPARE(w.lvwWeapon->SelectedRow(), 0L);
        QTest::keyClick(w.lvwWeapon, Qt::Key_Delete);
        QCOMPARE(w.lvwWeapon->model()->rowCount(), 0);
        QCOMPARE(w.lvwWeapon->SelectedRow(), -1L);
        // Deleting the last weapon leaves base figures, options and moves: 8200 + 0.
        QCOMPARE(w.lblPlice->text(), QStringLiteral("8200"));
        QCOMPARE(w.lblBP->text(), QStringLiteral("0"));
    }

    // Delete without a selection, and Delete in the other two lists, remove nothing.
    void deleteWithoutSelectionOrElsewhereDoesNothing() {
        Running run;
        TfrmMain& w = run.Main();
        w.mnuNewClick(4);
        w.lvwWeapon->SelectRow(-1);
        QTest::keyClick(w.lvwWeapon, Qt::Key_Delete);
        w.mnuDelWpn->trigger();
        QCOMPARE(w.lvwWeapon->model()->rowCount(), 1);
        for (ReportListView* list : {w.lvwOption, w.lvwMove}) {
            list->SelectRow(0);
            QCOMPARE(RunCommand([&] { QTest::keyClick(list, Qt::Key_Delete); }).Openings, 0);
        }
        QCOMPARE(w.lvwOption->model()->rowCount(), 3);
        QCOMPARE(w.lvwMove->model()->rowCount(), 1);
        QCOMPARE(Figures(w), Template4Figures);
    }

    // ---- unit file commands --------------------------------------------------

    // A cancelled load from a fresh start still recalculates: the lists come
    // alive and the boxes show the empty sheet's figures.
    void cancelledLoadStillRecalculates() {
        Running run;
        TfrmMain& w = run.Main();
        w.mnuLoadClick();
        QCOMPARE(run.desktop.Requests.size(), std::size_t{1});
        QVERIFY(!run.desktop.Requests[0].Save);
        QVERIFY(run.desktop.Requests[0].Filter.contains(QStringLiteral("*.kr")));
        QCOMPARE(run.desktop.Requests[0].DefaultSuffix, QStringLiteral("kr"));
        QVERIFY(w.lvwOption->isEnabled() && w.lvwMove->isEnabled() && w.lvwWeapon->isEnabled());
        QCOMPARE(Figures(w), (QStringList{"0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0", ""}));
    }

    // Overwrite after a template asks for a name; cancelling writes nothing
    // and the next overwrite asks again. Save always asks.
    void overwriteAfterATemplateAsksForAName() {
        Running run;
        TfrmMain& w = run.Main();
        FakeDesktop& desktop = run.desktop;
        w.mnuNewClick(4);
        w.mnuUpdateClick();
        QCOMPARE(desktop.Requests.size(), std::size_t{1});
        QVERIFY(desktop.Requests[0].Save);
        QVERIFY(desktop.Requests[0].Filter.contains(QStringLiteral("*.kr")));
        QCOMPARE(desktop.Requests[0].DefaultSuffix, QStringLiteral("kr"));
        QCOMPARE(QDir(run.folder.dir.path()).entryList({QStringLiteral("*.kr")}, QDir::Files), QStringList());
        const QString unit = run.folder.File(QStringLiteral("quartz.kr"));
        desktop.Answers = {unit};
        w.mnuUpdateClick();
        QCOMPARE(desktop.Requests.size(), std::size_t{2});
        const QByteArray written = ReadBytes(unit);
        QVERIFY(written.startsWith(Cp932(QStringLiteral("[基本性能]\r\n名称=KRH-X31-LS クォーツ\r\n"))));

        const QString copy = run.folder.File(QStringLiteral("copy.kr"));
        desktop.Answers = {copy};
        w.mnuSaveClick();
        QCOMPARE(desktop.Requests.size(), std::size_t{3});
        QCOMPARE(desktop.Requests[2].InitialFileName, unit);
        QCOMPARE(ReadBytes(copy), written);
    }

    // Overwrite after a load writes straight back to the loaded file; the open
    // dialog offers that file again, and cancelling it keeps the design.
    void overwriteAfterALoadWritesBack() {
        Running run;
        TfrmMain& w = run.Main();
        FakeDesktop& desktop = run.desktop;
        const QString unit = run.folder.File(QStringLiteral("quartz.kr"));
        w.mnuNewClick(4);
        desktop.Answers = {unit};
        w.mnuSaveClick();
        w.mnuNewClick(1);
        desktop.Answers = {unit};
        w.mnuLoadClick();
        QCOMPARE(w.txtKrName->text(), QStringLiteral("KRH-X31-LS クォーツ"));
        w.txtKrName->selectAll();
        TypeText(w.txtKrName, QStringLiteral("クォーツ改"));
        desktop.Requests.clear();
        w.mnuUpdateClick();
        QVERIFY(desktop.Requests.empty());
        QVERIFY(ReadBytes(unit).contains(Cp932(QStringLiteral("名称=クォーツ改\r\n"))));
        w.mnuLoadClick();
        QCOMPARE(desktop.Requests.back().InitialFileName, unit);
        QCOMPARE(w.txtKrName->text(), QStringLiteral("クォーツ改"));
        QCOMPARE(Captions(w.lvwWeapon), QStringList{Shield});
        QCOMPARE(Figures(w), Template4Figures);
    }

    // Loading a path that names no file: the error box, and the design, the
    // ticks and the remembered unit file stay as they were.
    void unreadableLoadKeepsTheDesign() {
        Running run;
        TfrmMain& w = run.Main();
        const QString unit = run.folder.File(QStringLiteral("quartz.kr"));
        const QString missing = run.folder.File(QStringLiteral("missing.kr"));
        w.mnuNewClick(4);
        run.desktop.Answers = {unit, missing};
        w.mnuSaveClick();
        const QString before = Cp932ToQString(BuildClipboardText(w.designer().Sheet));
        const QStringList ticks = Ticked(*run.session->frmOption);
        w.mnuLoadClick();
        QCOMPARE(run.desktop.Errors, QStringList{CannotOpenBox(missing)});
        QCOMPARE(Cp932ToQString(BuildClipboardText(w.designer().Sheet)), before);
        QCOMPARE(Ticked(*run.session->frmOption), ticks);
        run.desktop.Requests.clear();
        w.mnuUpdateClick();
        QVERIFY(run.desktop.Requests.empty());  // still the saved file, no dialog
        QVERIFY(!QFileInfo::exists(missing));
    }

    // Template 4, edited, saved, and loaded in a fresh session: the same name,
    // rows, figures and picker ticks.
    void savedDesignLoadsInAFreshSession() {
        Folder folder;
        FakeDesktop desktop;
        const QString edited = folder.File(QStringLiteral("edited.kr"));
        QStringList rows[3], figures, optionTicks, moveTicks;
        {
            auto session = Start(folder);
            TfrmMain& w = session->Main();
            w.mnuNewClick(4);
            RunCommand([&] { w.lvwOptionDblClick(); }, [&](TfrmPicker& picker) { Tick(picker, QStringLiteral("射撃管制装置")); });
            AddWeaponByEnter(w, FirstFollowUpRow(*session->frmWeapon));
            w.txtKrName->selectAll();
            TypeText(w.txtKrName, QStringLiteral("ｸｫｰﾂ・改"));
            desktop.Answers = {edited};
            w.mnuSaveClick();
            rows[0] = Captions(w.lvwOption);
            rows[1] = Captions(w.lvwMove);
            rows[2] = Captions(w.lvwWeapon);
            figures = Figures(w);
            optionTicks = Ticked(*session->frmOption);
            moveTicks = Ticked(*session->frmMove);
        }
        QCOMPARE(rows[2].size(), 3);
        QCOMPARE(optionTicks.size(), 4);
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

    // ---- figure boxes as the screen gets them ------------------------------------

    // The boxes' colour, and the backpack figure in red above the capacity
    // and in black at it.
    void boxColoursAsShown() {
        Running run;
        TfrmMain& w = run.Main();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.mnuNewClick(1);  // capacity 4
        for (QLabel* box : {w.lblFire, w.lblBtl, w.lblSpd, w.lblSns, w.lblCP, w.lblAmr, w.lblHP, w.lblPow,
                            w.lblPunch, w.lblBP, w.lblPlice, w.lblClass})
            QCOMPARE(QColor(Shown(box).pixel(3, 3)), QColor(221, 221, 255));
        // A howitzer with its shell rack (3 + 2) and a railgun (3): 8 against 4.
        SetWeapons(w, {"120mm榴弾砲", "└砲弾ﾗｯｸ", "ﾚｰﾙｶﾞﾝ"});
        QCOMPARE(w.lblBP->text(), QStringLiteral("8"));
        QVERIFY(!InkExtent(Shown(w.lblBP), IsRed).isEmpty());
        // A railgun and a machine gun: 4 against 4.
        SetWeapons(w, {"ﾚｰﾙｶﾞﾝ", "11mmMG"});
        QCOMPARE(w.lblBP->text(), QStringLiteral("4"));
        QVERIFY(InkExtent(Shown(w.lblBP), IsRed).isEmpty());
        QVERIFY(!InkExtent(Shown(w.lblBP), IsDark).isEmpty());
    }

    // The widest figures show every digit inside their boxes, and captions
    // keep clear of their boxes by 3 pixels, with the widest figures and with
    // a template's own.
    void widestFiguresFitAndCaptionsKeepClear() {
        Running run;
        TfrmMain& w = run.Main();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const QList<QLabel*> boxes{w.lblFire, w.lblBtl, w.lblSpd, w.lblSns, w.lblCP, w.lblAmr,
                                   w.lblHP,   w.lblPow, w.lblPunch, w.lblBP, w.lblPlice};
        UnitSheet& sheet = w.designer().Sheet;
        sheet.BaseFire = sheet.BaseMelee = sheet.BaseEvasion = sheet.BaseSensor = sheet.BaseArmor =
            sheet.BaseDurability = sheet.BasePower = sheet.BasePunch = sheet.BaseCP = -2147483647 - 1;
        sheet.BasePrice = 1817500;
        SetWeapons(w, {});
        QTest::qWait(20);
        QCOMPARE(w.lblFire->text(), QStringLiteral("-2147483648"));
        QCOMPARE(w.lblPlice->text(), QStringLiteral("1817500"));
        for (QLabel* box : boxes) {
            // Inside the box's frame, the whole text and 3 pixels of room on
            // both sides, the widest too.
            const QImage inner = Shown(box).copy(1, 1, box->width() - 2, box->height() - 2);
            const QRect ink = InkExtent(inner, IsDark);
            const int textWidth = box->fontMetrics().horizontalAdvance(box->text());
            QVERIFY2(ink.left() >= 3 && ink.right() <= inner.width() - 4 && ink.width() >= textWidth - 3,
                     qPrintable(box->objectName() + QStringLiteral(" cuts ") + box->text()));
        }
        for (const bool widest : {true, false}) {
            if (!widest) w.mnuNewClick(1);
            const QImage panel = Shown(w.pnlBase);
            for (QLabel* box : boxes) {
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

    // ---- the name box ----------------------------------------------------------

    // Pasted line breaks, tabs and NUL go: the name box holds one line, which
    // a unit file gives back as it is.
    void pastedNameIsOneLine() {
        Running run;
        TfrmMain& w = run.Main();
        w.mnuNewClick(1);
        QGuiApplication::clipboard()->setText(QStringLiteral("Foo\n[武装]\r\nWEAPON0=ﾚｰﾙｶﾞﾝ\r[X]") + QChar(0) +
                                              QStringLiteral("\t!"));
        w.txtKrName->setFocus();
        w.txtKrName->selectAll();
        QTest::keyClick(w.txtKrName, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(w.txtKrName->text(), QStringLiteral("Foo[武装]WEAPON0=ﾚｰﾙｶﾞﾝ[X]!"));
        const QString unit = run.folder.File(QStringLiteral("pasted.kr"));
        run.desktop.Answers = {unit};
        w.mnuSaveClick();
        QVERIFY(ReadBytes(unit).contains(Cp932(QStringLiteral("名称=Foo[武装]WEAPON0=ﾚｰﾙｶﾞﾝ[X]!\r\n射撃=0\r\n"))));
        w.OpenUnitFile(PathOf(unit));
        QCOMPARE(w.txtKrName->text(), QStringLiteral("Foo[武装]WEAPON0=ﾚｰﾙｶﾞﾝ[X]!"));
        QCOMPARE(Captions(w.lvwWeapon), QStringList(2, QStringLiteral("ｱｰﾑﾊﾟﾝﾁ(火薬式)")));
    }

    // Pasted text that fits the 2,047 bytes of a name is kept whole without a
    // word; one byte more is cut, and only the length is told, also when the
    // cut falls in a double-byte character (which goes whole).
    void pastedNameAtTheLimit_data() {
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QString>("kept");
        QTest::addColumn<bool>("told");
        const QString fits(2047, u'a');
        QTest::newRow("2,047 bytes") << fits << fits << false;
        QTest::newRow("2,048 bytes") << fits + u'b' << fits << true;
        QTest::newRow("1,024 double-byte characters") << QString(1024, u'あ') << QString(1023, u'あ') << true;
    }
    void pastedNameAtTheLimit() {
        QFETCH(QString, pasted);
        QFETCH(QString, kept);
        QFETCH(bool, told);
        Running run;
        TfrmMain& w = run.Main();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QToolTip::hideText();
        QGuiApplication::clipboard()->setText(pasted);
        w.txtKrName->setFocus();
        w.txtKrName->selectAll();
        QTest::keyClick(w.txtKrName, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(w.txtKrName->text(), kept);
        QTest::qWait(50);
        QCOMPARE(QToolTip::isVisible(), told);
        if (told) QCOMPARE(QToolTip::text(), QStringLiteral("名称は 2047 バイトまでです"));
    }

    // Characters that CP932 holds under another code take it; those it cannot
    // hold are left out with a word (the emoji, the euro sign).
    void nameKeepsOnlyWhatCp932Holds() {
        Running run;
        TfrmMain& w = run.Main();
        w.mnuNewClick(1);
        QGuiApplication::clipboard()->setText(QStringLiteral("波〜形−A😀B€"));
        w.txtKrName->setFocus();
        w.txtKrName->selectAll();
        QTest::keyClick(w.txtKrName, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(w.txtKrName->text(), QStringLiteral("波～形－AB"));
        QCOMPARE(w.designer().Sheet.UnitName, Cp932(QStringLiteral("波～形－AB")).toStdString());
        QTRY_VERIFY(QToolTip::isVisible());
        QVERIFY(QToolTip::text().contains(QStringLiteral("😀€")));
        TypeText(w.txtKrName, QStringLiteral("〜"));
        QCOMPARE(w.txtKrName->text(), QStringLiteral("波～形－AB～"));
    }

    // A name cut at 2,047 bytes in the middle of "グ" loads without its half;
    // typing then reaches the sheet until the name is 2,047 bytes. Bytes that
    // are no characters show as "?", and edits after them reach the sheet.
    void loadedNameAsTheBoxHoldsIt() {
        Running run;
        TfrmMain& w = run.Main();
        const QString cut = run.folder.File(QStringLiteral("cut.kr"));
        WriteBytes(cut, Cp932(QStringLiteral("[基本性能]\r\n名称=") + QString(2046, u'a') + QStringLiteral("グ\r\n")));
        w.OpenUnitFile(PathOf(cut));
        QCOMPARE(w.txtKrName->text(), QString(2046, u'a'));
        QCOMPARE(w.designer().Sheet.UnitName, std::string(2046, 'a'));
        w.txtKrName->end(false);
        TypeText(w.txtKrName, QStringLiteral("bc"));
        QCOMPARE(w.txtKrName->text(), QString(2046, u'a') + u'b');
        w.mnuUpdateClick();
        w.OpenUnitFile(PathOf(cut));
        QCOMPARE(w.designer().Sheet.UnitName, std::string(2046, 'a') + 'b');

        WriteBytes(cut, QByteArray("[\x8A\xEE\x96\x7B\x90\xAB\x94\x5C]\r\n\x96\xBC\x8F\xCC=\xAB\x85\x40\xCD\r\n"));
        w.OpenUnitFile(PathOf(cut));
        QCOMPARE(w.txtKrName->text(), QStringLiteral("ｫ?@ﾍ"));
        w.txtKrName->end(false);
        TypeText(w.txtKrName, QStringLiteral("改"));
        w.mnuClipClick();
        QVERIFY(run.desktop.Clipboard.back().contains(QStringLiteral("名称, ｫ?@ﾍ改\r\n")));
        QVERIFY(run.desktop.Errors.isEmpty());
    }

    // The status line tells what a load dropped and where a file was written.
    void statusLineTellsWithoutStopping() {
        Running run;
        TfrmMain& w = run.Main();
        const QString unit = run.folder.File(QStringLiteral("unknown.kr"));
        WriteBytes(unit, Cp932(QStringLiteral("[武装]\r\nWEAPON0=光線銃\r\nWEAPON1=11mmMG\r\n"
                                              "[オプション]\r\nOPTION0=ｽﾃﾙｽ\r\n")));
        w.OpenUnitFile(PathOf(unit));
        QCOMPARE(w.stbMain->Notice(), QStringLiteral("カタログにない名前を読み飛ばしました: 光線銃、ｽﾃﾙｽ"));
        QCOMPARE(HoverToolTip(w.stbMain).Text, QStringLiteral("光線銃\nｽﾃﾙｽ"));
        QCOMPARE(Captions(w.lvwWeapon), QStringList{QStringLiteral("11mmMG")});
        QVERIFY(run.desktop.Errors.isEmpty());

        w.mnuUpdateClick();
        QCOMPARE(w.stbMain->Notice(), unit + QStringLiteral(" に保存しました"));
        const QString page = run.folder.File(QStringLiteral("page.html"));
        run.desktop.Answers = {page};
        run.desktop.ViewerWorks = false;
        w.mnuHtmlClick();
        QCOMPARE(w.stbMain->Notice(), page + QStringLiteral(" に書き出しました (表示できるプログラムが見つかりません)"));
    }

    // ---- reports ------------------------------------------------------------------

    // The clipboard gets the report text, also for the empty sheet; a
    // clipboard that cannot be opened gives the error box.
    void clipboardReport() {
        Running run;
        TfrmMain& w = run.Main();
        FakeDesktop& desktop = run.desktop;
        w.mnuClipClick();
        QCOMPARE(desktop.Clipboard, QStringList{Cp932ToQString(BuildClipboardText(w.designer().Sheet))});
        QVERIFY(desktop.Clipboard[0].startsWith(QStringLiteral("[基本性能]\r\n名称, \r\n")));
        w.mnuNewClick(4);
        w.mnuClipClick();
        QCOMPARE(desktop.Clipboard.size(), 2);
        QCOMPARE(desktop.Clipboard[1], Cp932ToQString(BuildClipboardText(w.designer().Sheet)));
        QVERIFY(desktop.Clipboard[1].contains(QStringLiteral("名称, KRH-X31-LS クォーツ\r\n")));
        QVERIFY(desktop.Errors.isEmpty());
        desktop.ClipboardWorks = false;
        w.mnuClipClick();
        QCOMPARE(desktop.Errors, QStringList{QStringLiteral("クリップボードを開くことができません.")});
    }

    // The dialog asks for an HTML name; a cancelled dialog touches nothing; a
    // chosen file is written, then handed to the viewer, and offered again
    // the next time, also after a template.
    void htmlReportWrittenThenOpened() {
        Running run;
        TfrmMain& w = run.Main();
        FakeDesktop& desktop = run.desktop;
        w.mnuNewClick(4);
        const QStringList before = QDir(run.folder.dir.path()).entryList(QDir::Files);
        w.mnuHtmlClick();
        QCOMPARE(desktop.Requests.size(), std::size_t{1});
        QVERIFY(desktop.Requests[0].Save);
        QCOMPARE(desktop.Requests[0].DefaultSuffix, QStringLiteral("html"));
        QVERIFY(desktop.Requests[0].Filter.contains(QStringLiteral("*.htm")));
        QVERIFY(desktop.Requests[0].Filter.contains(QStringLiteral("*.html")));
        QCOMPARE(desktop.Requests[0].InitialFileName, QString());
        QCOMPARE(QDir(run.folder.dir.path()).entryList(QDir::Files), before);
        QVERIFY(desktop.Opened.isEmpty());

        const QString page = run.folder.File(QStringLiteral("quartz.html"));
        const QByteArray expected = QByteArray::fromStdString(BuildHtmlPage(w.designer().Sheet));
        desktop.Answers = {page};
        w.mnuHtmlClick();
        QCOMPARE(ReadBytes(page), expected);
        QCOMPARE(desktop.Opened, QStringList{page});
        QCOMPARE(desktop.OpenedContents.front(), expected);
        w.mnuNewClick(1);
        w.mnuHtmlClick();
        QCOMPARE(desktop.Requests.back().InitialFileName, page);
        QCOMPARE(ReadBytes(page), expected);
    }

    // A file that cannot be created: the error box, no viewer, and the name
    // offered again.
    void htmlReportThatCannotBeCreated() {
        Running run;
        TfrmMain& w = run.Main();
        const QString plain = run.folder.File(QStringLiteral("plain.txt"));
        WriteBytes(plain, "x");
        const QString unwritable = plain + QStringLiteral("/granite.html");
        run.desktop.Answers = {unwritable};
        w.mnuHtmlClick();
        QCOMPARE(run.desktop.Errors,
                 QStringList{QStringLiteral("ファイル ") + unwritable + QStringLiteral(" を作成できません.")});
        QVERIFY(run.desktop.Opened.isEmpty());
        w.mnuHtmlClick();
        QCOMPARE(run.desktop.Requests.back().InitialFileName, unwritable);
    }

    // ---- the error box -------------------------------------------------------------

    // A failing command shows its message in the error box, with "." added
    // unless the last character sorts at or before ".".
    void errorBoxEndsWithAFullStop_data() {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("shown");
        QTest::newRow("full stop") << "x." << "x.";
        QTest::newRow("hyphen") << "x-" << "x-";
        QTest::newRow("comma") << "x," << "x,";
        QTest::newRow("parenthesis") << "(0)" << "(0)";
        QTest::newRow("space") << "x " << "x ";
        QTest::newRow("slash") << "a/" << "a/.";
        QTest::newRow("digit") << "x0" << "x0.";
        QTest::newRow("letter") << "x" << "x.";
        QTest::newRow("kana") << "開けません" << "開けません.";
        QTest::newRow("ideographic full stop") << "終わり。" << "終わり。.";
    }
    void errorBoxEndsWithAFullStop() {
        QFETCH(QString, message);
        QFETCH(QString, shown);
        FakeDesktop desktop;
        Guarded(nullptr, [&] { throw KrError(message.toStdString()); });
        QCOMPARE(desktop.Errors, QStringList{shown});
    }
};

QTEST_MAIN(MainWindowTest)
#include "test_mainwindow.moc"

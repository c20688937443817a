// The three picker windows over the shipped catalogs: layout, modal showing,
// ticks, the weapon add command, the filter line, placement, and the list
// adapter's cost.
#include "designer.h"
#include "f_move.h"
#include "gui_kit.h"
#include "f_option.h"
#include "f_weapon.h"
#include "window_kit.h"

#include <QApplication>
#include <QLineEdit>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <fstream>
#include <memory>

using namespace kr;

namespace {

using namespace guikit;

struct Session {
    explicit Session(const Catalogs& catalogs) : designer(catalogs) { FillPickers(designer); }
    void Create() {
        option = std::make_unique<TfrmOption>(nullptr, designer.OptionPicker, SettingsFile());
        move = std::make_unique<TfrmMove>(nullptr, designer.MovePicker, SettingsFile());
        weapon = std::make_unique<TfrmWeapon>(nullptr, designer.WeaponPicker, designer.Sheet.Weapons, SettingsFile());
    }
    std::filesystem::path SettingsFile() const { return std::filesystem::path(dir.path().toStdString()) / "KRMAKE.INI"; }

    QTemporaryDir dir;
    Designer designer;
    std::unique_ptr<TfrmOption> option;  // destroyed last, as at shutdown
    std::unique_ptr<TfrmMove> move;
    std::unique_ptr<TfrmWeapon> weapon;
};

// Shows the picker modally, runs `whileOpen` inside its loop, then sends Esc
// to its list. True when ShowModal returned through Esc and the window is hidden.
bool RunModal(TfrmPicker& picker, const std::function<void()>& whileOpen = {}) {
    bool wasModal = false;
    bool timedOut = false;
    QTimer::singleShot(0, &picker, [&] {
        wasModal = picker.isVisible() && QApplication::activeModalWidget() == &picker;
        if (whileOpen) whileOpen();
        QTest::keyClick(picker.List(), Qt::Key_Escape);
    });
    QTimer::singleShot(5000, &picker, [&] {
        timedOut = true;
        picker.done(0);
    });
    picker.ShowModal();
    return wasModal && !timedOut && !picker.isVisible();
}

// A point on a row's check box, at the left end of its first cell.
QPoint OnCheckBox(ReportListView* list, int row) {
    const QRect cell = list->visualRect(list->model()->index(row, 0));
    return {cell.left() + 9, cell.center().y()};
}

bool Ticked(const RowTableModel* model, int row) {
    return model->index(row, 0).data(Qt::CheckStateRole).toInt() == Qt::Checked;
}

// The captions a picker's list shows, top to bottom.
QStringList ShownCaptions(const RowTableModel* model) {
    QStringList captions;
    for (int row = 0; row < model->rowCount(); ++row) captions << model->index(row, 0).data().toString();
    return captions;
}

// Key presses of characters, one by one, as an input method hands them over.
void Type(QWidget* widget, const QString& text) {
    for (const QChar c : text) QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), {});
}

// What a user does to filter: Ctrl+F (the shortcut of the active window),
// then the text typed over whatever the filter line held.
void TypeFilter(TfrmPicker& picker, const QString& text) {
    QVERIFY(QTest::qWaitForWindowActive(&picker));
    QTest::keyClick(picker.List(), Qt::Key_F, Qt::ControlModifier);
    QVERIFY(picker.FilterLine()->isVisible() && picker.FilterLine()->hasFocus());
    Type(picker.FilterLine(), text);
}

QStringList Captions(const WeaponRows& rows) {
    QStringList captions;
    for (std::size_t i = 0; i < rows.Count(); ++i) captions << Cp932ToQString(rows.Caption(i));
    return captions;
}

}  // namespace

class PickerTest : public QObject {
    Q_OBJECT
    Catalogs catalogs_;

private slots:
    void initTestCase() {
        QVERIFY(LoadCatalogs(catalogs_, KR_SHIPPED_DATA_DIR).empty());
        QVERIFY(catalogs_.Option.Count() > 2 && catalogs_.Move.Count() > 2 && catalogs_.Weapon.Count() > 2);
    }

    void layoutShowsWholeCatalogs() {
        Session s(catalogs_);
        s.Create();
        QCOMPARE(s.option->windowTitle(), QStringLiteral("オブション選択"));
        QCOMPARE(s.move->windowTitle(), QStringLiteral("移動方法選択"));
        QCOMPARE(s.weapon->windowTitle(), QStringLiteral("武器選択"));
        // A list gets its rows when its picker first shows.
        QVERIFY(s.option->List()->model() == nullptr);
        for (TfrmPicker* picker : {static_cast<TfrmPicker*>(s.option.get()), static_cast<TfrmPicker*>(s.move.get()),
                                   static_cast<TfrmPicker*>(s.weapon.get())})
            picker->show();
        CheckColumns(s.option->List(), {{"オプション名", 170, L}, {"値段", 55, R}, {"CP", 35, C}, {"BP", 35, C},
                                        {"ｸﾗｽ", 38, C}, {"効果", 200, L}});
        CheckColumns(s.move->List(), {{"移動方式", 150, L}, {"値段", 55, R}, {"CP", 35, C}, {"BP", 35, C},
                                      {"移動", 45, C}, {"旋回", 45, C}, {"ｸﾗｽ", 38, C}, {"備考", 300, L}});
        CheckColumns(s.weapon->List(),
                     {{"武器名称", 200, L}, {"種別", 70, C}, {"値段", 55, R}, {"CP", 33, C}, {"BP", 33, C},
                      {"威力", 45, C}, {"命中判定", 100, C}, {"回数", 45, C}, {"射程", 45, C}, {"連射", 45, C},
                      {"間接", 45, C}, {"ｸﾗｽ", 38, C}, {"備考", 300, L}});
        // The main window's lists differ only in the first column's width.
        QCOMPARE(MainOptionColumns.front().Width, 100);
        QCOMPARE(MainMoveColumns.front().Width, 200);

        // One row per entry in catalog order; check boxes, unticked, only in the first column of two pickers.
        const RowTableModel* weapons = s.weapon->Model();
        const int last = static_cast<int>(catalogs_.Weapon.Count()) - 1;
        QCOMPARE(weapons->rowCount(), last + 1);
        QCOMPARE(weapons->index(last, 0).data().toString(), Cp932ToQString(catalogs_.Weapon.EntryByIndex(last)->Name));
        QVERIFY(!weapons->index(0, 0).data(Qt::CheckStateRole).isValid());
        QCOMPARE(s.move->Model()->index(0, 0).data(Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
        QVERIFY(!s.move->Model()->index(0, 1).data(Qt::CheckStateRole).isValid());
    }

    void opensModallyAndKeepsStateBetweenShowings() {
        Session s(catalogs_);
        s.Create();
        QVERIFY(RunModal(*s.move, [&] {
            // The outer frame, once the window system has framed the window.
            QTRY_COMPARE(FramePlacement(s.move.get()).Width, 550);
            QTRY_COMPARE(FramePlacement(s.move.get()).Height, 150);
            s.move->List()->SelectRow(2);
            s.move->Model()->setData(s.move->Model()->index(1, 0), Qt::Checked, Qt::CheckStateRole);
            s.move->resize(600, 300);
        }));
        QVERIFY(s.designer.MovePicker.Row(1).Checked);
        QVERIFY(RunModal(*s.move, [&] {
            QCOMPARE(s.move->List()->SelectedRow(), 2L);
            QVERIFY(Ticked(s.move->Model(), 1));
            QCOMPARE(s.move->size(), QSize(600, 300));
        }));
    }

    void ticksByDoubleClickAndCheckBox() {
        Session s(catalogs_);
        s.Create();
        TfrmOption& picker = *s.option;
        picker.resize(600, 900);  // every row on screen, empty space below them
        ReportListView* list = picker.List();
        QWidget* viewport = list->viewport();
        const RowTableModel* model = picker.Model();
        const int rows = model->rowCount();
        QVERIFY(RunModal(picker, [&] {
            // Double-click with no row selected, below the rows: nothing.
            const QPoint below(20, list->visualRect(model->index(rows - 1, 0)).bottom() + 20);
            QVERIFY(viewport->rect().contains(below));
            list->SelectRow(-1);
            DoubleClick(viewport, below);
            QCOMPARE(list->SelectedRow(), -1L);
            for (int row = 0; row < rows; ++row) QVERIFY(!Ticked(model, row));

            // Double-click on a row toggles its tick, once per double-click.
            DoubleClick(viewport, OnRow(list, 1));
            QCOMPARE(list->SelectedRow(), 1L);
            QVERIFY(Ticked(model, 1));
            DoubleClick(viewport, OnRow(list, 1));
            QVERIFY(!Ticked(model, 1));

            // A click on the check box toggles; a double-click on it toggles once in all.
            QTest::mouseClick(viewport, Qt::LeftButton, {}, OnCheckBox(list, 2));
            QVERIFY(Ticked(model, 2));
            DoubleClick(viewport, OnCheckBox(list, 2));
            QVERIFY(!Ticked(model, 2));

            // Enter neither toggles nor closes.
            list->SelectRow(3);
            QTest::keyClick(list, Qt::Key_Return);
            QVERIFY(!Ticked(model, 3));
            QVERIFY(picker.isVisible());
        }));
        QVERIFY(!s.designer.OptionPicker.Row(1).Checked && !s.designer.OptionPicker.Row(2).Checked);

        // Ticks a template or a load sets, shown in the list once refreshed.
        const std::string_view name = s.designer.OptionPicker.Caption(4);
        CheckByName(s.designer.OptionPicker, name);
        picker.Refresh();
        QVERIFY(Ticked(model, 4));
        ClearChecks(s.designer.OptionPicker);
        picker.Refresh();
        QVERIFY(!Ticked(model, 4));
        QVERIFY(!s.designer.OptionPicker.Row(4).Checked);
    }

    void weaponAddCommand() {
        Session s(catalogs_);
        s.Create();
        const WeaponPickerRows& rows = s.designer.WeaponPicker;
        auto followUp = [&](std::size_t i) { return i < rows.Count() && IsFollowUpName(rows.Caption(i)); };
        std::size_t pair = 0, plain = 0;
        while (pair + 1 < rows.Count() && !followUp(pair + 1)) ++pair;
        while (plain < rows.Count() && (followUp(plain) || followUp(plain + 1))) ++plain;
        QVERIFY(pair + 1 < rows.Count() && plain < rows.Count());

        int appended = 0;
        s.weapon->WeaponsAppended = [&] { ++appended; };
        const WeaponRows& sheet = s.designer.Sheet.Weapons;
        ReportListView* list = s.weapon->List();
        QVERIFY(RunModal(*s.weapon, [&] {
            QTest::keyClick(list, Qt::Key_Return);  // no selection
            QCOMPARE(sheet.Count(), std::size_t{0});
            QCOMPARE(appended, 0);

            list->SelectRow(static_cast<long>(plain));
            QTest::keyClick(list, Qt::Key_Return);
            QTest::keyClick(list, Qt::Key_Space);
            QTest::keyClick(list, Qt::Key_Return, Qt::ControlModifier);
            QTest::keyClick(list, Qt::Key_Enter, Qt::KeypadModifier);
            DoubleClick(list->viewport(), OnRow(list, static_cast<int>(plain)));
            QCOMPARE(sheet.Count(), std::size_t{5});
            QCOMPARE(appended, 5);
            for (std::size_t i = 0; i < sheet.Count(); ++i) QCOMPARE(sheet.Data(i), rows.Data(plain));

            // The follow-up row comes along, whichever of the two is chosen.
            list->SelectRow(static_cast<long>(pair + 1));
            QTest::keyClick(list, Qt::Key_Space);
            QCOMPARE(sheet.Count(), std::size_t{7});
            QCOMPARE(sheet.Data(5), rows.Data(pair));
            QCOMPARE(sheet.Data(6), rows.Data(pair + 1));
            QCOMPARE(appended, 6);
        }));
    }

    // The filter narrows what shows; the add command pairs by catalog order.
    void weaponFilterAddsWithTheFollowUpRow() {
        Session s(catalogs_);
        s.Create();
        TfrmWeapon& picker = *s.weapon;
        ReportListView* list = picker.List();
        const WeaponRows& sheet = s.designer.Sheet.Weapons;
        QVERIFY(picker.FilterLine()->isHidden());
        QVERIFY(RunModal(picker, [&] {
            // Full-width katakana find the half-width name; Enter goes into the list, Enter adds.
            TypeFilter(picker, QStringLiteral("ミサイルランチャー"));
            QCOMPARE(ShownCaptions(picker.Model()), QStringList{QStringLiteral("6連装ﾐｻｲﾙﾗﾝﾁｬｰ")});
            QTest::keyClick(picker.FilterLine(), Qt::Key_Return);
            QVERIFY(list->hasFocus());
            QCOMPARE(list->SelectedRow(), 0L);
            QTest::keyClick(list, Qt::Key_Return);
            QCOMPARE(Captions(sheet), (QStringList{QStringLiteral("6連装ﾐｻｲﾙﾗﾝﾁｬｰ"), QStringLiteral("└予備弾倉")}));

            // Only the follow-up row matches: the weapon above it in the catalog comes first.
            TypeFilter(picker, QStringLiteral("予備"));
            QCOMPARE(ShownCaptions(picker.Model()), QStringList{QStringLiteral("└予備弾倉")});
            QTest::keyClick(picker.FilterLine(), Qt::Key_Down);
            QTest::keyClick(list, Qt::Key_Space);
            QCOMPARE(Captions(sheet).mid(2), (QStringList{QStringLiteral("6連装ﾐｻｲﾙﾗﾝﾁｬｰ"), QStringLiteral("└予備弾倉")}));

            // A character no catalog can hold matches nothing; taken back,
            // the rows of the text before it show again.
            Type(picker.FilterLine(), QStringLiteral("€"));
            QCOMPARE(picker.Model()->rowCount(), 0);
            QTest::keyClick(picker.FilterLine(), Qt::Key_Backspace);
            QCOMPARE(ShownCaptions(picker.Model()), QStringList{QStringLiteral("└予備弾倉")});

            // Esc in the filter line empties and hides it; the list has every row and the focus.
            QTest::keyClick(picker.FilterLine(), Qt::Key_Escape);
            QVERIFY(picker.FilterLine()->isHidden() && picker.FilterLine()->text().isEmpty());
            QVERIFY(list->hasFocus() && picker.isVisible());
            QCOMPARE(picker.Model()->rowCount(), static_cast<int>(catalogs_.Weapon.Count()));

            // Esc in the list while the line shows hides it, keeping the selected row;
            // the next Esc (RunModal's own) closes the picker.
            TypeFilter(picker, QStringLiteral("予備"));
            QTest::keyClick(picker.FilterLine(), Qt::Key_Down);
            QTest::keyClick(list, Qt::Key_Escape);
            QVERIFY(picker.FilterLine()->isHidden() && picker.isVisible());
            QCOMPARE(list->model()->index(static_cast<int>(list->SelectedRow()), 0).data().toString(),
                     QStringLiteral("└予備弾倉"));
        }));
        QCOMPARE(sheet.Count(), std::size_t{4});
    }

    // Ticks set in a filtered list land on the catalog's rows; ticks a
    // template or a load sets leave the filter as it is.
    void optionTicksThroughAFilter() {
        Session s(catalogs_);
        s.Create();
        TfrmOption& picker = *s.option;
        OptionPickerRows& rows = s.designer.OptionPicker;
        auto rowNamed = [&](const char* name) {
            for (std::size_t i = 0; i < rows.Count(); ++i)
                if (Cp932ToQString(rows.Caption(i)) == QString::fromUtf8(name)) return i;
            return rows.Count();
        };
        const std::size_t morga = rowNamed("ﾓﾙｶﾞ製ｾﾝｻｰ"), combined = rowNamed("複合ｾﾝｻｰ"), balancer = rowNamed("ﾊﾞﾗﾝｻｰ");
        QVERIFY(combined < rows.Count() && balancer < rows.Count());
        QVERIFY(RunModal(picker, [&] {
            TypeFilter(picker, QStringLiteral("ｾﾝｻｰ"));
            QCOMPARE(ShownCaptions(picker.Model()), (QStringList{QStringLiteral("ﾓﾙｶﾞ製ｾﾝｻｰ"), QStringLiteral("複合ｾﾝｻｰ")}));
            DoubleClick(picker.List()->viewport(), OnRow(picker.List(), 1));
            QTest::mouseClick(picker.List()->viewport(), Qt::LeftButton, {}, OnCheckBox(picker.List(), 0));
            for (std::size_t i = 0; i < rows.Count(); ++i) QCOMPARE(rows.Row(i).Checked, i == combined || i == morga);

            CheckByName(rows, rows.Caption(balancer));
            picker.Refresh();
            QVERIFY(rows.Row(balancer).Checked);
            QCOMPARE(picker.Model()->rowCount(), 2);
            ClearChecks(rows);
            picker.Refresh();
            QVERIFY(!Ticked(picker.Model(), 0) && !Ticked(picker.Model(), 1));
            QCOMPARE(picker.FilterLine()->text(), QStringLiteral("ｾﾝｻｰ"));
            QTest::keyClick(picker.List(), Qt::Key_Escape);  // the filter goes; the next Esc closes
        }));
    }

    // Typing on and Backspace show what the text itself shows; a keystroke
    // that leaves the same rows leaves the list where it was.
    void filterBackspaceAndUnchangedRows() {
        Session s(catalogs_);
        s.Create();
        TfrmWeapon& picker = *s.weapon;
        picker.resize(picker.width(), 400);
        ReportListView* list = picker.List();
        const auto captionsOf = [&](const QString& text) {
            QStringList captions;
            for (std::size_t i = 0; i < s.designer.WeaponPicker.Count(); ++i) {
                const QString caption = Cp932ToQString(s.designer.WeaponPicker.Caption(i));
                if (caption.contains(text)) captions << caption;
            }
            return captions;
        };
        QVERIFY(RunModal(picker, [&] {
            TypeFilter(picker, QStringLiteral("ﾛｹｯﾄ"));
            QCOMPARE(ShownCaptions(picker.Model()), captionsOf(QStringLiteral("ﾛｹｯﾄ")));
            QVERIFY(ShownCaptions(picker.Model()).size() >= 1);
            for (int i = 0; i < 4; ++i) QTest::keyClick(picker.FilterLine(), Qt::Key_Backspace);
            QCOMPARE(picker.FilterLine()->text(), QString());
            QCOMPARE(picker.Model()->rowCount(), static_cast<int>(catalogs_.Weapon.Count()));
            Type(picker.FilterLine(), QStringLiteral("ﾐｻ"));
            const QStringList missiles = captionsOf(QStringLiteral("ﾐｻ"));
            QVERIFY(missiles.size() >= 2);
            QCOMPARE(ShownCaptions(picker.Model()), missiles);
            Type(picker.FilterLine(), QStringLiteral("ﾗ"));
            QCOMPARE(ShownCaptions(picker.Model()), captionsOf(QStringLiteral("ﾐｻ") + QStringLiteral("ﾗ")));
            QTest::keyClick(picker.FilterLine(), Qt::Key_Backspace);
            QCOMPARE(ShownCaptions(picker.Model()), missiles);

            // "ｲ" after "ﾐｻ" is in the same rows: the selection and the place stay.
            list->SelectRow(1);
            list->horizontalScrollBar()->setValue(40);
            Type(picker.FilterLine(), QStringLiteral("ｲ"));
            QCOMPARE(ShownCaptions(picker.Model()), missiles);
            QCOMPARE(list->SelectedRow(), 1L);
            QCOMPARE(list->horizontalScrollBar()->value(), 40);
            QTest::keyClick(picker.FilterLine(), Qt::Key_Escape);
            QCOMPARE(picker.Model()->rowCount(), static_cast<int>(catalogs_.Weapon.Count()));
            QCOMPARE(picker.Model()->index(static_cast<int>(list->SelectedRow()), 0).data().toString(), missiles[1]);
        }));
    }

    // The main window's tick commands reach the screen while the picker
    // shows, without moving the list or its selection.
    void ticksSetWhileShownAreDrawn() {
        Session s(catalogs_);
        s.Create();
        TfrmMove& picker = *s.move;
        ReportListView* list = picker.List();
        QVERIFY(RunModal(picker, [&] {
            list->SelectRow(2);
            const auto onScreen = [&] {
                return list->screen()->grabWindow(picker.winId()).toImage().copy(
                    QRect(list->viewport()->mapTo(&picker, QPoint(0, 0)), list->viewport()->size()));
            };
            QApplication::processEvents();
            const QImage before = onScreen();
            CheckByName(s.designer.MovePicker, s.designer.MovePicker.Caption(0));
            picker.Refresh();
            QTRY_VERIFY(onScreen() != before);
            QCOMPARE(list->SelectedRow(), 2L);
            ClearChecks(s.designer.MovePicker);
            picker.Refresh();
            QTRY_COMPARE(onScreen(), before);
        }));
    }

    void placementIsRestoredAndStored() {
        Session s(catalogs_);
        std::ofstream(s.SettingsFile(), std::ios::binary) << "[GENERAL]\r\nO_WIDTH=800\r\n";
        s.Create();
        QVERIFY(RunModal(*s.option, [&] {
            QTRY_COMPARE(FramePlacement(s.option.get()).Width, 800);
            QTRY_COMPARE(FramePlacement(s.option.get()).Height, 137);
        }));
        s.weapon.reset();
        s.move.reset();
        s.option.reset();

        const ProfileFile settings(s.SettingsFile());
        auto number = [&](const char* key) { return settings.ReadNumber("GENERAL", key, -99999); };
        QVERIFY(number("O_LEFT") != -99999 && number("O_TOP") != -99999);
        // The move and weapon pickers were never shown: their designed values.
        const std::pair<const char*, int> stored[] = {
            {"O_HEIGHT", 137}, {"O_WIDTH", 800}, {"M_LEFT", 436}, {"M_TOP", 573}, {"M_HEIGHT", 150},
            {"M_WIDTH", 550},  {"W_LEFT", 526},  {"W_TOP", 541},  {"W_HEIGHT", 143}, {"W_WIDTH", 561}};
        for (const auto& [key, value] : stored) QVERIFY2(number(key) == value, (std::string(key) + "=" + std::to_string(number(key))).c_str());
    }

    // The keys of a report list: End and Home go to the last and first row
    // in the same column (with Ctrl or without), whole rows show from the
    // top at the end, Left and Right scroll the columns and keep the row,
    // and typing finds a caption's start whichever cell was clicked.
    void listKeysAsAReportList() {
        Session s(catalogs_);
        s.Create();
        TfrmWeapon& picker = *s.weapon;
        picker.show();
        QVERIFY(QTest::qWaitForWindowExposed(&picker));
        ReportListView* list = picker.List();
        const RowTableModel* model = picker.Model();
        const int last = model->rowCount() - 1;
        // Room for a part of a row below the whole ones.
        const int rowHeight = list->visualRect(model->index(0, 0)).height();
        picker.resize(picker.width(), picker.height() + rowHeight / 2 - list->viewport()->height() % rowHeight);
        QTRY_COMPARE(list->viewport()->height() % rowHeight, rowHeight / 2);
        list->setFocus();
        list->SelectRow(0);

        QTest::keyClick(list, Qt::Key_End);
        QCOMPARE(list->currentIndex(), model->index(last, 0));
        QCOMPARE(list->SelectedRow(), long(last));
        const QRect lastRow = list->visualRect(model->index(last, 0));
        QVERIFY(lastRow.top() > 0 && lastRow.bottom() < list->viewport()->height());
        QCOMPARE(list->visualRect(model->index(list->rowAt(0), 0)).top(), 0);
        QTest::keyClick(list, Qt::Key_Home);
        QCOMPARE(list->currentIndex(), model->index(0, 0));
        QTest::keyClick(list, Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(list->SelectedRow(), long(last));
        QTest::keyClick(list, Qt::Key_Home, Qt::ControlModifier);
        QCOMPARE(list->SelectedRow(), 0L);

        QScrollBar* columns = list->horizontalScrollBar();
        QCOMPARE(columns->value(), 0);
        QTest::keyClick(list, Qt::Key_Right);
        QVERIFY(columns->value() > 0);
        QCOMPARE(list->currentIndex(), model->index(0, 0));
        QTest::keyClick(list, Qt::Key_Left);
        QCOMPARE(columns->value(), 0);

        // "3" starts the caption "30mmｶﾞﾄﾘﾝｸﾞ" and, in the price column, "350" of row 1.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(model->index(0, 2)).center());
        QCOMPARE(list->SelectedRow(), 0L);
        QTest::keyClick(list, Qt::Key_3);
        QCOMPARE(model->index(static_cast<int>(list->SelectedRow()), 0).data().toString(), QStringLiteral("30mmｶﾞﾄﾘﾝｸﾞ"));
    }

    // A catalog of 100,000 entries: showing the list asks only for the cells on screen.
    void largeListReadsOnlyVisibleCells() {
        struct CountingSource : RowTableModel::Source {
            std::size_t Count() const override { return 100000; }
            std::string_view Caption(std::size_t) const override { return "x"; }
            std::string Cell(std::size_t, int) const override { ++cells; return "x"; }
            bool Checked(std::size_t) const override { return false; }
            void SetChecked(std::size_t, bool) override {}
            mutable long cells = 0;
        };
        auto source = std::make_unique<CountingSource>();
        const CountingSource* counter = source.get();
        RowTableModel model(std::move(source), PickerOptionColumns, true);
        ReportListView list;
        list.SetRowModel(&model);
        list.resize(535, 137);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        list.SelectRow(99999);
        QApplication::processEvents();
        QVERIFY(counter->cells > 0);
        QVERIFY(counter->cells < 2000);
    }
};

QTEST_MAIN(PickerTest)
#include "test_pickers.moc"

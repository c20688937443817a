// The record sheet as it comes out: the PDF read back with poppler's tools
// against the clipboard text of the same design, the layout of long units,
// the tick boxes, the pictures, and the designer's print and export commands
// through the desktop seam.
#include "session_kit.h"
#include "record_sheet.h"
#include "reports.h"

#include <QImage>
#include <QProcess>
#include <QRegularExpression>

using namespace guikit;

namespace {

// What a poppler tool prints; empty when it cannot be run or fails, which
// the caller turns into a failure (the tools are part of the test set-up).
QString Tool(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}
const char* const NoTool = "a poppler tool failed (scripts/install-deps.sh test installs poppler-utils)";

QString Utf8(std::string_view cp932) { return Cp932ToQString(cp932); }

// A design without windows over the shipped catalogs.
struct Design {
    Design() {
        LoadCatalogs(catalogs, fs::path(KR_SHIPPED_DATA_DIR));
        FillPickers(designer);
    }
    RecordSheetContent Content() { return RecordSheetContentOf(designer.Sheet, {"unit.kr", "2024/05/01"}); }
    Catalogs catalogs;
    Designer designer{catalogs};
};

// The clipboard text's basic figures as label and value, and its rows' names.
struct ClipboardFigures {
    explicit ClipboardFigures(const UnitSheet& sheet) {
        const QStringList lines = Utf8(BuildClipboardText(sheet)).split(QStringLiteral("\r\n"));
        bool inList = false;
        for (const QString& line : lines) {
            if (line.isEmpty() || line.startsWith(u'[')) {
                inList = line != QStringLiteral("[基本性能]") && !line.isEmpty();
                continue;
            }
            const qsizetype comma = line.indexOf(QStringLiteral(", "));
            if (inList)
                Names.append(line.left(comma));
            else
                Figures.insert(line.left(comma), line.mid(comma + 2));
        }
    }
    QMap<QString, QString> Figures;
    QStringList Names;
};

QString WritePdf(const QTemporaryDir& dir, const RecordSheetContent& content, const QString& name) {
    const QString path = dir.filePath(name);
    WriteBytes(path, QByteArray::fromStdString(RecordSheetPdf(content)));
    return path;
}

int TickBoxes(const SheetLayout& layout) {
    int boxes = 0;
    for (const SheetPage& page : layout.Pages)
        for (const SheetShape& shape : page.Shapes) boxes += shape.Mark == SheetMark::TickBox;
    return boxes;
}

bool HasText(const SheetPage& page, const QString& text) {
    return std::any_of(page.Texts.begin(), page.Texts.end(), [&](const SheetText& t) { return t.Text == text; });
}

}  // namespace

class RecordSheetTest : public QObject {
    Q_OBJECT

private slots:
    // Each stock model's sheet, read back with pdftotext, holds every
    // figure of its clipboard text under the screen's caption and every row
    // name; its fonts are embedded, and it is one page of under 200 KB.
    void templatesHoldEveryFigureAndRowName() {
        QTemporaryDir dir;
        for (int number = 1; number <= TemplateCount; ++number) {
            Design design;
            ApplyTemplate(design.designer, number);
            const QString pdf = WritePdf(dir, design.Content(), QStringLiteral("%1.pdf").arg(number));
            const QString text = Tool(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
            QVERIFY2(!text.isEmpty(), NoTool);

            const ClipboardFigures clip(design.designer.Sheet);
            QVERIFY(text.contains(clip.Figures.value(QStringLiteral("名称"))));
            const auto shows = [&](const QString& caption, const QString& value) {
                const QRegularExpression pattern(QRegularExpression::escape(caption) + QStringLiteral("\\s+") +
                                                 QRegularExpression::escape(value) + QStringLiteral("(\\s|$)"));
                return text.contains(pattern);
            };
            const auto figure = [&](const char* label) { return clip.Figures.value(QString::fromUtf8(label)); };
            for (const char* same : {"クラス", "射撃修正", "格闘修正", "回避修正", "センサー", "装甲", "耐久力", "パワー", "パンチ"})
                QVERIFY2(shows(QString::fromUtf8(same), figure(same)), same);
            QVERIFY(shows(QStringLiteral("ﾊﾞｯｸﾊﾟｯｸ"), figure("ＢＰ") + QStringLiteral(" / ") + figure("ＢＰ(元)")));
            QVERIFY(shows(QStringLiteral("カスタムポイント"), figure("ＣＰ")));
            QVERIFY(shows(QStringLiteral("ＣＰ(元)"), figure("ＣＰ(元)")));
            QVERIFY(shows(QStringLiteral("価格(GD)"), figure("価格")));
            QVERIFY(shows(QStringLiteral("価格(元)"), figure("価格(元)")));
            QVERIFY(!clip.Names.isEmpty());
            for (const QString& name : clip.Names) QVERIFY2(text.contains(name), qPrintable(name));

            const QStringList fonts =
                Tool(QStringLiteral("pdffonts"), {pdf}).split(u'\n', Qt::SkipEmptyParts).mid(2);
            QVERIFY2(!fonts.isEmpty(), NoTool);
            // name, type, encoding, then "emb sub uni" as yes or no.
            for (const QString& font : fonts)
                QVERIFY2(font.contains(QRegularExpression(QStringLiteral("\\s+yes\\s+(yes|no)\\s+(yes|no)\\s+\\d+\\s+\\d+$"))),
                         qPrintable(font));
            QVERIFY(Tool(QStringLiteral("pdfinfo"), {pdf}).contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n"))));
            QVERIFY(QFileInfo(pdf).size() < 200 * 1024);
        }
    }

    // Long units run over pages: every page has the unit's name, the heads
    // of the list it continues, and "n / N"; the rows come in their order,
    // each once, and a "└" row never starts a page apart from its weapon.
    void longUnitsRunOverNumberedPages() {
        QTemporaryDir dir;
        std::size_t pagesBefore = 0;
        for (const std::size_t rows : {10u, 100u, 1000u}) {
            Design design;
            ApplyTemplate(design.designer, 3);
            UnitSheet& sheet = design.designer.Sheet;
            const TKRWeaponList& weapons = design.catalogs.Weapon;
            for (std::size_t i = 0; i < rows; ++i) sheet.Weapons.Append(weapons.EntryByIndex(i % weapons.Count()));
            Recalculate(sheet);
            const RecordSheetContent content = design.Content();
            const SheetLayout layout = LayOutRecordSheet(content, ExportPageLayout());
            const std::size_t pages = layout.Pages.size();
            if (rows == 10) QCOMPARE(pages, 1u);
            QVERIFY2(pages > pagesBefore, qPrintable(QString::number(rows)));
            pagesBefore = pages;

            QStringList names;
            for (std::size_t p = 0; p < pages; ++p) {
                const SheetPage& page = layout.Pages[p];
                const QString number = QStringLiteral("%1 / %2").arg(p + 1).arg(pages);
                QVERIFY2(HasText(page, number), qPrintable(number));
                QVERIFY(HasText(page, QStringLiteral("KRH-22-LS オブシディアン")));
                bool firstOnPage = true;
                for (const SheetText& text : page.Texts) {
                    QVERIFY(layout.Content.contains(text.Origin));
                    // The names stand at the left of the lists' first column.
                    if (text.Font != SheetFont::Body || text.Origin.x() > layout.Content.left() + 100) continue;
                    if (firstOnPage && p > 0 && text.Text.startsWith(QChar(0x2514))) QFAIL(qPrintable(number));
                    firstOnPage = false;
                    names.append(text.Text);
                }
                if (p > 0 && !HasText(page, QStringLiteral("その他"))) QVERIFY(HasText(page, QStringLiteral("武器名称")));
            }
            QCOMPARE(names, ClipboardFigures(sheet).Names);

            // The PDF has the same pages, numbered alike.
            const QString pdf = WritePdf(dir, content, QStringLiteral("%1.pdf").arg(rows));
            const QString info = Tool(QStringLiteral("pdfinfo"), {pdf});
            QVERIFY2(!info.isEmpty(), NoTool);
            QVERIFY(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+%1\\n").arg(pages))));
            const QString last = QString::number(pages);
            const QString text = Tool(QStringLiteral("pdftotext"), {QStringLiteral("-f"), last, QStringLiteral("-l"), last,
                                                                    pdf, QStringLiteral("-")});
            // pdftotext reads the narrow spaces around "/" as none or one.
            QVERIFY(text.contains(QRegularExpression(QStringLiteral("\\b%1 ?/ ?%1\\b").arg(pages))));
        }
    }

    // A remark longer than a page wraps in its cell and runs on over pages,
    // nothing cut, on paper of any size, down to a paper too small for a line.
    void longRemarksRunOnWithNothingCut() {
        RecordSheetContent content;
        content.UnitName = "試作機";
        QString remark;
        for (int i = 0; remark.size() < 20000; ++i) remark += QStringLiteral("長い備考%1、").arg(i);
        SheetList& list = content.Lists[1];
        list.Title = "武器";
        list.Columns = {{"武器名称", SheetAlign::Left}, {"備考", SheetAlign::Left}};
        // One-letter texts beside it, which no column is too narrow for.
        list.Rows = {{{"A", remark.toStdString()}, false, {}}, {{"B", "C"}, true, {}}};
        const QPageLayout a4 = ExportPageLayout();
        const QPageLayout label(QPageSize(QSizeF(40, 40), QPageSize::Millimeter), QPageLayout::Portrait, {});
        for (const QPageLayout& paper : {a4, label}) {
            const SheetLayout layout = LayOutRecordSheet(content, paper);
            QVERIFY(layout.Pages.size() > 2);
            QString printed;
            for (const SheetPage& page : layout.Pages)
                for (const SheetText& text : page.Texts)
                    if (text.Font == SheetFont::Body && !QStringList{"A", "B", "C"}.contains(text.Text)) printed += text.Text;
            QCOMPARE(printed, remark);
            QVERIFY(HasText(layout.Pages.back(), QStringLiteral("B")));
        }
    }

    // One box per point of durability and per use of a weapon with a whole
    // number of uses; a durability beyond what boxes can show is written
    // out with a line to count down on.
    void tickBoxesForDurabilityAndFiniteUses() {
        Design design;
        ApplyTemplate(design.designer, 1);
        UnitSheet& sheet = design.designer.Sheet;
        for (const char* name : {"6連装ﾐｻｲﾙﾗﾝﾁｬｰ", "└予備弾倉", "11mmMG"})
            sheet.Weapons.Append(design.catalogs.Weapon.FindByName(Cp932(QString::fromUtf8(name)).toStdString()));
        Recalculate(sheet);
        // The clipboard text's own figures: 耐久力 and the uses that are numbers.
        const ClipboardFigures clip(sheet);
        QCOMPARE(clip.Figures.value(QStringLiteral("耐久力")), QStringLiteral("20"));
        int uses = 0;
        const QRegularExpression count(QStringLiteral("回数：(\\d+),"));
        for (const QString& line : Utf8(BuildClipboardText(sheet)).split(QStringLiteral("\r\n")))
            if (const QRegularExpressionMatch match = count.match(line); match.hasMatch()) uses += match.captured(1).toInt();
        // Two punches of 3, the launcher and its magazine of 6 each, the gun unlimited.
        QCOMPARE(uses, 18);
        QCOMPARE(TickBoxes(LayOutRecordSheet(design.Content(), ExportPageLayout())), 20 + uses);

        sheet.BaseDurability = 250;
        Recalculate(sheet);
        const SheetLayout layout = LayOutRecordSheet(design.Content(), ExportPageLayout());
        QCOMPARE(TickBoxes(layout), uses);
        const SheetPage& page = layout.Pages.front();
        QVERIFY(std::count_if(page.Texts.begin(), page.Texts.end(),
                              [](const SheetText& t) { return t.Text == QStringLiteral("250"); }) == 2);
        QVERIFY(std::any_of(page.Shapes.begin(), page.Shapes.end(),
                            [](const SheetShape& s) { return s.Mark == SheetMark::Blank && s.Rect.width() > 0; }));
    }

    // A picture is the page at 150 dpi: white margins, ink inside them, and
    // an overloaded backpack in red.
    void picturesAreThePageAt150Dpi() {
        Design design;
        ApplyTemplate(design.designer, 4);
        design.designer.Sheet.BackpackCapacity = 0;
        Recalculate(design.designer.Sheet);
        const std::vector<std::string> pictures = RecordSheetPictures(design.Content());
        QCOMPARE(pictures.size(), 1u);
        const QImage image = QImage::fromData(QByteArray::fromStdString(pictures.front()), "PNG");
        const QSize expected = PaperOfLocale() == SheetPaper::Letter ? QSize(1275, 1650) : QSize(1240, 1754);
        QCOMPARE(image.size(), expected);
        int dark = 0, red = 0, marginInk = 0;
        const int margin = 59;  // 10 mm
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QRgb pixel = image.pixel(x, y);
                const bool inMargin = x < margin || y < margin || x >= image.width() - margin || y >= image.height() - margin;
                if (inMargin && pixel != qRgb(255, 255, 255)) ++marginInk;
                dark += IsDark(pixel);
                red += IsRed(pixel);
            }
        }
        QCOMPARE(marginInk, 0);
        QVERIFY2(dark > image.width() * image.height() / 200, qPrintable(QString::number(dark)));
        QVERIFY(red > 20);
    }

    // Ctrl+P shows the preview of the design on the window; its paper is
    // the exports' where there is no printer, and what it paints is the sheet.
    void ctrlPShowsThePreviewOfTheDesign() {
        Running run;
        TfrmMain& w = run.Main();
        w.mnuNewItems[3]->trigger();
        QTemporaryDir dir;
        run.desktop.PrintTo = dir.filePath(QStringLiteral("printed.pdf"));
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QTest::keyClick(&w, Qt::Key_P, Qt::ControlModifier);
        QCOMPARE(run.desktop.Papers.size(), 1);
        QCOMPARE(run.desktop.Papers.front(), ExportPageLayout().pageSize());
        const QString text = Tool(QStringLiteral("pdftotext"), {run.desktop.PrintTo, QStringLiteral("-")});
        QVERIFY2(!text.isEmpty(), NoTool);
        for (const QString& name : {QStringLiteral("KRH-X31-LS クォーツ"), QStringLiteral("ﾊﾟｲﾙﾊﾞﾝｶｰ付ｼｰﾙﾄﾞ(電磁式)")})
            QVERIFY2(text.contains(name), qPrintable(name));
        QCOMPARE(w.stbMain->Notice(), QStringLiteral("記録用紙を印刷しました"));
        QVERIFY(run.desktop.Errors.isEmpty());

        // Closed without printing: nothing is said.
        w.stbMain->Clear();
        run.desktop.PrintAnswer = false;
        w.mnuPrint->trigger();
        QCOMPARE(run.desktop.Papers.size(), 2);
        QVERIFY(w.stbMain->Notice().isEmpty());
    }

    // PDF... and 画像(PNG)... write where the dialog says (a picture per page
    // for a long unit) and say so in the status line; a target that cannot
    // be written gives the store's error and leaves no file.
    void exportsWriteWhereChosenOrLeaveNothing() {
        Running run;
        TfrmMain& w = run.Main();
        w.mnuNewItems[0]->trigger();
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("sheet.pdf"));
        run.desktop.Answers = {pdf};
        w.mnuPdf->trigger();
        QCOMPARE(run.desktop.Requests.back().DefaultSuffix, QStringLiteral("pdf"));
        QVERIFY(ReadBytes(pdf).startsWith("%PDF-"));
        QCOMPARE(w.stbMain->Notice(), pdf + QStringLiteral(" に書き出しました"));

        SetWeapons(w, QStringList(60, QStringLiteral("11mmMG")));
        run.desktop.Answers = {dir.filePath(QStringLiteral("sheet.png"))};
        w.mnuPng->trigger();
        QCOMPARE(run.desktop.Requests.back().DefaultSuffix, QStringLiteral("png"));
        QVERIFY(QFileInfo::exists(dir.filePath(QStringLiteral("sheet-1.png"))));
        QVERIFY(QFileInfo::exists(dir.filePath(QStringLiteral("sheet-2.png"))));
        QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("sheet.png"))));
        QVERIFY2(w.stbMain->Notice().contains(QStringLiteral("ページを ") + dir.filePath(QStringLiteral("sheet-1.png"))),
                 qPrintable(w.stbMain->Notice()));
        QVERIFY(run.desktop.Errors.isEmpty());

        const QStringList before = QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        const QString nowhere = dir.filePath(QStringLiteral("missing/sheet"));
        for (const auto& [action, page] : {std::pair{w.mnuPdf, nowhere}, std::pair{w.mnuPng, nowhere + "-1"}}) {
            run.desktop.Answers = {nowhere};
            action->trigger();
            QCOMPARE(run.desktop.Errors, QStringList{page + QStringLiteral(" に書き込めません.")});
            run.desktop.Errors.clear();
        }
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), before);
    }
};

QTEST_MAIN(RecordSheetTest)
#include "test_record_sheet.moc"

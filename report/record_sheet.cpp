#include "record_sheet.h"

#include "Pub1.h"

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QImage>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QPen>
#include <QStringList>
#include <QTextLayout>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>

namespace kr {

namespace {

constexpr double DotsPerPoint = SheetDotsPerInch / 72.0;
constexpr double DotsPerMillimetre = SheetDotsPerInch / 25.4;
constexpr double Mm(double millimetres) { return millimetres * DotsPerMillimetre; }

// The sheet's own margin; a printer's wider margin counts instead.
constexpr double SheetMarginMm = 12;

constexpr double CellPadX = Mm(1.2);
constexpr double CellPadY = Mm(0.7);
constexpr double BlockGap = Mm(3.5);
constexpr double FooterHeight = Mm(6);

// Play tracks: boxes in groups of five, so that points can be counted at a glance.
constexpr double TickSide = Mm(3.0);
constexpr double TickPitch = Mm(4.0);
constexpr double TickGroupGap = Mm(1.2);
constexpr double TrackLine = Mm(4.3);
constexpr double BlankLength = Mm(40);
constexpr double TrackLabelWidth = Mm(26);

// Notes: ruled lines, and no notes area in less room than this.
constexpr double NoteLinePitch = Mm(7);
constexpr double NotesMinimum = Mm(25);

constexpr std::size_t FontCount = 6;

double PointSize(SheetFont font) {
    switch (font) {
        case SheetFont::Title: return 14;
        case SheetFont::Section: return 10;
        case SheetFont::Body: return 8;
        case SheetFont::ColumnHead: return 7.5;
        case SheetFont::FigureValue: return 12;
        case SheetFont::Small: return 7;
    }
    return 8;
}

// A Japanese Gothic face whose outlines a PDF can embed (IPA P Gothic is
// TrueType), sized in dots. Hinting is off, so that a text measures the same
// at every size it is drawn at.
QFont MakeFont(SheetFont role) {
    QFont font;
    font.setFamilies({QStringLiteral("IPAPGothic"), QStringLiteral("IPAPゴシック"), QStringLiteral("VL PGothic"),
                      QStringLiteral("Noto Sans CJK JP")});
    font.setStyleHint(QFont::SansSerif);
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setPixelSize(static_cast<int>(std::lround(PointSize(role) * DotsPerPoint)));
    if (role == SheetFont::Title || role == SheetFont::Section || role == SheetFont::ColumnHead)
        font.setWeight(QFont::Bold);
    return font;
}

std::array<QFont, FontCount> MakeFonts() {
    std::array<QFont, FontCount> fonts;
    for (std::size_t i = 0; i < FontCount; ++i) fonts[i] = MakeFont(static_cast<SheetFont>(i));
    return fonts;
}

// A paint device of the sheet's resolution that text is measured against.
QImage MeasuringDevice() {
    QImage image(1, 1, QImage::Format_RGB32);
    const int dotsPerMetre = static_cast<int>(std::lround(SheetDotsPerInch / 0.0254));
    image.setDotsPerMeterX(dotsPerMetre);
    image.setDotsPerMeterY(dotsPerMetre);
    return image;
}

// Control characters (a tab in a remark) take no room of their own.
QString Printable(const std::string& utf8) {
    QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    for (QChar& c : text)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F) c = QLatin1Char(' ');
    return text;
}

// Fonts, their measures and line breaking, all against the measuring device.
class Typesetter {
public:
    Typesetter() : device_(MeasuringDevice()), fonts_(MakeFonts()) {
        for (const QFont& font : fonts_) metrics_.emplace_back(font, &device_);
    }

    const QFont& Font(SheetFont font) const { return fonts_[Index(font)]; }
    double Ascent(SheetFont font) const { return metrics_[Index(font)].ascent(); }
    double Line(SheetFont font) const { return metrics_[Index(font)].lineSpacing(); }

    double Width(SheetFont font, const QString& text) {
        QHash<QString, double>& known = widths_[Index(font)];
        const auto found = known.constFind(text);
        if (found != known.constEnd()) return *found;
        const double width = metrics_[Index(font)].horizontalAdvance(text);
        known.insert(text, width);
        return width;
    }

    // The text broken into lines no wider than `width`, between words where
    // it can and anywhere where it must; nothing is left out.
    QStringList Wrap(SheetFont font, const QString& text, double width) {
        if (Width(font, text) <= width) return {text};
        QTextLayout layout(text, Font(font), &device_);
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        QStringList lines;
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(std::max(width, 1.0));
            lines.append(text.mid(line.textStart(), line.textLength()));
        }
        layout.endLayout();
        if (lines.isEmpty()) lines.append(QString());
        return lines;
    }

    QString Elide(SheetFont font, const QString& text, double width) const {
        return metrics_[Index(font)].elidedText(text, Qt::ElideRight, width);
    }

private:
    static std::size_t Index(SheetFont font) { return static_cast<std::size_t>(font); }

    QImage device_;
    std::array<QFont, FontCount> fonts_;
    std::vector<QFontMetricsF> metrics_;
    std::array<QHash<QString, double>, FontCount> widths_;
};

// A list row made ready: each cell's lines and the room its track takes.
struct PreparedRow {
    const SheetRow* Row = nullptr;
    std::vector<QStringList> Lines;
    int LineCount = 1;
    double TrackHeight = 0;
};

class SheetLayouter {
public:
    SheetLayouter(const RecordSheetContent& content, const QPageLayout& page) : content_(content) {
        const QRectF paper = page.fullRect(QPageLayout::Millimeter);
        const QMarginsF margins = page.margins(QPageLayout::Millimeter);
        const double left = std::max(margins.left(), SheetMarginMm);
        const double top = std::max(margins.top(), SheetMarginMm);
        const double right = std::max(margins.right(), SheetMarginMm);
        const double bottom = std::max(margins.bottom(), SheetMarginMm);
        layout_.PageSize = QSizeF(Mm(paper.width()), Mm(paper.height()));
        layout_.Content = QRectF(QPointF(Mm(left), Mm(top)),
                                 QPointF(Mm(paper.width() - right), Mm(paper.height() - bottom)));
        name_ = Printable(content.UnitName);
        details_ = QStringLiteral("クラス %1　　ファイル %2　　日付 %3")
                       .arg(Printable(content.UnitClass), Printable(content.FileName), Printable(content.Date));
    }

    SheetLayout Run() {
        StartPage();
        PlaceFigures();
        PlaceDurability();
        for (const SheetList& list : content_.Lists) PlaceList(list);
        PlaceNotes();
        PlaceFooters();
        return std::move(layout_);
    }

private:
    double Left() const { return layout_.Content.left(); }
    double Right() const { return layout_.Content.right(); }
    double Width() const { return layout_.Content.width(); }
    double Bottom() const { return layout_.Content.bottom() - FooterHeight; }
    double Room() const { return Bottom() - y_; }
    SheetPage& Page() { return layout_.Pages.back(); }

    void AddText(QPointF origin, const QString& text, SheetFont font, bool alarm = false) {
        if (!text.isEmpty()) Page().Texts.push_back({origin, text, font, alarm});
    }
    void AddShape(SheetMark mark, const QRectF& rect) { Page().Shapes.push_back({mark, rect}); }

    // Lines of one font from `top` down, aligned within [left, left + width].
    double AddLines(const QStringList& lines, SheetFont font, double left, double width, double top,
                    SheetAlign align, bool alarm = false) {
        double baseline = top + typesetter_.Ascent(font);
        for (const QString& line : lines) {
            const double free = width - typesetter_.Width(font, line);
            const double x = align == SheetAlign::Left ? left : align == SheetAlign::Right ? left + free : left + free / 2;
            AddText(QPointF(x, baseline), line, font, alarm);
            baseline += typesetter_.Line(font);
        }
        return lines.size() * typesetter_.Line(font);
    }

    // ---- pages -----------------------------------------------------------------

    // The page's header: the unit's name (whole on the first page, on one
    // line after it), its class, file and date, and a rule.
    void StartPage() {
        layout_.Pages.emplace_back();
        const bool first = layout_.Pages.size() == 1;
        double y = layout_.Content.top();
        const QStringList name =
            first ? typesetter_.Wrap(SheetFont::Title, name_, Width())
                  : QStringList{typesetter_.Elide(SheetFont::Title, name_, Width())};
        y += AddLines(name, SheetFont::Title, Left(), Width(), y, SheetAlign::Left);
        y += Mm(0.8);
        y += AddLines(typesetter_.Wrap(SheetFont::Small, details_, Width()), SheetFont::Small, Left(), Width(), y,
                      SheetAlign::Left);
        y += Mm(1.2);
        AddShape(SheetMark::Rule, QRectF(Left(), y, Width(), 0));
        y_ = y + Mm(2.5);
        if (!first && continueList_) continueList_();
        pageTop_ = y_;
    }

    // The room a list's rows have on a page after the first one.
    double RoomOnLaterPage() {
        if (laterPageTop_ < 0) {
            double y = layout_.Content.top() + typesetter_.Line(SheetFont::Title) + Mm(0.8);
            y += typesetter_.Wrap(SheetFont::Small, details_, Width()).size() * typesetter_.Line(SheetFont::Small);
            laterPageTop_ = y + Mm(1.2) + Mm(2.5);
        }
        return Bottom() - laterPageTop_ - listHeadHeight_;
    }

    void PlaceFooters() {
        const int count = static_cast<int>(layout_.Pages.size());
        const double rule = layout_.Content.bottom() - FooterHeight + Mm(1.5);
        const double baseline = layout_.Content.bottom() - Mm(0.5);
        for (int number = 1; number <= count; ++number) {
            SheetPage& page = layout_.Pages[static_cast<std::size_t>(number - 1)];
            page.Shapes.push_back({SheetMark::Rule, QRectF(Left(), rule, Width(), 0)});
            page.Texts.push_back({QPointF(Left(), baseline), QStringLiteral("ＫＲデザイナ"), SheetFont::Small, false});
            const QString pages = QStringLiteral("%1 / %2").arg(number).arg(count);
            page.Texts.push_back(
                {QPointF(Right() - typesetter_.Width(SheetFont::Small, pages), baseline), pages, SheetFont::Small, false});
        }
    }

    // ---- figures ---------------------------------------------------------------

    // Twelve boxes in two rows: the caption at the left and the figure at
    // the right on one line when they fit side by side, else one below the
    // other; the base figure under them.
    void PlaceFigures() {
        const double cellWidth = Width() / SheetFiguresPerRow;
        const double inner = cellWidth - 2 * CellPadX;
        const std::size_t count = content_.Figures.size();
        for (std::size_t first = 0; first < count; first += SheetFiguresPerRow) {
            struct Cell {
                QString Caption, Value, Note;
                bool Alarm = false;
                bool SideBySide = true;
                QStringList ValueLines;
                double Height = 0;
            };
            std::vector<Cell> cells;
            double rowHeight = 0;
            for (std::size_t i = first; i < std::min(count, first + SheetFiguresPerRow); ++i) {
                const PrintedFigure& figure = content_.Figures[i];
                Cell cell;
                cell.Caption = Printable(figure.Caption);
                cell.Value = Printable(figure.Value);
                if (!figure.Alarm.empty()) cell.Value += QLatin1Char(' ') + Printable(figure.Alarm);
                cell.Alarm = !figure.Alarm.empty();
                cell.Note = Printable(figure.Note);
                const double captionWidth = typesetter_.Width(SheetFont::Small, cell.Caption);
                cell.SideBySide = captionWidth + Mm(1.5) + typesetter_.Width(SheetFont::FigureValue, cell.Value) <= inner;
                cell.Height = 2 * CellPadY;
                if (cell.SideBySide) {
                    cell.Height += typesetter_.Line(SheetFont::FigureValue);
                } else {
                    cell.ValueLines = typesetter_.Wrap(SheetFont::FigureValue, cell.Value, inner);
                    cell.Height += typesetter_.Line(SheetFont::Small) +
                                   cell.ValueLines.size() * typesetter_.Line(SheetFont::FigureValue);
                }
                if (!cell.Note.isEmpty())
                    cell.Height += typesetter_.Wrap(SheetFont::Small, cell.Note, inner).size() *
                                   typesetter_.Line(SheetFont::Small);
                rowHeight = std::max(rowHeight, cell.Height);
                cells.push_back(std::move(cell));
            }
            if (rowHeight > Room()) StartPage();
            for (std::size_t i = 0; i < cells.size(); ++i) {
                const Cell& cell = cells[i];
                const double left = Left() + static_cast<double>(i) * cellWidth;
                AddShape(SheetMark::Frame, QRectF(left, y_, cellWidth, rowHeight));
                const double x = left + CellPadX;
                double top = y_ + CellPadY;
                if (cell.SideBySide) {
                    // One baseline for both, so that the two read as one line.
                    const double baseline = top + typesetter_.Ascent(SheetFont::FigureValue);
                    AddText(QPointF(x, baseline), cell.Caption, SheetFont::Small);
                    AddText(QPointF(x + inner - typesetter_.Width(SheetFont::FigureValue, cell.Value), baseline),
                            cell.Value, SheetFont::FigureValue, cell.Alarm);
                    top += typesetter_.Line(SheetFont::FigureValue);
                } else {
                    top += AddLines({cell.Caption}, SheetFont::Small, x, inner, top, SheetAlign::Left);
                    top += AddLines(cell.ValueLines, SheetFont::FigureValue, x, inner, top, SheetAlign::Right, cell.Alarm);
                }
                if (!cell.Note.isEmpty())
                    AddLines(typesetter_.Wrap(SheetFont::Small, cell.Note, inner), SheetFont::Small, x, inner, top,
                             SheetAlign::Right);
            }
            y_ += rowHeight;
        }
        y_ += BlockGap;
    }

    // ---- play tracks -------------------------------------------------------------

    // How many boxes fit on one line of a track `width` wide.
    static int BoxesPerLine(double width) {
        int boxes = 0;
        double x = 0;
        while (x + TickSide <= width) {
            ++boxes;
            x += TickPitch + (boxes % 5 == 0 ? TickGroupGap : 0);
        }
        return std::max(boxes, 1);
    }

    static double TrackHeight(const SheetTrack& track, double width) {
        if (track.Empty()) return 0;
        if (track.Boxes == 0) return TrackLine;
        const int perLine = BoxesPerLine(width);
        return ((track.Boxes + perLine - 1) / perLine) * TrackLine;
    }

    // The boxes line by line from the top left of the area, or the figure
    // with a blank line to count down on.
    void AddTrack(const SheetTrack& track, double left, double top, double width) {
        if (track.Empty()) return;
        const double boxTop = top + (TrackLine - TickSide) / 2;
        if (track.Boxes == 0) {
            const QString figure = QString::fromStdString(track.Written);
            const double baseline = boxTop + TickSide;
            AddText(QPointF(left, baseline), figure, SheetFont::Body);
            const double start = left + typesetter_.Width(SheetFont::Body, figure) + Mm(1.5);
            AddShape(SheetMark::Blank,
                     QRectF(start, boxTop, std::min(BlankLength, std::max(0.0, left + width - start)), TickSide));
            return;
        }
        const int perLine = BoxesPerLine(width);
        for (int box = 0; box < track.Boxes; ++box) {
            const int column = box % perLine;
            const int line = box / perLine;
            const double x = left + column * TickPitch + (column / 5) * TickGroupGap;
            AddShape(SheetMark::TickBox, QRectF(x, boxTop + line * TrackLine, TickSide, TickSide));
        }
    }

    void PlaceDurability() {
        const SheetTrack& track = content_.Durability;
        if (track.Empty()) return;
        const double width = Width() - TrackLabelWidth - 2 * CellPadX;
        const double height = TrackHeight(track, width) + 2 * CellPadY;
        if (height > Room()) StartPage();
        AddShape(SheetMark::Frame, QRectF(Left(), y_, Width(), height));
        const QString label = QStringLiteral("耐久力");
        AddText(QPointF(Left() + CellPadX, y_ + CellPadY + (TrackLine - TickSide) / 2 + TickSide), label,
                SheetFont::Section);
        AddTrack(track, Left() + TrackLabelWidth, y_ + CellPadY, width);
        y_ += height + BlockGap;
    }

    // ---- lists ---------------------------------------------------------------------

    // Column widths: every column as wide as its widest text, the name and
    // the remarks (effect) sharing what is left; where even so the texts do
    // not fit, the columns shrink and their texts wrap.
    std::vector<double> ColumnWidths(const SheetList& list) {
        const std::size_t count = list.Columns.size();
        std::vector<double> natural(count, 0);
        for (std::size_t c = 0; c < count; ++c)
            natural[c] = typesetter_.Width(SheetFont::ColumnHead, Printable(list.Columns[c].Caption));
        for (const SheetRow& row : list.Rows)
            for (std::size_t c = 0; c < count && c < row.Cells.size(); ++c)
                natural[c] = std::max(natural[c], typesetter_.Width(SheetFont::Body, Printable(row.Cells[c])));
        // A little slack, so that a text as wide as its column is not wrapped
        // for a rounding.
        for (double& width : natural) width += 2 * CellPadX + Mm(0.3);

        // The name and the remarks (or effects) share the room there is.
        const auto flexible = [&](std::size_t c) { return c == 0 || list.Columns[c].Align == SheetAlign::Left; };
        std::size_t last = 0;
        for (std::size_t c = 0; c < count; ++c)
            if (flexible(c)) last = c;
        std::vector<double> widths = natural;
        double fixed = 0, flexNatural = 0;
        std::size_t flexCount = 0;
        for (std::size_t c = 0; c < count; ++c) {
            if (flexible(c)) {
                flexNatural += natural[c];
                ++flexCount;
            } else {
                fixed += natural[c];
            }
        }
        const double minimumFlex = std::min(Mm(24), Width() / 4);
        double room = Width() - fixed;
        if (room < minimumFlex * static_cast<double>(flexCount)) {
            // The figures' columns give way; their texts wrap.
            const double scale = (Width() - minimumFlex * static_cast<double>(flexCount)) / fixed;
            for (std::size_t c = 0; c < count; ++c)
                if (!flexible(c)) widths[c] = natural[c] * scale;
            room = minimumFlex * static_cast<double>(flexCount);
        }
        if (room >= flexNatural) {
            // Room to spare goes to the remarks.
            widths[last] += room - flexNatural;
            return widths;
        }
        // Shared in proportion to what each would take; one that would get
        // less than the minimum gets the minimum, from the others' share.
        double deficit = 0, surplus = 0;
        for (std::size_t c = 0; c < count; ++c) {
            if (!flexible(c)) continue;
            widths[c] = room * natural[c] / flexNatural;
            if (widths[c] < minimumFlex) {
                deficit += minimumFlex - widths[c];
                widths[c] = minimumFlex;
            } else {
                surplus += widths[c] - minimumFlex;
            }
        }
        if (deficit > 0)
            for (std::size_t c = 0; c < count; ++c)
                if (flexible(c) && widths[c] > minimumFlex) widths[c] -= deficit * (widths[c] - minimumFlex) / surplus;
        return widths;
    }

    PreparedRow Prepare(const SheetRow& row, const std::vector<double>& widths) {
        PreparedRow prepared;
        prepared.Row = &row;
        prepared.Lines.reserve(widths.size());
        for (std::size_t c = 0; c < widths.size(); ++c) {
            const QString text = c < row.Cells.size() ? Printable(row.Cells[c]) : QString();
            prepared.Lines.push_back(typesetter_.Wrap(SheetFont::Body, text, widths[c] - 2 * CellPadX));
            prepared.LineCount = std::max(prepared.LineCount, static_cast<int>(prepared.Lines.back().size()));
        }
        prepared.TrackHeight = TrackHeight(row.Uses, TrackWidth(widths));
        return prepared;
    }

    // A weapon's track lies under its figures, from the second column on.
    double TrackWidth(const std::vector<double>& widths) const { return Width() - widths[0] - 2 * CellPadX; }

    double RowHeight(const PreparedRow& row, int from, int to, bool track) const {
        return 2 * CellPadY + (to - from) * typesetter_.Line(SheetFont::Body) + (track ? row.TrackHeight : 0);
    }

    // Lines [from, to) of a row's cells, and its track when asked, at y_.
    void AddRowPart(const PreparedRow& row, const SheetList& list, const std::vector<double>& widths, int from, int to,
                    bool track) {
        const double lineHeight = typesetter_.Line(SheetFont::Body);
        const double textHeight = 2 * CellPadY + (to - from) * lineHeight;
        const double height = RowHeight(row, from, to, track);
        double x = Left();
        for (std::size_t c = 0; c < widths.size(); ++c) {
            // The name's cell runs down beside the track.
            AddShape(SheetMark::Frame, QRectF(x, y_, widths[c], c == 0 ? height : textHeight));
            const QStringList& lines = row.Lines[c];
            const QStringList part =
                from < lines.size() ? lines.mid(from, std::min<qsizetype>(to, lines.size()) - from) : QStringList{};
            AddLines(part, SheetFont::Body, x + CellPadX, widths[c] - 2 * CellPadX, y_ + CellPadY, list.Columns[c].Align);
            x += widths[c];
        }
        if (track && row.TrackHeight > 0) {
            const double left = Left() + widths[0];
            AddShape(SheetMark::Frame, QRectF(left, y_ + textHeight, Width() - widths[0], row.TrackHeight));
            AddTrack(row.Row->Uses, left + CellPadX, y_ + textHeight, TrackWidth(widths));
        }
        y_ += height;
    }

    // A row where it fits; on a fresh page where it fits there; otherwise
    // its lines run on from page to page.
    void PlaceRow(const PreparedRow& row, const SheetList& list, const std::vector<double>& widths) {
        const double whole = RowHeight(row, 0, row.LineCount, true);
        if (whole > Room() && whole <= RoomOnLaterPage()) StartPage();
        if (whole <= Room()) {
            AddRowPart(row, list, widths, 0, row.LineCount, true);
            return;
        }
        const double lineHeight = typesetter_.Line(SheetFont::Body);
        int from = 0;
        while (true) {
            if (RowHeight(row, from, row.LineCount, true) <= Room()) {
                AddRowPart(row, list, widths, from, row.LineCount, true);
                return;
            }
            int fit = static_cast<int>(std::floor((Room() - 2 * CellPadY) / lineHeight));
            // A page too small for a single line still takes one, so that
            // every row ends somewhere.
            const bool fresh = y_ == pageTop_;
            if (fit < 1 && fresh) fit = 1;
            if (from < row.LineCount && fit >= 1) {
                const int to = std::min(row.LineCount, from + fit);
                AddRowPart(row, list, widths, from, to, false);
                from = to;
                if (from == row.LineCount && row.TrackHeight == 0) return;
            } else if (from >= row.LineCount && fresh) {
                AddRowPart(row, list, widths, from, from, true);
                return;
            }
            StartPage();
        }
    }

    void PlaceList(const SheetList& list) {
        if (list.Columns.empty()) return;
        const std::vector<double> widths = ColumnWidths(list);
        std::vector<QStringList> heads;
        std::size_t headLines = 1;
        for (std::size_t c = 0; c < widths.size(); ++c) {
            heads.push_back(typesetter_.Wrap(SheetFont::ColumnHead, Printable(list.Columns[c].Caption),
                                             widths[c] - 2 * CellPadX));
            headLines = std::max<std::size_t>(headLines, static_cast<std::size_t>(heads.back().size()));
        }
        const double titleHeight = typesetter_.Line(SheetFont::Section) + Mm(0.8);
        const double headHeight = 2 * CellPadY + static_cast<double>(headLines) * typesetter_.Line(SheetFont::ColumnHead);
        listHeadHeight_ = titleHeight + headHeight;

        const QString title = Printable(list.Title);
        const auto addHead = [&](bool continued) {
            AddLines({continued ? title + QStringLiteral("（続き）") : title}, SheetFont::Section, Left(), Width(), y_,
                     SheetAlign::Left);
            y_ += titleHeight;
            double x = Left();
            for (std::size_t c = 0; c < widths.size(); ++c) {
                const QRectF cell(x, y_, widths[c], headHeight);
                AddShape(SheetMark::Shade, cell);
                AddShape(SheetMark::Frame, cell);
                AddLines(heads[c], SheetFont::ColumnHead, x + CellPadX, widths[c] - 2 * CellPadX, y_ + CellPadY,
                         SheetAlign::Centre);
                x += widths[c];
            }
            y_ += headHeight;
        };

        std::vector<PreparedRow> rows;
        rows.reserve(list.Rows.size());
        for (const SheetRow& row : list.Rows) rows.push_back(Prepare(row, widths));

        // The title and the heads never stand alone at the foot of a page.
        const double firstRow = rows.empty() ? 0 : RowHeight(rows.front(), 0, 1, rows.front().LineCount == 1);
        if (listHeadHeight_ + firstRow > Room()) StartPage();
        addHead(false);
        continueList_ = [&] { addHead(true); };

        // A weapon and its "└" rows make one group, kept on one page
        // whenever a page can hold it.
        for (std::size_t first = 0; first < rows.size();) {
            std::size_t end = first + 1;
            while (end < rows.size() && rows[end].Row->FollowUp) ++end;
            double group = 0;
            for (std::size_t i = first; i < end; ++i) group += RowHeight(rows[i], 0, rows[i].LineCount, true);
            if (group > Room() && group <= RoomOnLaterPage()) StartPage();
            for (std::size_t i = first; i < end; ++i) PlaceRow(rows[i], list, widths);
            first = end;
        }
        continueList_ = nullptr;
        y_ += BlockGap;
    }

    // ---- notes ---------------------------------------------------------------------

    // What is left of the last page, ruled for notes.
    void PlaceNotes() {
        const double height = Room();
        if (height < NotesMinimum) return;
        const QRectF area(Left(), y_, Width(), height);
        AddShape(SheetMark::Frame, area);
        AddLines({QStringLiteral("メモ")}, SheetFont::Small, Left() + CellPadX, Width(), y_ + CellPadY, SheetAlign::Left);
        for (double line = y_ + NoteLinePitch + Mm(3); line < area.bottom() - Mm(2); line += NoteLinePitch)
            AddShape(SheetMark::Blank, QRectF(Left() + Mm(3), line, Width() - Mm(6), 0));
        y_ = area.bottom();
    }

    const RecordSheetContent& content_;
    Typesetter typesetter_;
    SheetLayout layout_;
    QString name_;
    QString details_;
    double y_ = 0;
    // The list being placed repeats its title and heads on each new page.
    std::function<void()> continueList_;
    double listHeadHeight_ = 0;
    double laterPageTop_ = -1;
    double pageTop_ = 0;  // where the rows of the current page begin
};

QPen SheetPen(double points, const QColor& colour = Qt::black) {
    QPen pen(colour);
    pen.setWidthF(points * DotsPerPoint);
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    return pen;
}

}  // namespace

QPageLayout ExportPageLayout() {
    const QPageSize size(PaperOfLocale() == SheetPaper::Letter ? QPageSize::Letter : QPageSize::A4);
    return QPageLayout(size, QPageLayout::Portrait,
                       QMarginsF(SheetMarginMm, SheetMarginMm, SheetMarginMm, SheetMarginMm), QPageLayout::Millimeter);
}

SheetLayout LayOutRecordSheet(const RecordSheetContent& content, const QPageLayout& page) {
    return SheetLayouter(content, page).Run();
}

void PaintSheetPage(QPainter& painter, const SheetPage& page, double dotsToDevice) {
    painter.save();
    painter.scale(dotsToDevice, dotsToDevice);
    painter.setBrush(Qt::NoBrush);
    const QPen thin = SheetPen(0.4);
    const QPen box = SheetPen(0.6);
    const QPen rule = SheetPen(0.8);
    const QColor shade(232, 232, 232);
    for (const SheetShape& shape : page.Shapes) {
        switch (shape.Mark) {
            case SheetMark::Shade: painter.fillRect(shape.Rect, shade); break;
            case SheetMark::Frame:
                painter.setPen(thin);
                painter.drawRect(shape.Rect);
                break;
            case SheetMark::TickBox:
                painter.setPen(box);
                painter.drawRect(shape.Rect);
                break;
            case SheetMark::Rule:
                painter.setPen(rule);
                painter.drawLine(shape.Rect.topLeft(), shape.Rect.topRight());
                break;
            case SheetMark::Blank:
                painter.setPen(thin);
                painter.drawLine(shape.Rect.bottomLeft(), shape.Rect.bottomRight());
                break;
        }
    }
    const std::array<QFont, FontCount> fonts = MakeFonts();
    std::size_t current = FontCount;
    bool red = false;
    painter.setPen(Qt::black);
    for (const SheetText& text : page.Texts) {
        const auto index = static_cast<std::size_t>(text.Font);
        if (index != current) {
            painter.setFont(fonts[index]);
            current = index;
        }
        if (text.Alarm != red) {
            painter.setPen(text.Alarm ? QColor(255, 0, 0) : QColor(0, 0, 0));
            red = text.Alarm;
        }
        painter.drawText(text.Origin, text.Text);
    }
    painter.restore();
}

void PaintRecordSheet(QPagedPaintDevice& device, const RecordSheetContent& content) {
    const QPageLayout page = device.pageLayout();
    const SheetLayout layout = LayOutRecordSheet(content, page);
    const int resolution = device.logicalDpiX();
    // The painter starts at the device's paint rectangle; the sheet is laid
    // out from the page's corner.
    const QPointF origin = page.paintRectPixels(resolution).topLeft();
    QPainter painter;
    if (!painter.begin(&device)) throw KrError("印刷を始められません");
    for (std::size_t i = 0; i < layout.Pages.size(); ++i) {
        if (i > 0 && !device.newPage()) {
            painter.end();
            throw KrError("印刷を始められません");
        }
        painter.save();
        painter.translate(-origin);
        PaintSheetPage(painter, layout.Pages[i], resolution / SheetDotsPerInch);
        painter.restore();
    }
    painter.end();
}

std::string RecordSheetPdf(const RecordSheetContent& content) {
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setResolution(static_cast<int>(SheetDotsPerInch));
        writer.setPageLayout(ExportPageLayout());
        writer.setTitle(QString::fromStdString(content.UnitName));
        writer.setCreator(QStringLiteral("ＫＲデザイナ"));
        PaintRecordSheet(writer, content);
    }
    return bytes.toStdString();
}

std::vector<std::string> RecordSheetPictures(const RecordSheetContent& content) {
    const QPageLayout page = ExportPageLayout();
    const SheetLayout layout = LayOutRecordSheet(content, page);
    const QSize size = page.fullRectPixels(SheetPictureDpi).size();
    const int dotsPerMetre = static_cast<int>(std::lround(SheetPictureDpi / 0.0254));
    std::vector<std::string> pictures;
    pictures.reserve(layout.Pages.size());
    for (const SheetPage& sheetPage : layout.Pages) {
        QImage image(size, QImage::Format_RGB32);
        image.setDotsPerMeterX(dotsPerMetre);
        image.setDotsPerMeterY(dotsPerMetre);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
            PaintSheetPage(painter, sheetPage, SheetPictureDpi / SheetDotsPerInch);
        }
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        if (!image.save(&buffer, "PNG")) throw KrError("画像を作れません");
        pictures.push_back(bytes.toStdString());
    }
    return pictures;
}

}  // namespace kr

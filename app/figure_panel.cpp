#include "figure_panel.h"

#include "window_kit.h"

#include <QHelpEvent>
#include <QResizeEvent>
#include <QToolTip>

#include <algorithm>
#include <vector>

namespace kr {

namespace {

const QColor BoxColour(221, 221, 255);
constexpr int FigureGap = 4;  // between a box and the next caption

// Where each figure's caption and box stand by design, in the order of the
// figure table; the panel's rows are 10 and 33/34 pixels from its top.
struct Place {
    const char* Name;
    int CaptionLeft;
    int BoxLeft;
    int Top;
    int Width;
    Qt::Alignment Align;
};
constexpr Place Places[] = {
    {"lblFire", 12, 77, 10, 33, Qt::AlignHCenter},
    {"lblBtl", 124, 189, 10, 33, Qt::AlignHCenter},
    {"lblSpd", 236, 301, 10, 33, Qt::AlignHCenter},
    {"lblSns", 344, 405, 10, 33, Qt::AlignHCenter},
    {"lblCP", 456, 545, 10, 33, Qt::AlignHCenter},
    {"lblAmr", 12, 45, 34, 33, Qt::AlignHCenter},
    {"lblHP", 88, 137, 33, 33, Qt::AlignHCenter},
    {"lblPow", 180, 225, 33, 33, Qt::AlignHCenter},
    {"lblPunch", 268, 312, 33, 33, Qt::AlignHCenter},
    {"lblBP", 356, 419, 34, 33, Qt::AlignHCenter},
    {"lblPlice", 460, 525, 34, 53, Qt::AlignRight},
};
static_assert(std::size(Places) == SheetFigureCount, "a place for every figure of the table");

// The width a figure box needs for its whole text: the text, the indent on
// both sides, and the frame.
int NeededBoxWidth(const QLabel* box) {
    return box->fontMetrics().horizontalAdvance(box->text()) + 2 * BoxIndent + 2 * box->frameWidth();
}

// One widget of a row of the figure panel: where it would stand, how wide it
// is, and how far it must keep from the widget before it.
struct RowPiece {
    int Left;
    int Width;
    int GapBefore;
};

// Places a row within [first, last): each piece as close to its own place as
// the pieces before it allow (pushing right), then, when the row runs past
// the end, pulled back from the right. Returns the room the row needs.
int PlaceRow(std::vector<RowPiece>& row, int first, int last) {
    int right = first;
    for (RowPiece& piece : row) {
        piece.Left = std::max(piece.Left, right + piece.GapBefore);
        right = piece.Left + piece.Width;
    }
    int limit = last;
    for (auto piece = row.rbegin(); piece != row.rend(); ++piece) {
        piece->Left = std::min(piece->Left, limit - piece->Width);
        limit = piece->Left - piece->GapBefore;
    }
    int needed = first;
    for (const RowPiece& piece : row) needed += piece.GapBefore + piece.Width;
    return std::max(needed, right);
}

}  // namespace

QLabel* FigureBox(QWidget* parent, int left, int top, int width, Qt::Alignment align) {
    auto* box = new QLabel(parent);
    box->setGeometry(left, top, width, 18);
    box->setFrameStyle(QFrame::Box | QFrame::Plain);
    box->setLineWidth(1);
    box->setAlignment(align | Qt::AlignVCenter);
    box->setIndent(BoxIndent);
    box->setTextFormat(Qt::PlainText);
    // The window paints with the button face; a box paints its own colours,
    // so its roles must be its own too (a child takes its parent's otherwise).
    box->setBackgroundRole(QPalette::Window);
    box->setForegroundRole(QPalette::WindowText);
    box->setAutoFillBackground(true);
    QPalette palette = box->palette();
    palette.setColor(QPalette::Window, BoxColour);
    palette.setColor(QPalette::WindowText, Qt::black);
    box->setPalette(palette);
    return box;
}

FigurePanel::FigurePanel(const UnitSheet& sheet, QWidget* parent) : QFrame(parent), sheet_(sheet) {
    setObjectName(QStringLiteral("pnlBase"));
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(2);
    setFixedHeight(60);
    for (const FigureDescription& figure : FigureTable) {
        const Place& place = Places[static_cast<std::size_t>(figure.Id)];
        Slot& slot = slots_[static_cast<std::size_t>(figure.Id)];
        slot.Caption = new QLabel(Utf8ToQString(figure.Caption), this);
        slot.Caption->adjustSize();
        slot.Caption->move(place.CaptionLeft, place.Top + (18 - slot.Caption->height()) / 2);
        // The longest caption is set smaller, in the place of the others' size.
        if (figure.Id == SheetFigure::CP) {
            slot.Caption->setFont(GothicFont(13));
            slot.Caption->adjustSize();
        }
        slot.CaptionLeft = place.CaptionLeft;
        slot.Box = FigureBox(this, place.BoxLeft, place.Top, place.Width, place.Align);
        slot.Box->setObjectName(QString::fromLatin1(place.Name));
        slot.Box->installEventFilter(this);
        slot.BoxLeft = place.BoxLeft;
        slot.BoxWidth = place.Width;
    }
}

void FigurePanel::Refresh() {
    for (const FigureDescription& figure : FigureTable) Box(figure.Id)->setText(Cp932ToQString(sheet_.Boxes[figure.Id]));
    LayOut();
    QLabel* backpack = Box(SheetFigure::Backpack);
    QPalette palette = backpack->palette();
    palette.setColor(QPalette::WindowText, sheet_.BackpackOverloaded ? QColor(255, 0, 0) : QColor(0, 0, 0));
    backpack->setPalette(palette);
}

void FigurePanel::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    LayOut();
}

void FigurePanel::LayOut() {
    // Each row keeps its places while the texts fit. A caption keeps clear of
    // its box; a box too narrow for its figure grows about its alignment (a
    // centred box on both sides, the price leftwards), and the pieces beside
    // it make room.
    const int first = frameWidth();
    const int last = width() - frameWidth();
    int needed = 0;
    for (int row = 0; row < 2; ++row) {
        std::vector<RowPiece> pieces;
        std::vector<QLabel*> widgets;
        for (const FigureDescription& figure : FigureTable) {
            if (figure.PanelRow != row) continue;
            const Slot& slot = slots_[static_cast<std::size_t>(figure.Id)];
            const int boxWidth = std::max(slot.BoxWidth, NeededBoxWidth(slot.Box));
            const int growth = boxWidth - slot.BoxWidth;
            const bool right = slot.Box->alignment() & Qt::AlignRight;
            const int boxLeft = slot.BoxLeft - (right ? growth : growth / 2);
            const int captionWidth = slot.Caption->sizeHint().width();
            pieces.push_back({std::min(slot.CaptionLeft, boxLeft - CaptionGap - captionWidth), captionWidth,
                              pieces.empty() ? 0 : FigureGap});
            pieces.push_back({boxLeft, boxWidth, CaptionGap});
            widgets.push_back(slot.Caption);
            widgets.push_back(slot.Box);
        }
        needed = std::max(needed, PlaceRow(pieces, first, last) + frameWidth());
        for (std::size_t i = 0; i < pieces.size(); ++i) {
            QLabel* widget = widgets[i];
            widget->setGeometry(pieces[i].Left, widget->y(), pieces[i].Width, widget->height());
        }
    }
    // A row that cannot fit widens the window rather than hiding digits.
    if (needed != minimumWidth()) {
        setMinimumWidth(needed);
        if (NeedsWidth) NeedsWidth(needed);
    }
}

bool FigurePanel::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::ToolTip) return QFrame::eventFilter(watched, event);
    for (const FigureDescription& figure : FigureTable) {
        if (watched != Box(figure.Id)) continue;
        const std::string text = FigureExplanation(sheet_, figure.Id);
        const auto* help = static_cast<QHelpEvent*>(event);
        if (text.empty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), PlainToolTip(Cp932ToQString(text)), Box(figure.Id));
        return true;
    }
    return QFrame::eventFilter(watched, event);
}

}  // namespace kr

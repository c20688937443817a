// The figure panel of the main window (pnlBase): a caption and a box for
// each figure of the sheet, in two rows, each box as wide as its figure
// needs; hovering over a box tells the sum behind its figure.
#pragma once

#include "unit_sheet.h"

#include <QFrame>
#include <QLabel>

#include <array>
#include <functional>

namespace kr {

constexpr int BoxIndent = 3;   // room beside the text of a figure box
constexpr int CaptionGap = 3;  // between a caption and its box

// A figure box: framed, pale blue, black text (plain text: the class comes
// from unit files as it is written there).
QLabel* FigureBox(QWidget* parent, int left, int top, int width, Qt::Alignment align);

class FigurePanel : public QFrame {
public:
    FigurePanel(const UnitSheet& sheet, QWidget* parent);

    QLabel* Box(SheetFigure figure) const { return slots_[static_cast<std::size_t>(figure)].Box; }
    QLabel* CaptionOf(SheetFigure figure) const { return slots_[static_cast<std::size_t>(figure)].Caption; }

    // Shows the sheet's figure texts (blank before the first recalculation),
    // an overloaded backpack in red, and places the boxes for them.
    void Refresh();

    // The width the panel needs to show every digit, when it changes: the
    // window widens rather than hide any.
    std::function<void(int width)> NeedsWidth;

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void LayOut();

    // A caption and its box with their design places.
    struct Slot {
        QLabel* Caption = nullptr;
        int CaptionLeft = 0;
        QLabel* Box = nullptr;
        int BoxLeft = 0;
        int BoxWidth = 0;
    };
    const UnitSheet& sheet_;
    std::array<Slot, SheetFigureCount> slots_{};
};

}  // namespace kr

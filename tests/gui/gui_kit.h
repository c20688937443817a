// Helpers the window tests share: mouse input as a user delivers it and
// checks of a report list's columns.
#pragma once

#include "row_model.h"

#include <QApplication>
#include <QHelpEvent>
#include <QLabel>
#include <QTest>
#include <QTextDocument>

#include <vector>

namespace guikit {

using kr::ReportListView;

// What a user's double-click delivers: press, release, double-click, release.
inline void DoubleClick(QWidget* viewport, QPoint at) {
    QTest::mousePress(viewport, Qt::LeftButton, {}, at);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, at);
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, at);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, at);
}

inline QPoint OnRow(ReportListView* list, int row) { return list->visualRect(list->model()->index(row, 1)).center(); }

struct Column {
    const char* Caption;
    int Width;
    Qt::Alignment Align;
};
const Qt::Alignment L = Qt::AlignLeft, R = Qt::AlignRight, C = Qt::AlignHCenter;

inline void CheckColumns(const ReportListView* list, const std::vector<Column>& expected) {
    const QAbstractItemModel* model = list->model();
    QCOMPARE(model->columnCount(), static_cast<int>(expected.size()));
    for (int i = 0; i < model->columnCount(); ++i) {
        const Column& column = expected[static_cast<std::size_t>(i)];
        QCOMPARE(model->headerData(i, Qt::Horizontal, Qt::DisplayRole).toString(), QString::fromUtf8(column.Caption));
        QCOMPARE(list->columnWidth(i), column.Width);
        const auto headerAlign = Qt::Alignment(model->headerData(i, Qt::Horizontal, Qt::TextAlignmentRole).toInt());
        QCOMPARE(headerAlign & Qt::AlignHorizontal_Mask, column.Align);
        if (model->rowCount() > 0) {
            const auto align = Qt::Alignment(model->index(0, i).data(Qt::TextAlignmentRole).toInt());
            QCOMPARE(align & Qt::AlignHorizontal_Mask, column.Align);
        }
    }
}

// What the window shows inside a child widget's rectangle, rendered as the
// screen gets it (the whole window, then the child's part).
inline QImage Shown(QWidget* child) {
    const QImage window = child->window()->grab().toImage();
    const QPoint at = child->mapTo(child->window(), QPoint(0, 0));
    return window.copy(QRect(at, child->size()));
}

// Whether a pixel is ink of a given colour (anti-aliased edges excluded).
inline bool IsRed(QRgb pixel) { return qRed(pixel) > 200 && qGreen(pixel) < 90 && qBlue(pixel) < 90; }
inline bool IsDark(QRgb pixel) { return qRed(pixel) < 110 && qGreen(pixel) < 110 && qBlue(pixel) < 110; }

// The columns, from left to right, in which an image holds pixels of a kind.
template <class Kind>
QRect InkExtent(const QImage& image, Kind kind) {
    QRect extent;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (kind(image.pixel(x, y))) extent |= QRect(x, y, 1, 1);
    return extent;
}

// A widget's tooltip as hovering shows it: the tip as drawn, and the text a
// reader of it sees.
struct ShownToolTip {
    QImage Image;
    QString Text;
};
inline ShownToolTip HoverToolTip(QWidget* widget) {
    QHelpEvent help(QEvent::ToolTip, QPoint(2, 2), widget->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(widget, &help);
    for (QWidget* top : QApplication::topLevelWidgets()) {
        auto* tip = qobject_cast<QLabel*>(top);
        if (!tip || !top->inherits("QTipLabel") || !top->isVisible()) continue;
        QTextDocument shown;
        if (tip->textFormat() == Qt::PlainText || (tip->textFormat() == Qt::AutoText && !Qt::mightBeRichText(tip->text())))
            shown.setPlainText(tip->text());
        else
            shown.setHtml(tip->text());
        return {tip->grab().toImage(), shown.toPlainText()};
    }
    return {};
}

}  // namespace guikit

// Helpers the window tests share: mouse input as a user delivers it and
// checks of a report list's columns.
#pragma once

#include "row_model.h"

#include <QTest>

#include <vector>

namespace guikit {

using kr::ReportListView;

// What a user's double-click delivers: press, release, double-click, release.
void DoubleClick(QWidget* viewport, QPoint at) {
    QTest::mousePress(viewport, Qt::LeftButton, {}, at);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, at);
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, at);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, at);
}

QPoint OnRow(ReportListView* list, int row) { return list->visualRect(list->model()->index(row, 1)).center(); }

struct Column {
    const char* Caption;
    int Width;
    Qt::Alignment Align;
};
const Qt::Alignment L = Qt::AlignLeft, R = Qt::AlignRight, C = Qt::AlignHCenter;

void CheckColumns(const ReportListView* list, const std::vector<Column>& expected) {
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

}  // namespace guikit

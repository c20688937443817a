// The record sheet drawn: one layout of the pages, made once for a page
// size, then painted on whatever takes it (a printer, a PDF writer, a
// picture), so that the printout, the PDF and the picture never disagree.
//
// Lengths are dots of 1/1200 inch on the page, measured from its top left
// corner, whatever the sheet is drawn on; fonts are sized in the same dots,
// so the text is measured once for every device.
#pragma once

#include "record_sheet_content.h"

#include <QPageLayout>
#include <QPointF>
#include <QRectF>
#include <QString>

#include <cstddef>
#include <string>
#include <vector>

class QPagedPaintDevice;
class QPainter;

namespace kr {

inline constexpr double SheetDotsPerInch = 1200;
// Pictures of a sheet are made at this resolution.
inline constexpr int SheetPictureDpi = 150;

enum class SheetFont { Title, Section, Body, ColumnHead, FigureValue, Small };

struct SheetText {
    QPointF Origin;  // the start of the text's baseline
    QString Text;
    SheetFont Font = SheetFont::Body;
    bool Alarm = false;  // drawn in red
};

enum class SheetMark {
    Frame,    // a thin rectangle
    Shade,    // a grey filled rectangle behind column heads
    TickBox,  // one box to tick in play
    Rule,     // a horizontal line along the rectangle's top, as wide as it
    Blank,    // a line along the rectangle's bottom to write on
};

struct SheetShape {
    SheetMark Mark = SheetMark::Frame;
    QRectF Rect;
};

struct SheetPage {
    std::vector<SheetShape> Shapes;
    std::vector<SheetText> Texts;
};

struct SheetLayout {
    QSizeF PageSize;  // dots
    QRectF Content;   // the page within its margins
    std::vector<SheetPage> Pages;
};

// The page exports are laid out on: the locale's paper (A4 unless it is
// Letter), portrait, with the sheet's margins.
QPageLayout ExportPageLayout();

// Lays the sheet out on pages of the layout's paper; its margins count where
// they are wider than the sheet's own (12 mm; never less than 10 mm).
SheetLayout LayOutRecordSheet(const RecordSheetContent& content, const QPageLayout& page);

// Paints one page with the painter's origin at the page's top left corner
// and `dotsToDevice` device pixels per dot.
void PaintSheetPage(QPainter& painter, const SheetPage& page, double dotsToDevice);

// Lays the sheet out on the device's page layout and paints every page, each
// on a page of the device. Throws KrError when the device takes no painting.
void PaintRecordSheet(QPagedPaintDevice& device, const RecordSheetContent& content);

// The sheet as a PDF file's bytes, fonts embedded, text searchable.
std::string RecordSheetPdf(const RecordSheetContent& content);
// Each page as a PNG file's bytes at SheetPictureDpi.
std::vector<std::string> RecordSheetPictures(const RecordSheetContent& content);

}  // namespace kr

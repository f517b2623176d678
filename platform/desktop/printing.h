#pragma once

#include <QSize>
#include <QString>

class QImage;
class QPixmap;
class QPrinter;
class QPrinterInfo;
class QWidget;

namespace hc {

// Printing a screen as a picture on one page, without a printer dialog.
//
// Every function here either ends its job with the page printed or throws hc::Error with a
// message for the standard error box: no printer, a printer that cannot start the job, or a
// job that failed. Nothing else is changed by a failure.

// The size, in printer pixels, at which a picture of `picture` pixels fits a page of `page`
// pixels keeping its proportions: the width becomes W × page height ÷ H; if that is less than
// the page width the picture takes that width and the full page height, otherwise the full
// page width and a height of H × page width ÷ W. Each division is rounded to the nearest whole
// pixel (halves upwards). An empty picture or page gives an empty size.
QSize fitToPage(QSize picture, QSize page);

// Prints `widget`'s client area as it is drawn now (QWidget::grab()) on the default printer
// under the job title `jobTitle`. The widget need not be on the screen.
void printWidget(QWidget& widget, const QString& jobTitle);

// The same on the printer `printer` (a null QPrinterInfo means there is no printer).
void printWidget(QWidget& widget, const QString& jobTitle, const QPrinterInfo& printer);

// The same through a printer set up by the caller (its output file, page layout and
// resolution stay as given): the job's document name becomes `jobTitle`.
void printWidget(QWidget& widget, const QString& jobTitle, QPrinter& printer);

// Prints `picture`, `logicalSize` pixels as the screen shows it, stretched to
// fitToPage(logicalSize, page) at the top left corner of the page's printable area.
void printPicture(const QPixmap& picture, QSize logicalSize, const QString& jobTitle,
                  QPrinter& printer);

} // namespace hc

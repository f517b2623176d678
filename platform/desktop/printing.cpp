#include "platform/desktop/printing.h"

#include "archive/error.h"

#include <QPainter>
#include <QPixmap>
#include <QPrinter>
#include <QPrinterInfo>
#include <QWidget>

#include <cstdint>

namespace hc {

namespace {

// numerator ÷ denominator rounded to the nearest whole number, halves upwards; both positive.
int roundedQuotient(std::int64_t numerator, std::int64_t denominator) {
    return static_cast<int>((2 * numerator + denominator) / (2 * denominator));
}

std::string quoted(const QString& title) {
    return "\"" + title.toStdString() + "\"";
}

} // namespace

QSize fitToPage(QSize picture, QSize page) {
    if (picture.isEmpty() || page.isEmpty()) {
        return {};
    }
    const std::int64_t w = picture.width();
    const std::int64_t h = picture.height();
    const int width = roundedQuotient(w * page.height(), h);
    if (width < page.width()) {
        return {width, page.height()};
    }
    return {page.width(), roundedQuotient(h * page.width(), w)};
}

void printWidget(QWidget& widget, const QString& jobTitle) {
    printWidget(widget, jobTitle, QPrinterInfo::defaultPrinter());
}

void printWidget(QWidget& widget, const QString& jobTitle, const QPrinterInfo& printer) {
    if (printer.isNull()) {
        throw Error("There is no default printer");
    }
    QPrinter device(printer, QPrinter::HighResolution);
    if (!device.isValid()) {
        throw Error("The printer " + quoted(printer.printerName()) + " is not available");
    }
    printWidget(widget, jobTitle, device);
}

void printWidget(QWidget& widget, const QString& jobTitle, QPrinter& printer) {
    const QPixmap picture = widget.grab();
    printPicture(picture, widget.size(), jobTitle, printer);
}

void printPicture(const QPixmap& picture, QSize logicalSize, const QString& jobTitle,
                  QPrinter& printer) {
    if (picture.isNull() || logicalSize.isEmpty()) {
        throw Error("Cannot print " + quoted(jobTitle) + ": there is nothing to print");
    }
    printer.setDocName(jobTitle);
    QPainter painter;
    if (!painter.begin(&printer)) {
        throw Error("Cannot print " + quoted(jobTitle) + ": the printer cannot start the job");
    }
    // The painter's device is the printable area, in printer pixels, its origin at that
    // area's top left corner.
    const QSize page(printer.width(), printer.height());
    const QSize size = fitToPage(logicalSize, page);
    if (size.isEmpty()) {
        printer.abort();
        painter.end();
        throw Error("Cannot print " + quoted(jobTitle) + ": the page has no printable area");
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(QRect(QPoint(0, 0), size), picture);
    if (!painter.end() || printer.printerState() == QPrinter::Error ||
        printer.printerState() == QPrinter::Aborted) {
        throw Error("Printing " + quoted(jobTitle) + " failed");
    }
}

} // namespace hc

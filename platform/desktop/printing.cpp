#include "platform/desktop/printing.h"

#include "archive/error.h"

#include <QPainter>
#include <QPicture>
#include <QPixmap>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRegion>
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

QPixmap printablePicture(QWidget& widget) {
    constexpr qreal kDetail = 3.0;
    if (widget.size().isEmpty()) {
        return {};
    }
    QPixmap picture(widget.size() * kDetail);
    picture.setDevicePixelRatio(kDetail);
    picture.fill(Qt::white);
    widget.render(&picture, QPoint(), QRegion(),
                  QWidget::DrawWindowBackground | QWidget::DrawChildren);
    return picture;
}

void printWidget(QWidget& widget, const QString& jobTitle, QPrinter& printer) {
    printPicture(printablePicture(widget), widget.size(), jobTitle, printer);
}

void printPicture(const QPixmap& picture, QSize logicalSize, const QString& jobTitle,
                  QPrinter& printer) {
    if (picture.isNull() || logicalSize.isEmpty()) {
        throw Error("Cannot print " + quoted(jobTitle) + ": there is nothing to print");
    }
    PicturePages job(printer, jobTitle);
    job.add(picture, logicalSize);
    job.finish();
}

PicturePages::PicturePages(QPrinter& printer, const QString& jobTitle)
    : m_printer(printer), m_title(jobTitle), m_painter(std::make_unique<QPainter>()) {
    m_printer.setDocName(jobTitle);
    // The job's units are the screen's: a widget's drawing, recorded at the screen's resolution,
    // then replays with its fonts at the size they have next to its lines. Nothing is lost by it:
    // text and lines stay drawing commands and pictures keep every pixel.
    m_printer.setResolution(QPicture().logicalDpiY());
    if (!m_painter->begin(&m_printer)) {
        throw Error("Cannot print " + quoted(m_title) + ": the printer cannot start the job");
    }
    // Pictures of screens are text and flat colours: stored without loss, they print sharp.
    m_painter->setRenderHint(QPainter::SmoothPixmapTransform);
    m_painter->setRenderHint(QPainter::LosslessImageRendering);
}

PicturePages::~PicturePages() {
    if (m_painter->isActive()) {
        m_printer.abort();
        m_painter->end();
    }
}

QSize PicturePages::nextPage(QSize logicalSize) {
    if (logicalSize.isEmpty()) {
        throw Error("Cannot print " + quoted(m_title) + ": there is nothing to print");
    }
    // The painter's device is the printable area, in printer pixels, its origin at that
    // area's top left corner.
    const QSize page(m_printer.width(), m_printer.height());
    const QSize size = fitToPage(logicalSize, page);
    if (size.isEmpty()) {
        throw Error("Cannot print " + quoted(m_title) + ": the page has no printable area");
    }
    if (m_pages > 0 && !m_printer.newPage()) {
        throw Error("Printing " + quoted(m_title) + " failed");
    }
    ++m_pages;
    return size;
}

void PicturePages::add(const QPixmap& picture, QSize logicalSize) {
    if (picture.isNull()) {
        throw Error("Cannot print " + quoted(m_title) + ": there is nothing to print");
    }
    const QSize size = nextPage(logicalSize);
    m_painter->drawPixmap(QRect(QPoint(0, 0), size), picture);
}

void PicturePages::add(QWidget& widget) {
    const QSize logical = widget.size();
    const QSize size = nextPage(logical);
    m_painter->save();
    m_painter->scale(static_cast<qreal>(size.width()) / logical.width(),
                     static_cast<qreal>(size.height()) / logical.height());
    // White behind the widget, as its picture has; the widget then draws itself on top. A
    // widget drawn straight onto a printer would be drawn into a picture first: its drawing is
    // recorded instead and replayed on the page, so the page gets the drawing commands (text,
    // lines, fills) themselves.
    m_painter->fillRect(QRect(QPoint(0, 0), logical), Qt::white);
    QPicture drawing;
    widget.render(&drawing, QPoint(), QRegion(),
                  QWidget::DrawWindowBackground | QWidget::DrawChildren);
    m_painter->drawPicture(0, 0, drawing);
    m_painter->restore();
}

void PicturePages::finish() {
    if (m_pages == 0) {
        throw Error("Cannot print " + quoted(m_title) + ": there is nothing to print");
    }
    if (!m_painter->end() || m_printer.printerState() == QPrinter::Error ||
        m_printer.printerState() == QPrinter::Aborted) {
        throw Error("Printing " + quoted(m_title) + " failed");
    }
}

} // namespace hc

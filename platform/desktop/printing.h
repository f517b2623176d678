#pragma once

#include <QSize>
#include <QString>

#include <memory>

class QImage;
class QPainter;
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

// A picture of `widget`'s client area as it is drawn now, for a printer: `widget.size()` logical
// pixels drawn at three times the screen's detail (text and lines stay sharp when the picture
// is scaled to a page). The widget need not be on the screen.
QPixmap printablePicture(QWidget& widget);

// Prints `widget`'s client area as it is drawn now (printablePicture()) on the default printer
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

// One print job of whole pages, for what does not fit on one page: each page is printed as
// printPicture() prints its one picture, on a page of its own, in the order added.
//
//     PicturePages job(printer, title);   // begins the job
//     for (...) job.add(form);            // or job.add(pageN.grab(), pageN.size())
//     job.finish();                       // ends it; throws when it failed
//
// A job left unfinished (an exception on the way) is aborted when the object goes.
class PicturePages {
public:
    // Begins the job under `jobTitle`; throws when the printer cannot start it.
    PicturePages(QPrinter& printer, const QString& jobTitle);
    ~PicturePages();
    PicturePages(const PicturePages&) = delete;
    PicturePages& operator=(const PicturePages&) = delete;

    // Prints `picture` (`logicalSize` pixels as the screen shows it) on the next page.
    void add(const QPixmap& picture, QSize logicalSize);
    // Prints `widget`'s client area as it is drawn now on the next page, placed and scaled as a
    // picture of it would be, but drawn by the widget itself: its text stays text and its lines
    // stay lines, sharp at any zoom, and a page takes a few kilobytes, not a picture's
    // megabyte. The widget need not be on the screen.
    void add(QWidget& widget);
    // Ends the job. Throws when it failed, or when no page was added.
    void finish();

private:
    // The place of the next page's content, `logicalSize` fitted to the page; starts the page.
    QSize nextPage(QSize logicalSize);

    QPrinter& m_printer;
    QString m_title;
    std::unique_ptr<QPainter> m_painter;
    int m_pages = 0;
};

} // namespace hc

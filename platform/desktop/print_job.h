#pragma once

#include <QPageLayout>
#include <QPrinterInfo>
#include <QString>

#include <functional>
#include <memory>

class QPrinter;
class QProgressDialog;
class QWidget;

namespace hc {

// Runs one print job on the default printer under `jobTitle`, `printPages` drawing the pages
// (it may call printer.newPage()). With no printer installed at all, offers a save dialog for a
// PDF of the same pages instead (suggested name `pdfFileName` in the user's Documents folder)
// and writes it there. Returns false only when the user cancelled that dialog. A job that
// fails on a real printer throws hc::Error (shown in the standard error box by the caller's
// event handler).
//
// `printPages` receives a printer that is set up and not yet begun: it begins the job with a
// painter (or through printPicture(), printWidget(widget, title, printer) or PicturePages) and
// ends it. An hc::Error it throws goes to the caller as it is. A PDF that cannot be written
// throws hc::Error too; an unfinished file is not left behind.
//
// `printPages` may throw PrintCancelled (PrintProgress does when the user presses Cancel): the
// job then ends unprinted, no PDF is left, and the result is false as for a cancelled dialog.
bool printOrSavePdf(QWidget* parent, const QString& jobTitle, const QString& pdfFileName,
                    const std::function<void(QPrinter&)>& printPages);

// The user cancelled a print job while its pages were drawn.
struct PrintCancelled {};

// The progress of a print job of many pages: a dialog over `parent` that shows how many pages
// are done, with Cancel. It appears only when the job takes longer than a moment, and goes with
// the object.
class PrintProgress {
public:
    PrintProgress(QWidget* parent, const QString& jobTitle, int pages);
    ~PrintProgress();
    PrintProgress(const PrintProgress&) = delete;
    PrintProgress& operator=(const PrintProgress&) = delete;

    // Page `page` (from 0) is to be drawn next. Throws PrintCancelled when the user has pressed
    // Cancel.
    void page(int page);

private:
    std::unique_ptr<QProgressDialog> m_dialog;
};

// The printers the job can use: whether any is installed, and the default one (null when none
// is set).
struct InstalledPrinters {
    bool any = false;
    QPrinterInfo defaultPrinter;
};

// Asks the system which printers are installed.
InstalledPrinters systemPrinters();

// Seams for tests, which must neither print on a real printer nor wait for a dialog.
//
// The save dialog: receives the parent and the suggested full path, returns the chosen path
// or an empty text for Cancel. Passing nullptr restores the real dialog.
using PdfSaveDialog = std::function<QString(QWidget* parent, const QString& suggestedPath)>;
void setPdfSaveDialog(PdfSaveDialog dialog);

// The printer query. Passing nullptr restores systemPrinters().
using PrinterQuery = std::function<InstalledPrinters()>;
void setPrinterQuery(PrinterQuery query);

// The page of the PDF: Letter where the user's locale measures in inches, else A4, portrait,
// with margins of half an inch, as a printer's printable area would have.
QPageLayout pdfPageLayout();

// The folder the PDF is suggested in: the user's Documents folder when it exists, else the
// home folder.
QString pdfFolder();

} // namespace hc

#include "platform/desktop/print_job.h"

#include "archive/error.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLocale>
#include <QMarginsF>
#include <QPageSize>
#include <QPrinter>
#include <QProgressDialog>
#include <QStandardPaths>

#include <utility>

namespace hc {

namespace {

// The save dialog: it asks before replacing a file, and a name typed without an extension
// gets ".pdf".
QString realSaveDialog(QWidget* parent, const QString& suggestedPath) {
    QFileDialog dialog(parent, QStringLiteral("No printer is installed: save as PDF"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(QStringLiteral("PDF files (*.pdf)"));
    dialog.setDefaultSuffix(QStringLiteral("pdf"));
    dialog.setDirectory(QFileInfo(suggestedPath).absolutePath());
    dialog.selectFile(QFileInfo(suggestedPath).fileName());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().constFirst();
}

PdfSaveDialog& saveDialog() {
    static PdfSaveDialog dialog = realSaveDialog;
    return dialog;
}

PrinterQuery& printerQuery() {
    static PrinterQuery query = systemPrinters;
    return query;
}

std::string quoted(const QString& text) {
    return "\"" + text.toStdString() + "\"";
}

// The PDF is written to a file beside the chosen one and renamed over it only once the job
// has ended well, so a failed job leaves neither a broken PDF nor a lost earlier one.
bool savePdf(const QString& path, const QString& jobTitle,
             const std::function<void(QPrinter&)>& printPages) {
    const QString partial = path + QStringLiteral(".part");
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(partial);
    printer.setPageLayout(pdfPageLayout());
    printer.setDocName(jobTitle);
    try {
        printPages(printer);
    } catch (...) {
        QFile::remove(partial);
        throw;
    }
    if (!QFileInfo::exists(partial)) {
        throw Error("Cannot write the PDF file " + quoted(QDir::toNativeSeparators(path)));
    }
    QFile::remove(path);
    if (!QFile::rename(partial, path)) {
        QFile::remove(partial);
        throw Error("Cannot write the PDF file " + quoted(QDir::toNativeSeparators(path)));
    }
    return true;
}

} // namespace

InstalledPrinters systemPrinters() {
    InstalledPrinters printers;
    printers.any = !QPrinterInfo::availablePrinterNames().isEmpty();
    printers.defaultPrinter = QPrinterInfo::defaultPrinter();
    return printers;
}

void setPdfSaveDialog(PdfSaveDialog dialog) {
    saveDialog() = dialog ? std::move(dialog) : PdfSaveDialog(realSaveDialog);
}

void setPrinterQuery(PrinterQuery query) {
    printerQuery() = query ? std::move(query) : PrinterQuery(systemPrinters);
}

QPageLayout pdfPageLayout() {
    const bool inches = QLocale().measurementSystem() == QLocale::ImperialUSSystem;
    return QPageLayout(QPageSize(inches ? QPageSize::Letter : QPageSize::A4), QPageLayout::Portrait,
                       QMarginsF(36, 36, 36, 36), QPageLayout::Point);
}

QString pdfFolder() {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QFileInfo(documents).isDir()) {
        return documents;
    }
    return QDir::homePath();
}

bool printOrSavePdf(QWidget* parent, const QString& jobTitle, const QString& pdfFileName,
                    const std::function<void(QPrinter&)>& printPages) {
    const InstalledPrinters printers = printerQuery()();
    if (!printers.any) {
        const QString suggested = QDir(pdfFolder()).filePath(pdfFileName);
        const QString chosen = saveDialog()(parent, suggested);
        if (chosen.isEmpty()) {
            return false;
        }
        try {
            return savePdf(chosen, jobTitle, printPages);
        } catch (const PrintCancelled&) {
            return false;
        }
    }
    if (printers.defaultPrinter.isNull()) {
        throw Error("There is no default printer");
    }
    QPrinter printer(printers.defaultPrinter, QPrinter::HighResolution);
    if (!printer.isValid()) {
        throw Error("The printer " + quoted(printers.defaultPrinter.printerName()) +
                    " is not available");
    }
    printer.setDocName(jobTitle);
    try {
        printPages(printer);
    } catch (const PrintCancelled&) {
        return false;
    }
    if (printer.printerState() == QPrinter::Error || printer.printerState() == QPrinter::Aborted) {
        throw Error("Printing " + quoted(jobTitle) + " failed");
    }
    return true;
}

PrintProgress::PrintProgress(QWidget* parent, const QString& jobTitle, int pages)
    : m_dialog(std::make_unique<QProgressDialog>(QStringLiteral("Printing %1...").arg(jobTitle),
                                                 QStringLiteral("Cancel"), 0, pages, parent)) {
    m_dialog->setObjectName(QStringLiteral("PrintProgress"));
    m_dialog->setWindowTitle(jobTitle);
    m_dialog->setWindowModality(Qt::ApplicationModal);
    m_dialog->setAutoClose(false);
    m_dialog->setAutoReset(false);
    // A job of a page or two is over before a dialog would be seen.
    m_dialog->setMinimumDuration(400);
    m_dialog->setValue(0);
}

PrintProgress::~PrintProgress() = default;

void PrintProgress::page(int page) {
    // Setting the value lets the dialog paint and take a press of Cancel.
    m_dialog->setValue(page);
    if (m_dialog->wasCanceled()) {
        throw PrintCancelled();
    }
}

} // namespace hc

// honeycomb: the student program.

#include "archive/erf_reader.h"
#include "archive/erf_result.h"
#include "archive/error.h"
#include "archive/temp_files.h"
#include "content/pictures.h"
#include "datafiles/class_folder.h"
#include "datafiles/settings.h"
#include "platform/desktop/application.h"
#include "platform/desktop/display.h"
#include "platform/desktop/end_signals.h"
#include "platform/desktop/event_wait.h"
#include "platform/desktop/message_box.h"
#include "platform/desktop/single_instance.h"
#include "platform/media/media_system.h"
#include "student/shell/main_menu.h"
#include "student/shell/paint_trace.h"
#include "student/shell/program_state.h"

#include <QAccessibleWidget>
#include <QIcon>
#include <QKeyEvent>
#include <QThread>

#include <memory>

namespace {

const QString kTitle = QStringLiteral("Honeycombwordsmiths");

// The title's start area is a picture that a click, Enter or Space starts. To assistive
// technology (a screen reader, a switch) it is a button named "Start" that can be pressed,
// which presses Enter on it as a keyboard user would.
class StartAreaAccessible final : public QAccessibleWidget {
public:
    explicit StartAreaAccessible(QWidget* area) : QAccessibleWidget(area, QAccessible::Button) {}

    QString text(QAccessible::Text kind) const override {
        return kind == QAccessible::Name ? QStringLiteral("Start") : QAccessibleWidget::text(kind);
    }
    QStringList actionNames() const override {
        return QAccessibleWidget::actionNames() << pressAction();
    }
    void doAction(const QString& action) override {
        if (action != pressAction()) {
            QAccessibleWidget::doAction(action);
            return;
        }
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QCoreApplication::sendEvent(widget(), &press);
    }
};

QAccessibleInterface* startAreaFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("QWidget") && object != nullptr && object->isWidgetType() &&
        object->objectName() == QLatin1String("StartPanel")) {
        return new StartAreaAccessible(static_cast<QWidget*>(object));
    }
    return nullptr;
}

} // namespace

int main(int argc, char** argv) {
    // The settings code returns to this directory before it opens OPTIONS.DAT; once the class
    // folder is known, that folder takes its place.
    hc::setStartDirectory();
    std::string optionError;
    const std::optional<std::string> folderOption =
        hc::takeClassFolderOption(argc, argv, optionError);

    hc::Application app(argc, argv);
    app.setTitle(kTitle);
    app.setApplicationName(QStringLiteral("honeycomb"));
    // The launcher's name: a Wayland compositor finds the program's icon and menu entry by it.
    app.setDesktopFileName(QStringLiteral("org.honeycombwordsmiths.Honeycombwordsmiths"));
    QAccessible::installFactory(startAreaFactory);
    // The program ends when the main menu closes (or the first login is cancelled), not when
    // its last visible window happens to close while one screen gives way to another.
    app.setQuitOnLastWindowClosed(false);
    hc::pictures::registerPictures();
    QIcon icon(QString::fromLatin1(hc::pictures::kHoneycombIcon));
    icon.addFile(QString::fromLatin1(hc::pictures::kHoneycombIconSmall));
    app.setWindowIcon(icon);
    hc::student::PaintTrace::installIfRequested();

    const hc::SingleInstance instance("honeycomb");
    if (instance.anotherCopyRunning()) {
        hc::showMessage(app.messageBoxes(),
                        QStringLiteral("Only one copy of Honeycombwordsmiths is allowed to be running."),
                        kTitle, hc::MessageIcon::Error);
        return 0;
    }
    if (hc::displayPaletteColours() != 0) {
        hc::showMessage(app.messageBoxes(),
                        QStringLiteral("Honeycombwordsmiths requires more than 256 colors."), kTitle,
                        hc::MessageIcon::Error);
        return 0;
    }

    // Everything of the class is read and written in its folder; a folder that cannot be used
    // is named, and the program ends without making one anywhere else.
    hc::ClassFolder classFolder;
    try {
        if (!optionError.empty()) {
            throw hc::ClassFolderError(optionError + ".");
        }
        classFolder = hc::resolveClassFolder(hc::classFolderInputs(folderOption));
        hc::enterClassFolder(classFolder);
    } catch (const hc::ClassFolderError& error) {
        hc::showMessage(app.messageBoxes(), QString::fromStdString(error.what()), kTitle,
                        hc::MessageIcon::Error);
        return 1;
    }

    // A log-out, a closed terminal or Ctrl+C ends the program as Exit does, without asking:
    // every event loop ends, nested ones included, and the ending below runs as usual.
    const hc::EndOnSignals endOnSignals([] { QCoreApplication::exit(0); });

    ErfCloseAll();
    std::unique_ptr<hc::media::MediaSystem> media;
    std::unique_ptr<hc::student::ProgramState> state;
    std::unique_ptr<hc::student::TMainMenuForm> menu;
    app.guard([&] {
        ErfTempFileManagerStartUp();
        // Extraction lets the user interface run between pieces of a long entry.
        SetExtractionPump([] { hc::processPendingEvents(); });
        const ErfResult opened =
            ErfOpenArchive(classFolder.archive.c_str(), false, nullptr, nullptr);
        if (opened != 0) {
            throw hc::Error(std::string("ERFlib error (Opening DATA.ERF): ") +
                            ErfResultMessage(opened));
        }
        media = std::make_unique<hc::media::MediaSystem>();
        state = std::make_unique<hc::student::ProgramState>(app, *media);
        menu = std::make_unique<hc::student::TMainMenuForm>(*state);
        // A start sequence that fails at a step of its own has shown its message: the program
        // ends, and the menu's destruction deletes what was extracted.
        // A signal during the opening sequence has ended its loops already.
        if (app.guard([&] { menu->FormCreate(); }) && !hc::EndOnSignals::signalled()) {
            app.exec();
        }
    });

    // The farewell sound of a cancelled login is let finish.
    for (int waited = 0;
         media && !hc::EndOnSignals::signalled() && media->programSoundPlaying() && waited < 2000;
         waited += 20) {
        hc::processPendingEvents();
        QThread::msleep(20);
    }
    ErfCloseAll();
    ErfTempFileManagerExit();
    menu.reset();
    state.reset();
    media.reset();
    // Whatever a screen cut short by a signal still held goes too.
    hc::releaseAllTempFiles();
    return 0;
}

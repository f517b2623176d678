// honeycomb: the student program.

#include "archive/erf_reader.h"
#include "archive/erf_result.h"
#include "archive/error.h"
#include "archive/temp_files.h"
#include "content/pictures.h"
#include "datafiles/settings.h"
#include "platform/desktop/application.h"
#include "platform/desktop/display.h"
#include "platform/desktop/event_wait.h"
#include "platform/desktop/message_box.h"
#include "platform/desktop/single_instance.h"
#include "platform/media/media_system.h"
#include "student/shell/main_menu.h"
#include "student/shell/paint_trace.h"
#include "student/shell/program_state.h"

#include <QIcon>
#include <QThread>

#include <memory>

namespace {

const QString kTitle = QStringLiteral("Honeycombwordsmiths");

} // namespace

int main(int argc, char** argv) {
    // The settings code returns to this directory before it opens OPTIONS.DAT.
    hc::setStartDirectory();

    hc::Application app(argc, argv);
    app.setTitle(kTitle);
    app.setApplicationName(QStringLiteral("honeycomb"));
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

    ErfCloseAll();
    std::unique_ptr<hc::media::MediaSystem> media;
    std::unique_ptr<hc::student::ProgramState> state;
    std::unique_ptr<hc::student::TMainMenuForm> menu;
    app.guard([&] {
        ErfTempFileManagerStartUp();
        // Extraction lets the user interface run between pieces of a long entry.
        SetExtractionPump([] { hc::processPendingEvents(); });
        const ErfResult opened = ErfOpenArchive("DATA.ERF", false, nullptr, nullptr);
        if (opened != 0) {
            throw hc::Error(std::string("ERFlib error (Opening DATA.ERF): ") +
                            ErfResultMessage(opened));
        }
        media = std::make_unique<hc::media::MediaSystem>();
        state = std::make_unique<hc::student::ProgramState>(app, *media);
        menu = std::make_unique<hc::student::TMainMenuForm>(*state);
        // A start sequence that fails at a step of its own has shown its message: the program
        // ends, and the menu's destruction deletes what was extracted.
        if (app.guard([&] { menu->FormCreate(); })) {
            app.exec();
        }
    });

    // The farewell sound of a cancelled login is let finish.
    for (int waited = 0; media && media->programSoundPlaying() && waited < 2000; waited += 20) {
        hc::processPendingEvents();
        QThread::msleep(20);
    }
    ErfCloseAll();
    ErfTempFileManagerExit();
    menu.reset();
    state.reset();
    media.reset();
    return 0;
}

// The options program: the teacher's settings, word list and users, behind the password box.

#include "options/form_support.h"
#include "options/options_program.h"

#include "content/pictures.h"
#include "datafiles/class_folder.h"
#include "datafiles/settings.h"
#include "platform/desktop/application.h"
#include "platform/desktop/end_signals.h"
#include "platform/desktop/message_box.h"

#include <QIcon>

#include <memory>

int main(int argc, char** argv) {
    // OPTIONS.DAT, the users and the word list are those of the class folder: the start folder
    // when it holds DATA.ERF, else the one named by the option, the environment, the system
    // setting or the account's default.
    hc::setStartDirectory();
    std::string optionError;
    const std::optional<std::string> folderOption =
        hc::takeClassFolderOption(argc, argv, optionError);
    hc::Application application(argc, argv);
    application.setTitle(hc::kOptionsTitle);
    // The launcher's name: a Wayland compositor finds the program's icon and menu entry by it.
    application.setDesktopFileName(QStringLiteral("org.honeycombwordsmiths.Honeycombsettings"));
    // The program ends when its main form closes, not when no window happens to be shown.
    application.setQuitOnLastWindowClosed(false);
    hc::pictures::registerPictures();
    QIcon icon(QString::fromLatin1(hc::pictures::kOptionsIcon));
    icon.addFile(QString::fromLatin1(hc::pictures::kOptionsIconSmall));
    application.setWindowIcon(icon);

    try {
        if (!optionError.empty()) {
            throw hc::ClassFolderError(optionError + ".");
        }
        hc::enterClassFolder(hc::resolveClassFolder(hc::classFolderInputs(folderOption)));
    } catch (const hc::ClassFolderError& error) {
        hc::showMessage(application.messageBoxes(), QString::fromStdString(error.what()),
                        hc::kOptionsTitle, hc::MessageIcon::Error);
        return 1;
    }

    // A log-out, a closed terminal or Ctrl+C ends the program without asking and without
    // saving the form's unsaved edits, as Cancel does: Exit would check every field and ask
    // about those it refuses, and settings half checked must never be written.
    const hc::EndOnSignals endOnSignals([] { QCoreApplication::exit(0); });

    std::unique_ptr<hc::OptionsProgram> program;
    bool ended = false;
    const bool created = application.guard([&] {
        program = std::make_unique<hc::OptionsProgram>(application);
        QObject::connect(program.get(), &hc::OptionsProgram::ended, &application, [&ended] {
            ended = true;
            QCoreApplication::quit();
        });
        program->start();
    });
    if (!created || ended || hc::EndOnSignals::signalled()) {
        return 0;
    }
    return application.exec();
}

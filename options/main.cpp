// The options program: the teacher's settings, word list and users, behind the password box.

#include "options/form_support.h"
#include "options/options_program.h"

#include "content/pictures.h"
#include "datafiles/settings.h"
#include "platform/desktop/application.h"

#include <QIcon>

#include <memory>

int main(int argc, char** argv) {
    // OPTIONS.DAT is always the one of the directory the program was started in.
    hc::setStartDirectory();
    hc::Application application(argc, argv);
    application.setTitle(hc::kOptionsTitle);
    // The program ends when its main form closes, not when no window happens to be shown.
    application.setQuitOnLastWindowClosed(false);
    hc::pictures::registerPictures();
    QIcon icon(QString::fromLatin1(hc::pictures::kOptionsIcon));
    icon.addFile(QString::fromLatin1(hc::pictures::kOptionsIconSmall));
    application.setWindowIcon(icon);

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
    if (!created || ended) {
        return 0;
    }
    return application.exec();
}

#pragma once

#include "options/pages/options_page.h"

#include <QRect>
#include <QStringList>

#include <initializer_list>

class QLineEdit;

namespace hc {

struct StoredPath;

// The Directories page: the user file on hard disk or network, the one on a floppy disk, and
// the word list, each a file-name field with a browse button.
//
// The fields are taken over into the settings when a page that reads them is entered (Users,
// Word List) and on Exit; until then the settings keep the files they named.
class DirectoriesPage : public OptionsPage {
public:
    enum Field { HDfile, FloppyFile, WordFile };

    // `chooseFile` is the form's open dialog, behind every browse button.
    DirectoriesPage(Application& application, ChooseFile chooseFile);

    void fill(const SettingsRecord& settings) override;
    // The first field, in the page's order, whose path the settings cannot store.
    std::optional<std::string> problem() const override;
    void write(SettingsRecord& settings) const override;

    // Takes the fields `which` over into Settings; false after a message, with Settings
    // unchanged, when one cannot be stored.
    bool takeOver(std::initializer_list<Field> which);
    // The path a field names, as the settings would store it.
    StoredPath stored(Field field) const;
    // The folder the word list field's file lies in, where the import dialog opens.
    QString wordListFolder() const;

    // The folder the floppy file's dialog opens in: the first of `mediaRoots` + "/" + `user`
    // that is a folder (the removable media of that user), else `home`.
    static QString floppyStartFolder(const QStringList& mediaRoots, const QString& user,
                                     const QString& home);

private:
    // The button that fills `field` from an open dialog; `tip` is also its accessible name.
    void addBrowseButton(Field field, const char* name, QRect geometry, const QString& tip);
    // Fills the field with the file its open dialog chose, if any.
    void browse(Field field);
    // The folder a file-name field's file lies in, where its dialog opens; the start directory
    // when that folder does not exist.
    static QString folderOf(const QLineEdit& field);

    ChooseFile m_chooseFile;
    QLineEdit* m_fields[3] = {};
};

} // namespace hc

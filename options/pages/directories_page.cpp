#include "options/pages/directories_page.h"

#include "options/form_rules.h"
#include "options/form_support.h"

#include "datafiles/settings.h"
#include "platform/desktop/application.h"
#include "platform/desktop/ui_kit.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QToolButton>

#include <algorithm>
#include <utility>
#include <vector>

namespace hc {

namespace {

// A label above each field, the browse button at the field's right.
constexpr QRect kHDfileLabel(8, 10, 340, 16);
constexpr QRect kHDfile(8, 28, 340, 22);
constexpr QRect kHDfileBrowse(350, 28, 26, 22);
constexpr QRect kFloppyFileLabel(8, 66, 340, 16);
constexpr QRect kFloppyFile(8, 84, 340, 22);
constexpr QRect kFloppyFileBrowse(350, 84, 26, 22);
constexpr QRect kWordFileLabel(8, 122, 340, 16);
constexpr QRect kWordFile(8, 140, 340, 22);
constexpr QRect kWordFileBrowse(350, 140, 26, 22);

// What each field edits: the label that names it in messages, its place in the settings, and
// what its browse button's dialog asks for.
struct FileSetting {
    const char* label;
    char (SettingsRecord::*setting)[256];
    // No floppy file is a choice: the Users page's toggle then lists nothing.
    bool mayBeEmpty;
    const char* dialogTitle;
    const char* filter;
    const char* suffix;
};
constexpr FileSetting kSettings[3] = {
    {"User file on hard disk or network", &SettingsRecord::HDfile, false,
     "User File on Hard Disk or Network", "ERF files (*.ERF *.erf)", "ERF"},
    {"User file on floppy disk", &SettingsRecord::FloppyFile, true, "User File on Floppy Disk",
     "ERF files (*.ERF *.erf)", "ERF"},
    {"Word List file", &SettingsRecord::WordFile, false, "Word List file",
     "Text files (*.TXT *.txt)", "TXT"}};

// The user's name for the removable-media folders.
QString userName() {
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty()) {
        user = QDir::home().dirName();
    }
    return user;
}

} // namespace

DirectoriesPage::DirectoriesPage(Application& application, ChooseFile chooseFile)
    : OptionsPage(application), m_chooseFile(std::move(chooseFile)) {
    setObjectName("Directories");
    m_fields[HDfile] = place(new QLineEdit(this), "HDfile", kHDfile);
    addLabel(this, "HDfileLabel", "User file on hard disk or network:", kHDfileLabel,
             m_fields[HDfile]);
    addBrowseButton(HDfile, "HDfileBrowse", kHDfileBrowse,
                    "Choose the user file on hard disk or network");
    m_fields[FloppyFile] = place(new QLineEdit(this), "FloppyFile", kFloppyFile);
    addLabel(this, "FloppyFileLabel", "User file on floppy disk:", kFloppyFileLabel,
             m_fields[FloppyFile]);
    addBrowseButton(FloppyFile, "FloppyFileBrowse", kFloppyFileBrowse,
                    "Choose the user file on floppy disk");
    m_fields[WordFile] = place(new QLineEdit(this), "WordFile", kWordFile);
    addLabel(this, "WordFileLabel", "Word List file:", kWordFileLabel, m_fields[WordFile]);
    addBrowseButton(WordFile, "WordFileBrowse", kWordFileBrowse, "Choose the word list file");
}

void DirectoriesPage::addBrowseButton(Field field, const char* name, QRect geometry,
                                      const QString& tip) {
    auto* button = place(new QToolButton(this), name, geometry, tip);
    button->setText("...");
    button->setToolTip(tip);
    pressOnEnter(*button);
    connect(button, &QToolButton::clicked, this,
            [this, field] { this->application().guard([this, field] { browse(field); }); });
}

// --- The fields and the settings --------------------------------------------------------------

void DirectoriesPage::fill(const SettingsRecord& settings) {
    for (const Field field : {HDfile, FloppyFile, WordFile}) {
        m_fields[field]->setText(shownText(textOf(settings.*kSettings[field].setting)));
    }
}

StoredPath DirectoriesPage::stored(Field field) const {
    return storedPathOf(m_fields[field]->text().toStdString(), kSettings[field].label,
                        kSettings[field].mayBeEmpty);
}

std::optional<std::string> DirectoriesPage::problem() const {
    for (const Field field : {HDfile, FloppyFile, WordFile}) {
        const StoredPath path = stored(field);
        if (!path.ok()) {
            return path.problem;
        }
    }
    return std::nullopt;
}

void DirectoriesPage::write(SettingsRecord& settings) const {
    for (const Field field : {HDfile, FloppyFile, WordFile}) {
        setText(settings.*kSettings[field].setting, stored(field).bytes);
    }
}

bool DirectoriesPage::takeOver(std::initializer_list<Field> which) {
    std::vector<std::pair<Field, std::string>> taken;
    for (const Field field : which) {
        const StoredPath path = stored(field);
        if (!path.ok()) {
            tell(QString::fromStdString(path.problem), MessageIcon::Error);
            return false;
        }
        taken.emplace_back(field, path.bytes);
    }
    for (const auto& [field, bytes] : taken) {
        setText(Settings.*kSettings[field].setting, bytes);
    }
    return true;
}

// --- Browsing ---------------------------------------------------------------------------------

QString DirectoriesPage::floppyStartFolder(const QStringList& mediaRoots, const QString& user,
                                           const QString& home) {
    for (const QString& root : mediaRoots) {
        const QString folder = QDir(root).filePath(user);
        if (!user.isEmpty() && QFileInfo(folder).isDir()) {
            return folder;
        }
    }
    return home;
}

QString DirectoriesPage::folderOf(const QLineEdit& field) {
    // A stored path may separate its folders with backslashes, and is relative to the start
    // directory.
    QString path = field.text();
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QString start = QString::fromStdString(startDirectory());
    const QString folder = QFileInfo(QDir(start).absoluteFilePath(path)).absolutePath();
    return QFileInfo(folder).isDir() ? folder : start;
}

QString DirectoriesPage::wordListFolder() const {
    return folderOf(*m_fields[WordFile]);
}

void DirectoriesPage::browse(Field field) {
    // The floppy file's dialog opens on the removable media, the others where their file is.
    const QString start = field == FloppyFile ? floppyStartFolder({"/media", "/run/media"},
                                                                  userName(), QDir::homePath())
                                              : folderOf(*m_fields[field]);
    const FileSetting& setting = kSettings[field];
    const QString chosen =
        m_chooseFile({setting.dialogTitle, setting.filter, setting.suffix, start});
    if (!chosen.isEmpty()) {
        m_fields[field]->setText(QDir::toNativeSeparators(chosen));
    }
}

} // namespace hc

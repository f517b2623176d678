#include "options/pages/directories_page.h"

#include "options/form_rules.h"
#include "options/form_support.h"

#include "datafiles/settings.h"
#include "platform/desktop/application.h"

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
constexpr int kFileRows[3] = {10, 66, 122};
constexpr int kFileLeft = 8, kFileWidth = 340, kBrowseWidth = 26, kLabelHeight = 16;
constexpr int kFieldHeight = 22;

// What each field edits: the label that names it in messages, its place in the settings, and
// what its browse button's dialog asks for.
struct FileSetting {
    const char* name;
    const char* caption; // of the label above the field
    const char* browseTip;
    const char* label;
    char (SettingsRecord::*setting)[256];
    // No floppy file is a choice: the Users page's toggle then lists nothing.
    bool mayBeEmpty;
    const char* dialogTitle;
    const char* filter;
    const char* suffix;
};
constexpr FileSetting kSettings[3] = {
    {"HDfile", "User file on hard disk or network:", "Choose the user file on hard disk or network",
     "User file on hard disk or network", &SettingsRecord::HDfile, false,
     "User File on Hard Disk or Network", "ERF files (*.ERF *.erf)", "ERF"},
    {"FloppyFile", "User file on floppy disk:", "Choose the user file on floppy disk",
     "User file on floppy disk", &SettingsRecord::FloppyFile, true, "User File on Floppy Disk",
     "ERF files (*.ERF *.erf)", "ERF"},
    {"WordFile", "Word List file:", "Choose the word list file", "Word List file",
     &SettingsRecord::WordFile, false, "Word List file", "Text files (*.TXT *.txt)", "TXT"}};

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
    for (const Field field : {HDfile, FloppyFile, WordFile}) {
        addFileField(field);
    }
}

void DirectoriesPage::addFileField(Field field) {
    const FileSetting& setting = kSettings[field];
    const int top = kFileRows[field];
    QLineEdit* edit = addField(this, setting.name,
                               QRect(kFileLeft, top + kLabelHeight + 2, kFileWidth, kFieldHeight));
    addLabel(this, (std::string(setting.name) + "Label").c_str(), setting.caption,
             QRect(kFileLeft, top, kFileWidth, kLabelHeight), edit);
    auto* button = new QToolButton(this);
    button->setObjectName(QString(setting.name) + "Browse");
    button->setText("...");
    button->setToolTip(setting.browseTip);
    button->setAccessibleName(setting.browseTip);
    button->setGeometry(kFileLeft + kFileWidth + 2, top + kLabelHeight + 2, kBrowseWidth,
                        kFieldHeight);
    pressOnEnter(*button);
    connect(button, &QToolButton::clicked, this,
            [this, field] { this->application().guard([this, field] { browse(field); }); });
    m_fields[field] = edit;
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

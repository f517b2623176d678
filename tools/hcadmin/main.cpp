// hcadmin: the user file and OPTIONS.DAT from the command line, for teachers' and IT staff's
// scripts. Every change goes through the same library calls as the two programs, under the
// same locks, so it is safe while the programs run.
//
// Exit status: 0 success, 1 a failure (its message on stderr), 2 a command line it does not
// understand (usage on stderr).

#include "datafiles/class_folder.h"
#include "datafiles/file_ops.h"
#include "datafiles/history.h"
#include "datafiles/settings.h"
#include "datafiles/text_codec.h"
#include "datafiles/usable_settings.h"
#include "datafiles/user_file.h"
#include "datafiles/word_list.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr const char* kUsage =
    "usage: hcadmin [--class-folder DIR] COMMAND...\n"
    "  Works in the class folder the programs use (the current folder when it holds\n"
    "  DATA.ERF, else DIR, HONEYCOMB_CLASS_FOLDER, /etc/honeycombwordsmiths/class-folder or\n"
    "  ~/.local/share/honeycombwordsmiths); a relative FILE is read there.\n"
    "  hcadmin users list FILE\n"
    "      one line per user: Name, Score, ProgramRuns, SpellAverage, PhonoAverage (TAB between)\n"
    "  hcadmin users show FILE NAME\n"
    "      every field of one user, 'field: value' a line; a result slot holds percent + 1,\n"
    "      0 marks an empty slot\n"
    "  hcadmin users add FILE NAME...\n"
    "      adds each name the file does not hold yet (letter case ignored)\n"
    "  hcadmin users import FILE ROSTER\n"
    "      adds the names of a class roster, one a line (- reads it from standard input)\n"
    "  hcadmin users delete FILE NAME\n"
    "      also removes the user's lines from the results history beside FILE\n"
    "  hcadmin users record FILE NAME spelling|phonogram PERCENT\n"
    "      records a result as the activities do, weighted by OPTIONS.DAT here\n"
    "  hcadmin history export [--since DATE] [--user NAME] [--users FILE]\n"
    "      the results history as CSV (DATE is YYYY-MM-DD); the history is the one beside\n"
    "      FILE, by default beside the user file OPTIONS.DAT of the class folder names\n"
    "  hcadmin history words NAME [--users FILE]\n"
    "      the words NAME should practise: word, times missed, last missed, right since,\n"
    "      mastered (TAB between)\n"
    "  hcadmin history forget NAME [--users FILE]\n"
    "      removes every line of NAME from the results history\n"
    "  hcadmin options show\n"
    "      OPTIONS.DAT of the class folder, or the defaults\n";

constexpr int kFailure = 1;
constexpr int kUsageError = 2;

int usageError(const std::string& why) {
    if (!why.empty()) {
        std::fprintf(stderr, "hcadmin: %s\n", why.c_str());
    }
    std::fputs(kUsage, stderr);
    return kUsageError;
}

int fail(const std::string& message) {
    std::fprintf(stderr, "%s\n", message.c_str());
    return kFailure;
}

// A stored text as it is printed: UTF-8, with '?' in place of every control character, so that
// a name or path from a file (which another tool may have written) can never forge a line or a
// column of the output.
std::string shown(std::string_view stored) {
    std::string text(stored);
    for (char& c : text) {
        if (!hc::isAcceptableUserName(std::string_view(&c, 1))) {
            c = '?';
        }
    }
    return hc::cp1252ToUtf8(text);
}

// The same for a text from the command line (UTF-8).
std::string shownArgument(std::string_view argument) {
    std::string text(argument);
    for (char& c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            c = '?';
        }
    }
    return text;
}

// A name from the command line (UTF-8) as the user file stores it. False, with a message on
// stderr, when it holds characters the file cannot store.
bool storedName(std::string_view argument, std::string& name) {
    const hc::Cp1252Encoding encoded = hc::utf8ToCp1252(argument);
    if (!encoded.ok()) {
        std::fprintf(stderr,
                     "hcadmin: the name \"%s\" has characters the user file cannot store: %s\n",
                     shownArgument(argument).c_str(), shownArgument(encoded.unstorable).c_str());
        return false;
    }
    name = encoded.bytes;
    return true;
}

// A name for a new user, from UTF-8 text (`utf8`, stored as storedName does) or from text
// already in the file's encoding; refused with a message when it holds control characters,
// which would forge lines and columns wherever users are listed.
bool newUserName(std::string_view text, bool utf8, std::string& name) {
    if (!utf8) {
        name = text;
    } else if (!storedName(text, name)) {
        return false;
    }
    if (!hc::isAcceptableUserName(name)) {
        std::fprintf(stderr,
                     "hcadmin: the name \"%s\" has control characters (a TAB, a line end, ...), "
                     "which a name may not hold\n",
                     shown(name).c_str());
        return false;
    }
    return true;
}

void printListLine(const UserRecord& record) {
    std::printf("%s\t%.2f\t%d\t%.2f\t%.2f\n", shown(hc::recordName(record)).c_str(),
                static_cast<double>(record.Score), record.ProgramRuns,
                static_cast<double>(record.SpellAverage), static_cast<double>(record.PhonoAverage));
}

void printSlots(const char* field, const std::int32_t (&slots)[10]) {
    for (int i = 0; i < 10; ++i) {
        std::printf("%s[%d]: %d\n", field, i, slots[i]);
    }
}

int usersList(const std::string& path) {
    UserRecord record{};
    const UserFileResult result =
        hc::UserFile(hc::FileOps::system()).list(path, printListLine, record);
    std::fflush(stdout);
    if (result == UserFileCantOpen && !hc::FileOps::system().exists(path)) {
        return 0; // no file yet: no users
    }
    return result == UserFileOk ? 0 : fail(UserFileMessage(result));
}

int usersShow(const std::string& path, std::string_view nameArgument) {
    std::string name;
    if (!storedName(nameArgument, name)) {
        return kFailure;
    }
    UserRecord record{};
    const UserFileResult result = hc::UserFile(hc::FileOps::system()).find(path, name, record);
    if (result != UserFileOk) {
        return fail(UserFileMessage(result));
    }
    std::printf("Name: %s\n", shown(hc::recordName(record)).c_str());
    std::printf("Score: %.2f\n", static_cast<double>(record.Score));
    std::printf("ProgramRuns: %d\n", record.ProgramRuns);
    printSlots("SpellScores", record.SpellScores);
    std::printf("SpellAverage: %.2f\n", static_cast<double>(record.SpellAverage));
    printSlots("PhonoScores", record.PhonoScores);
    std::printf("PhonoAverage: %.2f\n", static_cast<double>(record.PhonoAverage));
    return 0;
}

struct AddCounts {
    int added = 0;
    int skipped = 0;
    bool failed = false;
};

// Adds stored names one by one; stops at the first failure of the file itself.
int addNames(const std::string& path, const std::vector<std::string>& names, AddCounts& counts) {
    hc::UserFile users(hc::FileOps::system());
    for (const std::string& name : names) {
        const std::string kept = hc::recordName(hc::newUserRecord(name));
        if (kept.empty()) {
            std::printf("skipped: (empty name)\n");
            ++counts.skipped;
            continue;
        }
        bool added = false;
        const UserFileResult result = users.addIfAbsent(path, name, added);
        if (result != UserFileOk) {
            std::fflush(stdout);
            return fail(UserFileMessage(result));
        }
        if (added) {
            std::printf("added: %s\n", shown(kept).c_str());
            ++counts.added;
        } else {
            std::printf("skipped: %s (already in the file)\n", shown(kept).c_str());
            ++counts.skipped;
        }
    }
    return counts.failed ? kFailure : 0;
}

int usersAdd(const std::string& path, const std::vector<std::string_view>& arguments) {
    AddCounts counts;
    std::vector<std::string> names;
    for (const std::string_view argument : arguments) {
        std::string name;
        if (newUserName(argument, true, name)) {
            names.push_back(name);
        } else {
            counts.failed = true;
        }
    }
    return addNames(path, names, counts);
}

// A roster is UTF-8 (a byte order mark is allowed) or, when it is not valid UTF-8,
// Windows-1252 as older tools write it.
// The roster may come through a pipe ("/dev/stdin", "-"): it is not one of the class's data files,
// which are read only when they are regular files. It is read up to a word list's limit.
bool readRoster(const std::string& rosterPath, std::string& bytes) {
    std::FILE* file = rosterPath == "-" ? stdin : std::fopen(rosterPath.c_str(), "rb");
    if (file == nullptr) {
        return false;
    }
    char piece[65536];
    std::size_t got = 0;
    while (bytes.size() <= hc::kWordListMaxBytes &&
           (got = std::fread(piece, 1, sizeof piece, file)) > 0) {
        bytes.append(piece, got);
    }
    const bool ok = std::ferror(file) == 0 && bytes.size() <= hc::kWordListMaxBytes;
    if (file != stdin) {
        std::fclose(file);
    }
    return ok;
}

int usersImport(const std::string& path, const std::string& rosterPath) {
    std::string bytes;
    if (!readRoster(rosterPath, bytes)) {
        return fail("hcadmin: can't read the roster " + rosterPath);
    }
    const bool utf8 = hc::isValidUtf8(bytes);
    if (utf8 && bytes.starts_with("\xEF\xBB\xBF")) {
        bytes.erase(0, 3);
    }
    AddCounts counts;
    std::vector<std::string> names;
    // The word list's rules trim each line and drop empty ones.
    const std::string trimmed = hc::formatWordList(hc::parseWordList(bytes));
    for (const std::string& line : hc::parseWordList(trimmed)) {
        std::string name;
        if (!newUserName(line, utf8, name)) {
            counts.failed = true;
            continue;
        }
        names.push_back(name);
    }
    const int status = addNames(path, names, counts);
    std::printf("imported: %d added, %d skipped\n", counts.added, counts.skipped);
    return status;
}

int usersDelete(const std::string& path, std::string_view nameArgument) {
    std::string name;
    if (!storedName(nameArgument, name)) {
        return kFailure;
    }
    bool removed = false;
    const UserFileResult result = hc::UserFile(hc::FileOps::system()).remove(path, name, &removed);
    if (result != UserFileOk) {
        return fail(UserFileMessage(result));
    }
    if (!removed) {
        return fail(UserFileMessage(UserFileNotFound));
    }
    std::printf("deleted: %s\n", shown(hc::recordName(hc::newUserRecord(name))).c_str());
    // The child's answers go with the child.
    hc::History history(hc::FileOps::system(), hc::historyPathFor(path));
    int forgotten = 0;
    const hc::HistoryStatus status =
        history.forget(hc::cp1252ToUtf8(hc::recordName(hc::newUserRecord(name))), &forgotten);
    if (status != hc::HistoryStatus::Ok) {
        return fail("hcadmin: " + historyMessage(status, history.path()));
    }
    if (forgotten > 0) {
        std::printf("forgotten: %d lines of the results history\n", forgotten);
    }
    return 0;
}

int usersRecord(const std::string& path, std::string_view nameArgument, std::string_view what,
                std::string_view percentText) {
    hc::Activity activity = hc::Activity::Spelling;
    if (what == "phonogram") {
        activity = hc::Activity::Phonogram;
    } else if (what != "spelling") {
        return usageError("the activity is spelling or phonogram");
    }
    int percent = -1;
    const auto [end, error] =
        std::from_chars(percentText.data(), percentText.data() + percentText.size(), percent);
    if (error != std::errc() || end != percentText.data() + percentText.size() || percent < 0 ||
        percent > 100) {
        return usageError("PERCENT is a whole number from 0 to 100");
    }
    std::string name;
    if (!storedName(nameArgument, name)) {
        return kFailure;
    }
    const OptionsFileResult loaded = OptionsFileLoad();
    if (loaded != OptionsFileOk) {
        return fail(OptionsFileMessage(loaded));
    }
    // Scored as the student program scores: with the weights in the ranges the form enforces.
    hc::limitToUsableRanges(Settings);
    UserRecord record{};
    const UserFileResult result =
        hc::UserFile(hc::FileOps::system())
            .recordResult(path, name, activity, percent, Settings.SpellWeight, Settings.PhonoWeight,
                          record);
    if (result != UserFileOk) {
        return fail(UserFileMessage(result));
    }
    printListLine(record);
    return 0;
}

// The options of a history command: the user file whose history it is, and the filters.
struct HistoryArguments {
    std::string usersFile;
    std::string since;
    std::string user;
    std::vector<std::string_view> rest;
};

// Reads --users, --since and --user (those `allowed` names) wherever they stand; the other
// arguments go to `rest`. False, after a usage message, on a bad option.
bool historyArguments(const std::vector<std::string_view>& args,
                      const std::vector<std::string_view>& allowed, HistoryArguments& parsed,
                      int& status) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (!arg.starts_with("--")) {
            parsed.rest.push_back(arg);
            continue;
        }
        if (std::find(allowed.begin(), allowed.end(), arg) == allowed.end() ||
            i + 1 == args.size()) {
            status =
                usageError("unknown option or option without its value: " + shownArgument(arg));
            return false;
        }
        const std::string value(args[++i]);
        if (arg == "--users") {
            parsed.usersFile = value;
        } else if (arg == "--since") {
            if (!hc::isHistoryDate(value)) {
                status = usageError("DATE is a day of the calendar as YYYY-MM-DD");
                return false;
            }
            parsed.since = value;
        } else {
            parsed.user = value;
        }
    }
    if (parsed.usersFile.empty()) {
        const OptionsFileResult loaded = OptionsFileLoad();
        if (loaded != OptionsFileOk) {
            status = fail(OptionsFileMessage(loaded));
            return false;
        }
        parsed.usersFile = hc::nativePath(hc::textOf(Settings.HDfile));
    }
    return true;
}

// A name from the command line as the history stores it: UTF-8 of what the user file can hold.
bool historyName(std::string_view argument, std::string& name) {
    std::string stored;
    if (!storedName(argument, stored)) {
        return false;
    }
    name = hc::cp1252ToUtf8(hc::recordName(hc::newUserRecord(stored)));
    return true;
}

int history(const std::vector<std::string_view>& args) {
    if (args.empty()) {
        return usageError("unknown history command");
    }
    const std::string_view command = args[0];
    HistoryArguments parsed;
    int status = 0;
    const std::vector<std::string_view> allowed =
        command == "export" ? std::vector<std::string_view>{"--users", "--since", "--user"}
                            : std::vector<std::string_view>{"--users"};
    if (!historyArguments({args.begin() + 1, args.end()}, allowed, parsed, status)) {
        return status;
    }
    hc::History history(hc::FileOps::system(), hc::historyPathFor(parsed.usersFile));
    if (command == "forget" && parsed.rest.size() == 1) {
        std::string name;
        if (!historyName(parsed.rest[0], name)) {
            return kFailure;
        }
        int removed = 0;
        const hc::HistoryStatus forgotten = history.forget(name, &removed);
        if (forgotten != hc::HistoryStatus::Ok) {
            return fail("hcadmin: " + historyMessage(forgotten, history.path()));
        }
        std::printf("forgotten: %d lines of %s\n", removed, shownArgument(name).c_str());
        return 0;
    }
    hc::HistoryFilter filter;
    filter.since = parsed.since;
    if (command == "words" && parsed.rest.size() == 1) {
        if (!historyName(parsed.rest[0], filter.user)) {
            return kFailure;
        }
    } else if (command == "export" && parsed.rest.empty()) {
        if (!parsed.user.empty() && !historyName(parsed.user, filter.user)) {
            return kFailure;
        }
    } else {
        return usageError("unknown history command or wrong number of arguments");
    }
    hc::HistoryContents contents;
    const hc::HistoryStatus read = history.read(filter, contents);
    if (read != hc::HistoryStatus::Ok && read != hc::HistoryStatus::NoFile) {
        return fail("hcadmin: " + historyMessage(read, history.path()));
    }
    if (contents.damaged > 0) {
        std::fprintf(stderr, "hcadmin: skipped %d damaged lines of %s\n", contents.damaged,
                     history.path().c_str());
    }
    if (command == "export") {
        std::printf("%s\r\n", std::string(hc::kHistoryHeader).c_str());
        for (const hc::HistoryEntry& entry : contents.entries) {
            std::fputs(hc::formatHistoryLine(entry).c_str(), stdout);
        }
        return 0;
    }
    for (const hc::PractiseWord& word : hc::wordsToPractise(contents.entries)) {
        std::printf("%s\t%d\t%s\t%d\t%s\n", shownArgument(word.word).c_str(), word.missed,
                    word.lastMissed.c_str(), word.rightSince, word.mastered() ? "mastered" : "");
    }
    return 0;
}

int optionsShow() {
    const OptionsFileResult loaded = OptionsFileLoad();
    if (loaded != OptionsFileOk) {
        return fail(OptionsFileMessage(loaded));
    }
    auto text = [](const auto& field) { return shown(hc::textOf(field)); };
    std::printf("Password: %s\n", GetPassword().empty() ? "empty" : "set");
    std::printf("HDfile: %s\n", text(Settings.HDfile).c_str());
    std::printf("FloppyFile: %s\n", text(Settings.FloppyFile).c_str());
    std::printf("WordFile: %s\n", text(Settings.WordFile).c_str());
    std::printf("WordDelay: %.2f\n", static_cast<double>(Settings.WordDelay));
    std::printf("ImproveMode: %d\n", Settings.ImproveMode);
    std::printf("GetPercent: %d\n", Settings.GetPercent);
    std::printf("ImprovePercent: %d\n", Settings.ImprovePercent);
    std::printf("SpellWeight: %.2f\n", static_cast<double>(Settings.SpellWeight));
    std::printf("PhonoWeight: %.2f\n", static_cast<double>(Settings.PhonoWeight));
    return 0;
}

int run(const std::vector<std::string_view>& args) {
    if (args.empty()) {
        return usageError("");
    }
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h" || args[0] == "help")) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (args[0] == "options") {
        if (args.size() == 2 && args[1] == "show") {
            return optionsShow();
        }
        return usageError("unknown options command");
    }
    if (args[0] == "history") {
        return history({args.begin() + 1, args.end()});
    }
    if (args[0] != "users" || args.size() < 3) {
        return usageError("unknown command");
    }
    const std::string_view command = args[1];
    const std::string path(args[2]);
    const std::size_t rest = args.size() - 3;
    if (command == "list" && rest == 0) {
        return usersList(path);
    }
    if (command == "show" && rest == 1) {
        return usersShow(path, args[3]);
    }
    if (command == "add" && rest >= 1) {
        return usersAdd(path, {args.begin() + 3, args.end()});
    }
    if (command == "import" && rest == 1) {
        return usersImport(path, std::string(args[3]));
    }
    if (command == "delete" && rest == 1) {
        return usersDelete(path, args[3]);
    }
    if (command == "record" && rest == 3) {
        return usersRecord(path, args[3], args[4], args[5]);
    }
    return usageError("unknown users command or wrong number of arguments");
}

} // namespace

int main(int argc, char** argv) {
    // Files are read and written in the class folder, as the programs do.
    std::string optionError;
    const std::optional<std::string> folderOption =
        hc::takeClassFolderOption(argc, argv, optionError);
    if (!optionError.empty()) {
        return usageError(optionError);
    }
    try {
        hc::enterClassFolder(hc::resolveClassFolder(hc::classFolderInputs(folderOption)));
    } catch (const hc::ClassFolderError& error) {
        return fail(error.what());
    }
    const int status = run(std::vector<std::string_view>(argv + 1, argv + argc));
    // Output that did not reach its place (a full disk, a closed pipe) is a failure, never a
    // silent success: a script reading the list must not take a cut list for the whole one.
    if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
        std::fprintf(stderr, "hcadmin: cannot write to standard output: %s\n",
                     std::strerror(errno));
        return kFailure;
    }
    return status;
}

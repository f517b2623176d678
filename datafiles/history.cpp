#include "datafiles/history.h"

#include "datafiles/file_lock.h"
#include "datafiles/file_ops.h"
#include "datafiles/text_codec.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <map>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>

namespace hc {

namespace {

constexpr std::size_t kFields = 11;
constexpr int kLockTimeoutMs = 20000;
// A reader waits this long for a writer to finish its lines, then reads what is there (a folder
// where the lock file cannot be made, read-only to this account, is read without the lock).
constexpr int kReadLockTimeoutMs = 5000;

char foldAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string folded(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        c = foldAscii(c);
    }
    return out;
}

// A field as stored: control characters become spaces (so a record is always one line), and the
// field is quoted when it holds a comma or a quote.
void appendField(std::string& out, std::string_view field) {
    const bool quote = field.find_first_of(",\"") != std::string_view::npos;
    if (quote) {
        out += '"';
    }
    for (const char c : field) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            out += ' ';
        } else if (c == '"') {
            out += "\"\"";
        } else {
            out += c;
        }
    }
    if (quote) {
        out += '"';
    }
}

// Splits one line (without its line end) into its fields, reusing `fields`' strings. False when
// the line does not have exactly kFields fields or a quoted field is not closed properly.
bool splitLine(std::string_view line, std::array<std::string, kFields>& fields) {
    std::size_t count = 0;
    std::size_t pos = 0;
    for (;;) {
        if (count == kFields) {
            return false;
        }
        std::string& field = fields[count++];
        field.clear();
        if (pos < line.size() && line[pos] == '"') {
            ++pos;
            for (;;) {
                const std::size_t quote = line.find('"', pos);
                if (quote == std::string_view::npos) {
                    return false;
                }
                field.append(line, pos, quote - pos);
                pos = quote + 1;
                if (pos < line.size() && line[pos] == '"') {
                    field += '"';
                    ++pos;
                    continue;
                }
                break;
            }
            if (pos < line.size() && line[pos] != ',') {
                return false;
            }
        } else {
            const std::size_t comma = std::min(line.find(',', pos), line.size());
            const std::string_view text = line.substr(pos, comma - pos);
            if (text.find('"') != std::string_view::npos) {
                return false;
            }
            field.assign(text);
            pos = comma;
        }
        if (pos >= line.size()) {
            return count == kFields;
        }
        ++pos; // the comma
    }
}

bool parseNumber(std::string_view text, int low, int high, int& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && value >= low &&
           value <= high;
}

constexpr int kMaxCount = 1000000000;

// Builds an entry from split fields; false when they are not a record.
bool entryFromFields(std::array<std::string, kFields>& fields, HistoryEntry& entry) {
    if (fields[0].size() < 10 || !isHistoryDate(std::string_view(fields[0]).substr(0, 10)) ||
        fields[1].empty()) {
        return false;
    }
    if (fields[2] == "spelling") {
        entry.activity = HistoryActivity::Spelling;
        if (fields[5] != "right" && fields[5] != "wrong") {
            return false;
        }
        entry.right = fields[5] == "right";
        if (!parseNumber(fields[6], 1, kMaxCount, entry.test) || fields[3].empty()) {
            return false;
        }
        entry.word = std::move(fields[3]);
        entry.answer = std::move(fields[4]);
        entry.puzzle = entry.rightClicks = entry.wrongClicks = entry.percent = 0;
    } else if (fields[2] == "phonogram") {
        entry.activity = HistoryActivity::Phonogram;
        if (!parseNumber(fields[7], 0, kMaxCount, entry.puzzle) ||
            !parseNumber(fields[8], 0, kMaxCount, entry.rightClicks) ||
            !parseNumber(fields[9], 0, kMaxCount, entry.wrongClicks) ||
            !parseNumber(fields[10], 0, 100, entry.percent)) {
            return false;
        }
        entry.word.clear();
        entry.answer.clear();
        entry.right = false;
        entry.test = 0;
    } else {
        return false;
    }
    entry.time = std::move(fields[0]);
    entry.user = std::move(fields[1]);
    return true;
}

// Calls `line` for every line of `bytes` that ends in a line end (without it, CR and LF
// removed), skipping a header line at the start; counts in `unfinished` a last line without
// its line end, which a writer did not finish.
template <typename Callback>
void forEachLine(std::string_view bytes, bool skipFirstAsPartial, int& unfinished,
                 const Callback& line) {
    std::size_t pos = 0;
    if (skipFirstAsPartial) {
        const std::size_t end = bytes.find('\n');
        pos = end == std::string_view::npos ? bytes.size() : end + 1;
    }
    bool first = !skipFirstAsPartial;
    while (pos < bytes.size()) {
        const std::size_t end = bytes.find('\n', pos);
        if (end == std::string_view::npos) {
            ++unfinished;
            return;
        }
        std::string_view text = bytes.substr(pos, end - pos);
        if (!text.empty() && text.back() == '\r') {
            text.remove_suffix(1);
        }
        pos = end + 1;
        if (first && text == kHistoryHeader) {
            first = false;
            continue;
        }
        first = false;
        line(text);
    }
}

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t wrote = ::write(fd, bytes.data(), bytes.size());
        if (wrote < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(wrote));
    }
    return true;
}

// The length the file should have so that it ends at the end of a whole line: a last line
// without its line end is what a killed writer left. Reads backwards from `size`.
bool wholeLinesLength(int fd, off_t size, off_t& length) {
    char piece[4096];
    off_t end = size;
    while (end > 0) {
        const off_t start = std::max<off_t>(0, end - static_cast<off_t>(sizeof piece));
        const auto want = static_cast<std::size_t>(end - start);
        const ssize_t got = ::pread(fd, piece, want, start);
        if (got != static_cast<ssize_t>(want)) {
            return false;
        }
        for (std::size_t i = want; i > 0; --i) {
            if (piece[i - 1] == '\n') {
                length = start + static_cast<off_t>(i);
                return true;
            }
        }
        end = start;
    }
    length = 0;
    return true;
}

// The highest test number of `user` on `date` among the last lines of the open file, reading
// back from its end only as far as that date goes.
bool lastTestNumber(int fd, off_t size, std::string_view user, std::string_view date,
                    int& highest) {
    highest = 0;
    std::size_t window = 65536;
    for (;;) {
        const off_t start = std::max<off_t>(0, size - static_cast<off_t>(window));
        std::string bytes(static_cast<std::size_t>(size - start), '\0');
        if (::pread(fd, bytes.data(), bytes.size(), start) != static_cast<ssize_t>(bytes.size())) {
            return false;
        }
        bool reachedEarlierDay = false;
        bool firstLine = true;
        int unfinished = 0;
        std::array<std::string, kFields> fields;
        HistoryEntry entry;
        forEachLine(bytes, start > 0, unfinished, [&](std::string_view line) {
            if (!splitLine(line, fields) || !entryFromFields(fields, entry)) {
                return;
            }
            if (firstLine && entry.date() < date) {
                reachedEarlierDay = true;
            }
            firstLine = false;
            if (entry.activity == HistoryActivity::Spelling && entry.date() == date &&
                sameHistoryUser(entry.user, user)) {
                highest = std::max(highest, entry.test);
            }
        });
        if (start == 0 || reachedEarlierDay) {
            return true;
        }
        window *= 4;
    }
}

std::chrono::sys_days toDays(std::string_view date, bool& ok) {
    int year = 0;
    int month = 0;
    int day = 0;
    ok = date.size() == 10 && date[4] == '-' && date[7] == '-' &&
         parseNumber(date.substr(0, 4), 0, 9999, year) &&
         parseNumber(date.substr(5, 2), 1, 12, month) && parseNumber(date.substr(8, 2), 1, 31, day);
    const std::chrono::year_month_day ymd{std::chrono::year(year),
                                          std::chrono::month(static_cast<unsigned>(month)),
                                          std::chrono::day(static_cast<unsigned>(day))};
    ok = ok && ymd.ok();
    return ok ? std::chrono::sys_days(ymd) : std::chrono::sys_days();
}

std::string fromDays(std::chrono::sys_days days) {
    const std::chrono::year_month_day ymd(days);
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u", static_cast<int>(ymd.year()),
                  static_cast<unsigned>(ymd.month()), static_cast<unsigned>(ymd.day()));
    return text;
}

} // namespace

std::string historyPathFor(const std::string& userFilePath) {
    const std::string real = resolvedPath(userFilePath);
    const std::size_t slash = real.find_last_of('/');
    return (slash == std::string::npos ? std::string() : real.substr(0, slash + 1)) +
           std::string(kHistoryFileName);
}

std::string historyTime(std::time_t when) {
    std::tm local{};
    ::localtime_r(&when, &local);
    char text[96];
    // Whole minutes east of UTC; a real offset is within a day either way.
    const int offset = static_cast<int>(std::clamp<long>(local.tm_gmtoff / 60, -1439, 1439));
    const int magnitude = offset < 0 ? -offset : offset;
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%c%02d:%02d",
                  local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                  local.tm_min, local.tm_sec, offset < 0 ? '-' : '+', magnitude / 60,
                  magnitude % 60);
    return text;
}

std::string historyTimeNow() {
    return historyTime(std::time(nullptr));
}

bool sameHistoryUser(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (foldAscii(a[i]) != foldAscii(b[i])) {
            return false;
        }
    }
    return true;
}

bool isHistoryDate(std::string_view text) {
    bool ok = false;
    toDays(text, ok);
    return ok;
}

std::string weekStart(std::string_view date) {
    bool ok = false;
    const std::chrono::sys_days days = toDays(date, ok);
    if (!ok) {
        return std::string(date);
    }
    const unsigned sinceMonday = (std::chrono::weekday(days).c_encoding() + 6) % 7;
    return fromDays(days - std::chrono::days(sinceMonday));
}

std::string addDays(std::string_view date, int count) {
    bool ok = false;
    const std::chrono::sys_days days = toDays(date, ok);
    return ok ? fromDays(days + std::chrono::days(count)) : std::string(date);
}

std::string formatHistoryLine(const HistoryEntry& entry) {
    std::string out;
    appendField(out, entry.time);
    out += ',';
    appendField(out, entry.user);
    if (entry.activity == HistoryActivity::Spelling) {
        out += ",spelling,";
        appendField(out, entry.word);
        out += ',';
        appendField(out, entry.answer);
        out += entry.right ? ",right," : ",wrong,";
        out += std::to_string(entry.test);
        out += ",,,,";
    } else {
        out += ",phonogram,,,,,";
        out += std::to_string(entry.puzzle) + ',' + std::to_string(entry.rightClicks) + ',' +
               std::to_string(entry.wrongClicks) + ',' + std::to_string(entry.percent);
    }
    out += "\r\n";
    return out;
}

bool parseHistoryLine(std::string_view line, HistoryEntry& entry) {
    std::array<std::string, kFields> fields;
    return splitLine(line, fields) && entryFromFields(fields, entry);
}

std::string historyMessage(HistoryStatus status, const std::string& path) {
    switch (status) {
    case HistoryStatus::Ok:
        return {};
    case HistoryStatus::NoFile:
        return "There is no results history " + path + " yet";
    case HistoryStatus::CantLock:
        return "The results history " + path + " is locked by another program";
    case HistoryStatus::CantCreate:
        return "Can't create the results history " + path;
    case HistoryStatus::CantRead:
        return "Can't read the results history " + path;
    case HistoryStatus::CantWrite:
        return "Can't write to the results history " + path + " (disk full?)";
    }
    return {};
}

History::History(FileOps& ops, std::string path, std::string permissionsFrom)
    : m_ops(ops), m_path(std::move(path)), m_permissionsFrom(std::move(permissionsFrom)) {}

HistoryStatus History::appendTest(std::string_view user, const std::string& time,
                                  const std::vector<AnsweredWord>& words, int* testNumber) {
    std::vector<HistoryEntry> entries;
    entries.reserve(words.size());
    for (const AnsweredWord& answered : words) {
        HistoryEntry entry;
        entry.time = time;
        entry.user = user;
        entry.activity = HistoryActivity::Spelling;
        entry.word = answered.word;
        entry.answer = answered.answer;
        entry.right = answered.right;
        entries.push_back(std::move(entry));
    }
    return appendLocked(entries, true, testNumber);
}

HistoryStatus History::appendPuzzle(std::string_view user, const std::string& time, int puzzle,
                                    int rightClicks, int wrongClicks, int percent) {
    HistoryEntry entry;
    entry.time = time;
    entry.user = user;
    entry.activity = HistoryActivity::Phonogram;
    entry.puzzle = puzzle;
    entry.rightClicks = rightClicks;
    entry.wrongClicks = wrongClicks;
    entry.percent = percent;
    return appendLocked({entry}, false, nullptr);
}

HistoryStatus History::append(const std::vector<HistoryEntry>& entries) {
    return appendLocked(entries, false, nullptr);
}

HistoryStatus History::appendLocked(const std::vector<HistoryEntry>& given, bool numberTest,
                                    int* testNumber) {
    if (given.empty()) {
        return HistoryStatus::Ok;
    }
    const std::string path = resolvedPath(m_path);
    const FileLock lock = FileLock::acquire(path, FileLock::Mode::Exclusive, kLockTimeoutMs);
    if (!lock.locked()) {
        return m_ops.exists(path) ? HistoryStatus::CantLock : HistoryStatus::CantCreate;
    }
    if (!m_ops.exists(path)) {
        // A new history appears whole, with its header and the user file's permissions, or not
        // at all: it is built beside and renamed into place.
        const std::string temp = sideFilePath(path, ".new");
        m_ops.remove(temp);
        std::FILE* file = m_ops.create(temp);
        if (file == nullptr) {
            return HistoryStatus::CantCreate;
        }
        if (!m_permissionsFrom.empty()) {
            m_ops.copyPermissions(m_permissionsFrom, file);
        }
        const std::string header = std::string(kHistoryHeader) + "\r\n";
        const bool written = m_ops.write(header.data(), header.size(), file) && m_ops.sync(file);
        const bool closed = m_ops.close(file);
        if (!written || !closed || !m_ops.rename(temp, path)) {
            m_ops.remove(temp);
            return HistoryStatus::CantCreate;
        }
        m_ops.syncDirectory(path);
    }
    const int fd = ::open(path.c_str(), O_RDWR | O_APPEND | O_CLOEXEC);
    if (fd < 0) {
        return HistoryStatus::CantWrite;
    }
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat info;
    if (::fstat(fd, &info) != 0) {
        return HistoryStatus::CantWrite;
    }
    // A writer killed in the middle of its lines left a last line without its end: cut it off,
    // so that the lines appended now start on a line of their own.
    off_t size = info.st_size;
    off_t whole = size;
    if (!wholeLinesLength(fd, size, whole)) {
        return HistoryStatus::CantRead;
    }
    if (whole != size) {
        if (::ftruncate(fd, whole) != 0) {
            return HistoryStatus::CantWrite;
        }
        size = whole;
    }
    std::string bytes;
    if (size == 0) {
        bytes = std::string(kHistoryHeader) + "\r\n"; // the header itself was cut
    }
    int number = 0;
    if (numberTest) {
        int highest = 0;
        if (!lastTestNumber(fd, size, given.front().user, given.front().date(), highest)) {
            return HistoryStatus::CantRead;
        }
        number = highest + 1;
    }
    for (const HistoryEntry& entry : given) {
        if (numberTest) {
            HistoryEntry numbered = entry;
            numbered.test = number;
            bytes += formatHistoryLine(numbered);
        } else {
            bytes += formatHistoryLine(entry);
        }
    }
    // One write of all lines; a failure part-way (a full disk) takes back what got written.
    if (!writeAll(fd, bytes) || ::fsync(fd) != 0) {
        [[maybe_unused]] const int undone = ::ftruncate(fd, size);
        return HistoryStatus::CantWrite;
    }
    if (testNumber != nullptr) {
        *testNumber = number;
    }
    return HistoryStatus::Ok;
}

HistoryStatus History::read(const HistoryFilter& filter, HistoryContents& contents) const {
    contents = HistoryContents();
    const std::string path = resolvedPath(m_path);
    if (!m_ops.exists(path)) {
        return HistoryStatus::NoFile;
    }
    std::string bytes;
    {
        // Shared: a test's lines being appended are read all or not at all.
        const FileLock lock = FileLock::acquire(path, FileLock::Mode::Shared, kReadLockTimeoutMs);
        if (readWholeFile(m_ops, path, "rb", bytes) != ReadStatus::Ok) {
            return HistoryStatus::CantRead;
        }
    }
    std::array<std::string, kFields> fields;
    HistoryEntry entry;
    forEachLine(bytes, false, contents.damaged, [&](std::string_view line) {
        if (!splitLine(line, fields)) {
            ++contents.damaged;
            return;
        }
        // The cheap check first: a child's view skips the class's other lines unchecked.
        if (!filter.user.empty() && !sameHistoryUser(fields[1], filter.user)) {
            return;
        }
        if (!entryFromFields(fields, entry)) {
            ++contents.damaged;
            return;
        }
        if (!filter.since.empty() && entry.date() < filter.since) {
            return;
        }
        contents.entries.push_back(std::move(entry));
        entry = HistoryEntry();
    });
    return HistoryStatus::Ok;
}

HistoryStatus History::forget(std::string_view user, int* removed) {
    if (removed != nullptr) {
        *removed = 0;
    }
    const std::string path = resolvedPath(m_path);
    if (!m_ops.exists(path)) {
        return HistoryStatus::Ok;
    }
    const FileLock lock = FileLock::acquire(path, FileLock::Mode::Exclusive, kLockTimeoutMs);
    if (!lock.locked()) {
        return HistoryStatus::CantLock;
    }
    std::string bytes;
    if (readWholeFile(m_ops, path, "rb", bytes) != ReadStatus::Ok) {
        return HistoryStatus::CantRead;
    }
    std::string kept = std::string(kHistoryHeader) + "\r\n";
    int count = 0;
    int unfinished = 0;
    std::array<std::string, kFields> fields;
    forEachLine(bytes, false, unfinished, [&](std::string_view line) {
        // A line that is not a record is kept as it is: it is not this child's to judge.
        if (splitLine(line, fields) && sameHistoryUser(fields[1], user)) {
            ++count;
            return;
        }
        kept.append(line);
        kept += "\r\n";
    });
    if (count == 0 && unfinished == 0) {
        return HistoryStatus::Ok; // nothing of this child: the file stays exactly as it was
    }
    switch (replaceFile(m_ops, path, kept, sideFilePath(path, ".new"))) {
    case ReplaceStatus::Ok:
        break;
    case ReplaceStatus::CantCreate:
        return HistoryStatus::CantCreate;
    case ReplaceStatus::CantWrite:
        return HistoryStatus::CantWrite;
    }
    if (removed != nullptr) {
        *removed = count;
    }
    return HistoryStatus::Ok;
}

namespace {

std::string notWritten(const History& history, HistoryStatus status) {
    if (status == HistoryStatus::Ok) {
        return {};
    }
    return "The result is saved, but the results history could not be written: " +
           historyMessage(status, history.path());
}

} // namespace

std::string recordTestHistory(std::string_view storedUserFile, std::string_view storedName,
                              const std::vector<AnsweredWord>& words) {
    const std::string userFile = nativePath(storedUserFile);
    History history(FileOps::system(), historyPathFor(userFile), userFile);
    return notWritten(history,
                      history.appendTest(cp1252ToUtf8(storedName), historyTimeNow(), words));
}

std::string recordPuzzleHistory(std::string_view storedUserFile, std::string_view storedName,
                                int puzzle, int rightClicks, int wrongClicks, int percent) {
    const std::string userFile = nativePath(storedUserFile);
    History history(FileOps::system(), historyPathFor(userFile), userFile);
    return notWritten(history, history.appendPuzzle(cp1252ToUtf8(storedName), historyTimeNow(),
                                                    puzzle, rightClicks, wrongClicks, percent));
}

std::vector<ProgressPoint> progressPoints(const std::vector<HistoryEntry>& entries) {
    std::vector<ProgressPoint> points;
    std::vector<int> right;
    std::unordered_map<std::string, std::size_t> testIndex;
    for (const HistoryEntry& entry : entries) {
        if (entry.activity == HistoryActivity::Phonogram) {
            points.push_back({entry.time, entry.activity, entry.percent, 0});
            right.push_back(0);
            continue;
        }
        const std::string key =
            folded(entry.user) + '\n' + entry.time + '\n' + std::to_string(entry.test);
        const auto [found, added] = testIndex.try_emplace(key, points.size());
        if (added) {
            points.push_back({entry.time, entry.activity, 0, 0});
            right.push_back(0);
        }
        ProgressPoint& point = points[found->second];
        ++point.words;
        right[found->second] += entry.right ? 1 : 0;
    }
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (points[i].activity == HistoryActivity::Spelling) {
            // Truncated, as the test's own per cent is.
            points[i].percent = right[i] * 100 / points[i].words;
        }
    }
    return points;
}

std::vector<double> movingAverage(const std::vector<int>& values, int window) {
    std::vector<double> averages;
    averages.reserve(values.size());
    double sum = 0;
    const auto width = static_cast<std::size_t>(std::max(window, 1));
    for (std::size_t i = 0; i < values.size(); ++i) {
        sum += values[i];
        if (i >= width) {
            sum -= values[i - width];
        }
        averages.push_back(sum / static_cast<double>(std::min(i + 1, width)));
    }
    return averages;
}

bool PractiseWord::mastered() const {
    return rightSince >= kMasteredAfter;
}

std::vector<PractiseWord> wordsToPractise(const std::vector<HistoryEntry>& entries) {
    // Each child's own story of each word first, in the order the answers were recorded.
    std::map<std::pair<std::string, std::string>, PractiseWord> perChild;
    for (const HistoryEntry& entry : entries) {
        if (entry.activity != HistoryActivity::Spelling) {
            continue;
        }
        const auto key = std::make_pair(folded(entry.word), folded(entry.user));
        if (entry.right) {
            const auto found = perChild.find(key);
            if (found != perChild.end()) {
                ++found->second.rightSince;
            }
            continue;
        }
        PractiseWord& word = perChild[key];
        word.word = entry.word;
        ++word.missed;
        word.lastMissed = entry.time;
        word.rightSince = 0;
    }
    // Then the class's: misses added up, the latest miss, the least progress since.
    std::map<std::string, PractiseWord> merged;
    for (const auto& [key, child] : perChild) {
        const auto [found, added] = merged.try_emplace(key.first, child);
        if (added) {
            continue;
        }
        PractiseWord& word = found->second;
        word.missed += child.missed;
        if (child.lastMissed > word.lastMissed) {
            word.lastMissed = child.lastMissed;
            word.word = child.word;
        }
        word.rightSince = std::min(word.rightSince, child.rightSince);
    }
    std::vector<PractiseWord> words;
    words.reserve(merged.size());
    for (auto& [key, word] : merged) {
        words.push_back(std::move(word));
    }
    std::stable_sort(words.begin(), words.end(), [](const PractiseWord& a, const PractiseWord& b) {
        const std::string_view dayA = std::string_view(a.lastMissed).substr(0, 10);
        const std::string_view dayB = std::string_view(b.lastMissed).substr(0, 10);
        if (dayA != dayB) {
            return dayA > dayB;
        }
        return a.missed > b.missed;
    });
    return words;
}

std::vector<std::string> practiceList(const std::vector<PractiseWord>& words) {
    std::vector<std::string> list;
    for (const PractiseWord& word : words) {
        if (!word.mastered()) {
            list.push_back(word.word);
        }
    }
    return list;
}

ProgressTotals progressTotals(const std::vector<HistoryEntry>& entries, std::string_view today) {
    ProgressTotals totals;
    for (const ProgressPoint& point : progressPoints(entries)) {
        ++(point.activity == HistoryActivity::Spelling ? totals.tests : totals.puzzles);
    }
    const std::string thisWeek = weekStart(today);
    const std::string fourBefore = addDays(thisWeek, -28);
    int weekAnswered = 0;
    int weekRight = 0;
    int previousAnswered = 0;
    int previousRight = 0;
    for (const HistoryEntry& entry : entries) {
        if (entry.activity != HistoryActivity::Spelling) {
            continue;
        }
        ++totals.wordsAnswered;
        totals.wordsRight += entry.right ? 1 : 0;
        const std::string_view date = entry.date();
        if (date >= thisWeek) {
            ++weekAnswered;
            weekRight += entry.right ? 1 : 0;
        } else if (date >= fourBefore) {
            ++previousAnswered;
            previousRight += entry.right ? 1 : 0;
        }
    }
    if (weekAnswered > 0) {
        totals.percentThisWeek = weekRight * 100 / weekAnswered;
    }
    if (previousAnswered > 0) {
        totals.percentPreviousFour = previousRight * 100 / previousAnswered;
    }
    return totals;
}

} // namespace hc

#pragma once

// The user file: one record per student with their results and scores.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <type_traits>

// The user file's header: the first 264 bytes of the file.
struct UserFileHeader {
    char Signature[256];
    std::int32_t UserCount;
    std::uint32_t Checksum; // CRC-32 of every byte from offset 264 to the end of the file
};

// One student's record, 780 bytes, stored back to back after the header.
struct UserRecord {
    char Name[256];
    std::int32_t Reserved1; // 512 in a new record, not interpreted
    std::int32_t Reserved2; // 0 in a new record, not interpreted
    std::int32_t Reserved3; // 512 in a new record, not interpreted
    float Score;
    std::int32_t ProgramRuns;
    std::int32_t SpellScores[10]; // percent + 1 per result, 0 = empty; slot 9 is the newest
    float SpellAverage;
    std::int32_t PhonoScores[10];
    float PhonoAverage;
    std::uint8_t Reserved4[416];
};

static_assert(std::is_trivially_copyable_v<UserFileHeader>);
static_assert(sizeof(UserFileHeader) == 264);
static_assert(offsetof(UserFileHeader, Signature) == 0);
static_assert(offsetof(UserFileHeader, UserCount) == 256);
static_assert(offsetof(UserFileHeader, Checksum) == 260);

static_assert(std::is_trivially_copyable_v<UserRecord>);
static_assert(sizeof(UserRecord) == 780);
static_assert(offsetof(UserRecord, Name) == 0);
static_assert(offsetof(UserRecord, Reserved1) == 256);
static_assert(offsetof(UserRecord, Reserved2) == 260);
static_assert(offsetof(UserRecord, Reserved3) == 264);
static_assert(offsetof(UserRecord, Score) == 268);
static_assert(offsetof(UserRecord, ProgramRuns) == 272);
static_assert(offsetof(UserRecord, SpellScores) == 276);
static_assert(offsetof(UserRecord, SpellAverage) == 316);
static_assert(offsetof(UserRecord, PhonoScores) == 320);
static_assert(offsetof(UserRecord, PhonoAverage) == 360);
static_assert(offsetof(UserRecord, Reserved4) == 364);

// Result of the user-file operations; 0 is success. Each code has one fixed message.
enum UserFileResult : int {
    UserFileOk = 0,
    UserFileCantCreate = 1,
    UserFileCantOpen = 2,
    UserFileCantRead = 3,
    UserFileCantWrite = 4,
    UserFileCorrupted = 5,
    UserFileNotFound = 6,
    // The lock or the new file beside the user file cannot be made: this account may not write
    // in its folder.
    UserFileFolderNotWritable = 7,
};

// The messages of UserFileResult, indexed by code.
extern const char* const UserFileMessages[8];
// The message of a code; codes outside the table give the message of code 5.
const char* UserFileMessage(int result);

// The record being worked on: the logged-in student's in the student program.
extern UserRecord CurrentUser;

// Paths are texts as the settings store them (8-bit, a backslash or a slash between folders,
// relative to the current directory). Names are 8-bit texts compared ignoring ASCII letter case;
// a name longer than 255 characters is cut after its 255th.
//
// Every change writes the complete new file beside the old one and renames it over, holding the
// file's lock for the whole read-modify-write: readers see the old file or the new one, and a
// failure leaves the old file untouched. A user file reached through a link (a class folder
// linking to a shared file) is locked and changed where the link leads, and the new file keeps
// the old one's permissions, and its owner and group where the writer may set them.
//
// A sound file is exactly 264 + 780 x UserCount bytes with the signature; any other length is
// 5 (Corrupted ERF) for every operation, as a wrong signature is.

// Calls `callback` once per record, in file order, with the record loaded into CurrentUser.
// 2: the file cannot be opened (it does not exist); 5: wrong signature, length or checksum.
UserFileResult UserFileList(std::string_view path,
                            const std::function<void(const UserRecord& record)>& callback);
// Appends a new record for `name`, creating the file when there is none. Does not look for an
// existing user of that name.
UserFileResult UserFileAdd(std::string_view path, std::string_view name);
// Removes every record that carries `name`; removing the last user removes the file. When no
// record carries the name the file is left exactly as it was and the result is 0: deleting a
// user who is already gone succeeds.
UserFileResult UserFileDelete(std::string_view path, std::string_view name);
// Loads the record that carries `name` into CurrentUser. After 6 CurrentUser holds the last
// record read; after 2 or 5 it is unchanged.
UserFileResult UserFileFind(std::string_view path, std::string_view name);
// Writes CurrentUser over the record that carries `name`. CurrentUser is never changed.
UserFileResult UserFileUpdate(std::string_view path, std::string_view name);
// Recomputes SpellAverage, PhonoAverage and Score of CurrentUser from its slots and the weights
// in Settings.
void ComputeScores();

namespace hc {

class FileLock;
class FileOps;

inline constexpr std::string_view kUserFileSignature = "QRV Honeycombwordsmiths User File";
inline constexpr std::size_t kNameMaxLength = 255;

enum class Activity { Spelling, Phonogram };

// Whether a new user may be called `name`, given as the user file stores it (Windows-1252
// bytes): false when it holds a control character, that is a byte 0 to 31 (TAB, line ends,
// escape, ...) or 127, or one of the five bytes Windows-1252 leaves undefined (0x81, 0x8D, 0x8F,
// 0x90, 0x9D), which read back as control characters. Such a name would forge lines and
// columns wherever users are listed. Emptiness and length are the caller's to judge (a name
// longer than 255 characters is cut when it is stored). Every place where a new name comes in
// (the login's name box, hcadmin) refuses what this refuses.
bool isAcceptableUserName(std::string_view name);

// A new record for `name` (cut to 255 characters): zeros, the name, 512 in the two reserved
// integers.
UserRecord newUserRecord(std::string_view name);
// The name field as text (up to its zero byte, at most 256 characters).
std::string recordName(const UserRecord& record);
// Names compared as the user file compares them: ASCII letters folded to capitals, then byte by
// byte; `name` cut to 255 characters first, as a stored name is.
bool sameUserName(const UserRecord& record, std::string_view name);

// Recomputes the two averages (a slot holds percent + 1, 0 marks it empty; an average with no
// results keeps its value) and the weighted Score. Intermediates in extended precision, results
// stored as float. When the weights add up to zero the Score is 0. Nothing stored is ever
// infinite or not a number: such an average (kept from a damaged record) becomes 0, and so does
// a Score that weights which are not numbers would make so.
void computeScores(UserRecord& record, float spellWeight, float phonoWeight);

// A stored score or average as the screens show it: one that is not a number (a damaged or
// foreign file) shows as 0, an infinite one as the largest float of its sign.
float shownScore(float stored);
// A stored score cut towards zero to a whole number, as the login list shows it: the value of
// shownScore, so always a number within the range of long long.
long long wholeScore(float stored);
// Shifts the activity's slots one place towards the oldest and stores percent + 1 in slot 9.
void shiftInResult(UserRecord& record, Activity activity, int percent);

// The user-file operations on files given by native paths, through `ops`. `current` plays the
// part of CurrentUser. Writes hold the file's lock for their whole read-modify-write.
class UserFile {
public:
    explicit UserFile(FileOps& ops) : m_ops(ops) {}

    using Callback = std::function<void(const UserRecord& record)>;

    UserFileResult list(const std::string& path, const Callback& callback, UserRecord& current);
    UserFileResult add(const std::string& path, std::string_view name);
    // Adds `name` unless a record already carries it, in one locked step. `added` tells which.
    UserFileResult addIfAbsent(const std::string& path, std::string_view name, bool& added);
    // `removed`, when given, tells whether any record carried the name.
    UserFileResult remove(const std::string& path, std::string_view name, bool* removed = nullptr);
    UserFileResult find(const std::string& path, std::string_view name, UserRecord& current);
    UserFileResult update(const std::string& path, std::string_view name,
                          const UserRecord& current);

    // Records one activity result as both activities do, in one locked step so that two
    // results recorded at once are both kept: find the record into `current`, shift the result
    // in, recompute the scores with the given weights, write the record back. When the record
    // cannot be found the shift and the scores are still applied to what the find left in
    // `current`, and the file is not written. `previousAverage` (optional) receives the
    // activity's average as read, before it is recomputed.
    UserFileResult recordResult(const std::string& path, std::string_view name, Activity activity,
                                int percent, float spellWeight, float phonoWeight,
                                UserRecord& current, float* previousAverage = nullptr);

    // Counts one login (ProgramRuns + 1) for `name` in one locked step; `current` receives the
    // record as written.
    UserFileResult countLogin(const std::string& path, std::string_view name, UserRecord& current);

    // The header last read by any operation.
    const UserFileHeader& header() const { return m_header; }

private:
    UserFileResult addRecord(const std::string& path, std::string_view name, bool onlyIfAbsent,
                             bool& added);
    // Locks the file for a change and reads it whole for update, checking its header but not
    // its checksum. The lock is held in `lock` until the caller lets it go.
    UserFileResult readForChange(const std::string& path, FileLock& lock, std::string& bytes);
    // Puts `record` at `index` of a checked image and replaces the file by it.
    UserFileResult writeRecord(const std::string& path, std::string& bytes, std::size_t index,
                               const UserRecord& record);
    // Find, change and write back one record under the file's lock.
    UserFileResult modify(const std::string& path, std::string_view name, UserRecord& current,
                          const std::function<void(UserRecord&)>& change);

    FileOps& m_ops;
    UserFileHeader m_header{};
};

// The one user-file instance behind the process-wide functions above.
UserFile& userFile();

// Records a result for the logged-in user as the activities do (see UserFile::recordResult),
// with CurrentUser and the weights in Settings. `path` as stored in the settings.
UserFileResult recordResult(std::string_view path, std::string_view name, Activity activity,
                            int percent, float* previousAverage = nullptr);
// Counts a login for `name` in one locked step (see UserFile::countLogin), into CurrentUser.
UserFileResult countLogin(std::string_view path, std::string_view name);
// Adds `name` unless the file already holds it, in one locked step (see UserFile::addIfAbsent).
UserFileResult addUserIfAbsent(std::string_view path, std::string_view name, bool& added);

} // namespace hc

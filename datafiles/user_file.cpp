#include "datafiles/user_file.h"

#include "archive/file_checksum.h"
#include "datafiles/file_lock.h"
#include "datafiles/file_ops.h"
#include "datafiles/settings.h"
#include "datafiles/text_codec.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>
#include <span>

const char* const UserFileMessages[8] = {
    "UserFile Ok",
    "UserFile Error: Can't create file (disk full?)",
    "UserFile Error: Can't open file",
    "UserFile Error: Can't read file",
    "UserFile Error: Can't write to file (disk full?)",
    "UserFile Error: Corrupted ERF",
    "UserFile Error: Can't find user in ERF",
    "UserFile Error: This account may not write in the user file's folder",
};

const char* UserFileMessage(int result) {
    if (result < 0 || result > UserFileFolderNotWritable) {
        return UserFileMessages[UserFileCorrupted];
    }
    return UserFileMessages[result];
}

UserRecord CurrentUser = {};

namespace hc {

namespace {

constexpr std::size_t kHeaderSize = sizeof(UserFileHeader);
constexpr std::size_t kRecordSize = sizeof(UserRecord);

std::string_view cutName(std::string_view name) {
    return name.substr(0, std::min(name.find('\0'), kNameMaxLength));
}

char foldAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

std::size_t recordOffset(std::size_t index) {
    return kHeaderSize + index * kRecordSize;
}

std::size_t recordCount(const UserFileHeader& header) {
    return header.UserCount > 0 ? static_cast<std::size_t>(header.UserCount) : 0;
}

std::uint32_t checksumFrom(std::string_view bytes, std::size_t offset) {
    return crc32Bytes(std::span(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size())
                          .subspan(offset));
}

// Copies record `index` of a file image into `record`. A record cut short by the end of the
// file gives false; its first bytes are copied all the same, as a short read leaves them.
bool readRecord(std::string_view bytes, std::size_t index, UserRecord& record) {
    const std::size_t offset = recordOffset(index);
    if (offset >= bytes.size()) {
        return false;
    }
    const std::size_t got = std::min(kRecordSize, bytes.size() - offset);
    std::memcpy(&record, bytes.data() + offset, got);
    return got == kRecordSize;
}

// The opening check of every operation: the header in full, the signature text (up to its zero
// byte), the length (exactly the header and UserCount records: a count that does not match the
// records would hide users or show records that are not there), and for list and add the
// checksum of everything after the header.
UserFileResult checkHeader(std::string_view bytes, bool withChecksum, UserFileHeader& header) {
    if (bytes.size() < kHeaderSize) {
        return UserFileCantRead;
    }
    std::memcpy(&header, bytes.data(), kHeaderSize);
    const std::size_t length = strnlen(header.Signature, sizeof header.Signature);
    if (std::string_view(header.Signature, length) != kUserFileSignature) {
        return UserFileCorrupted;
    }
    if (header.UserCount < 0 ||
        bytes.size() - kHeaderSize != static_cast<std::size_t>(header.UserCount) * kRecordSize) {
        return UserFileCorrupted;
    }
    if (withChecksum && checksumFrom(bytes, kHeaderSize) != header.Checksum) {
        return UserFileCorrupted;
    }
    return UserFileOk;
}

// Puts `header` with a fresh checksum at the start of a file image.
void sealImage(std::string& bytes, UserFileHeader header) {
    header.Checksum = checksumFrom(bytes, kHeaderSize);
    std::memcpy(bytes.data(), &header, kHeaderSize);
}

std::string freshImage() {
    UserFileHeader header;
    std::memset(&header, 0, sizeof header);
    std::memcpy(header.Signature, kUserFileSignature.data(), kUserFileSignature.size());
    return std::string(reinterpret_cast<const char*>(&header), sizeof header);
}

// Replaces a user file by a new image. Only the holder of the file's lock writes the fixed
// temporary name, so a name left by a crash is simply reused. `createFailure` is the code the
// operation gives when the new file cannot be created.
UserFileResult writeImage(FileOps& ops, const std::string& path, std::string_view bytes,
                          UserFileResult createFailure) {
    switch (replaceFile(ops, path, bytes, sideFilePath(path, ".new"))) {
    case ReplaceStatus::Ok:
        return UserFileOk;
    case ReplaceStatus::CantCreate:
        return folderWritable(path) ? createFailure : UserFileFolderNotWritable;
    case ReplaceStatus::CantWrite:
        return UserFileCantWrite;
    }
    return UserFileCantWrite;
}

UserFileResult readStatusResult(ReadStatus status) {
    switch (status) {
    case ReadStatus::Ok:
        return UserFileOk;
    case ReadStatus::CantOpen:
        return UserFileCantOpen;
    case ReadStatus::CantRead:
        return UserFileCantRead;
    case ReadStatus::TooLarge:
        // Bytes after the last record: the length check would refuse the file all the same.
        return UserFileCorrupted;
    }
    return UserFileCantRead;
}

// Reads a user file whole, but never more than its header and the records it counts (and the
// one byte that shows there is more): a huge file cannot take all memory.
ReadStatus readUserFile(FileOps& ops, const std::string& path, const char* mode,
                        std::string& bytes) {
    return readWholeFile(ops, path, mode, bytes, [](std::string_view start) {
        if (start.size() < kHeaderSize) {
            return kHeaderSize;
        }
        UserFileHeader header;
        std::memcpy(&header, start.data(), sizeof header);
        return recordOffset(recordCount(header));
    });
}

} // namespace

bool isAcceptableUserName(std::string_view name) {
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || byte == 0x81 || byte == 0x8D || byte == 0x8F ||
            byte == 0x90 || byte == 0x9D) {
            return false;
        }
    }
    return true;
}

UserRecord newUserRecord(std::string_view name) {
    UserRecord record;
    std::memset(&record, 0, sizeof record);
    name = cutName(name);
    std::memcpy(record.Name, name.data(), name.size());
    record.Reserved1 = 512;
    record.Reserved3 = 512;
    return record;
}

std::string recordName(const UserRecord& record) {
    return std::string(record.Name, strnlen(record.Name, sizeof record.Name));
}

bool sameUserName(const UserRecord& record, std::string_view name) {
    name = cutName(name);
    const std::size_t length = strnlen(record.Name, sizeof record.Name);
    if (length != name.size()) {
        return false;
    }
    for (std::size_t i = 0; i < length; ++i) {
        if (foldAscii(record.Name[i]) != foldAscii(name[i])) {
            return false;
        }
    }
    return true;
}

namespace {

// The average of the filled slots (each holds percent + 1); with none filled the average keeps
// its value. The sum cannot overflow: ten 32-bit values fit easily in 64 bits.
void averageSlots(const std::int32_t (&slots)[10], float& average) {
    long long sum = 0;
    int count = 0;
    for (const std::int32_t slot : slots) {
        if (slot != 0) {
            sum += static_cast<long long>(slot) - 1;
            ++count;
        }
    }
    if (count > 0) {
        average = static_cast<float>(static_cast<long double>(sum) / count);
    }
}

float finiteOrZero(float value) {
    return std::isfinite(value) ? value : 0.0f;
}

} // namespace

float shownScore(float stored) {
    if (std::isnan(stored)) {
        return 0.0f;
    }
    return std::clamp(stored, std::numeric_limits<float>::lowest(),
                      std::numeric_limits<float>::max());
}

long long wholeScore(float stored) {
    // Limits of long long that a float holds exactly (2^63 is not a long long).
    constexpr long double kHigh = 9223372036854774784.0L; // largest float below 2^63
    const long double whole = std::trunc(static_cast<long double>(shownScore(stored)));
    return static_cast<long long>(std::clamp(whole, -kHigh, kHigh));
}

void computeScores(UserRecord& record, float spellWeight, float phonoWeight) {
    averageSlots(record.SpellScores, record.SpellAverage);
    averageSlots(record.PhonoScores, record.PhonoAverage);
    record.SpellAverage = finiteOrZero(record.SpellAverage);
    record.PhonoAverage = finiteOrZero(record.PhonoAverage);
    const long double spell = spellWeight;
    const long double phono = phonoWeight;
    const long double total = spell + phono;
    if (total == 0.0L) {
        // No weight at all: nothing counts, so the overall score is 0 rather than 0 / 0.
        record.Score = 0.0f;
        return;
    }
    const long double weighted = static_cast<long double>(record.SpellAverage) * spell +
                                 static_cast<long double>(record.PhonoAverage) * phono;
    record.Score = finiteOrZero(static_cast<float>(weighted / total));
}

void shiftInResult(UserRecord& record, Activity activity, int percent) {
    std::int32_t(&slots)[10] =
        activity == Activity::Spelling ? record.SpellScores : record.PhonoScores;
    std::memmove(&slots[0], &slots[1], 9 * sizeof slots[0]);
    // Computed wide so that no percent overflows; a real percent is 0 to 100.
    slots[9] = static_cast<std::int32_t>(static_cast<long long>(percent) + 1);
}

UserFileResult UserFile::list(const std::string& path, const Callback& callback,
                              UserRecord& current) {
    // No lock: every change replaces the file whole, so the bytes read are one consistent file.
    std::string bytes;
    const ReadStatus status = readUserFile(m_ops, path, "rb", bytes);
    if (status != ReadStatus::Ok) {
        return readStatusResult(status);
    }
    if (const UserFileResult checked = checkHeader(bytes, true, m_header); checked != UserFileOk) {
        return checked;
    }
    const std::size_t count = recordCount(m_header);
    for (std::size_t i = 0; i < count; ++i) {
        if (!readRecord(bytes, i, current)) {
            return UserFileCantRead;
        }
        if (callback) {
            callback(current);
        }
    }
    return UserFileOk;
}

namespace {

// Looks for the record that carries `name` in a checked image, reading records into `into` as
// the file is read. Gives the record's index through `index`.
UserFileResult findRecord(std::string_view bytes, const UserFileHeader& header,
                          std::string_view name, UserRecord& into, std::size_t& index) {
    const std::size_t count = recordCount(header);
    for (std::size_t i = 0; i < count; ++i) {
        if (!readRecord(bytes, i, into)) {
            return UserFileCantRead;
        }
        if (sameUserName(into, name)) {
            index = i;
            return UserFileOk;
        }
    }
    return UserFileNotFound;
}

} // namespace

UserFileResult UserFile::find(const std::string& path, std::string_view name, UserRecord& current) {
    std::string bytes;
    const ReadStatus status = readUserFile(m_ops, path, "rb", bytes);
    if (status != ReadStatus::Ok) {
        return readStatusResult(status);
    }
    if (const UserFileResult checked = checkHeader(bytes, false, m_header); checked != UserFileOk) {
        return checked;
    }
    std::size_t index = 0;
    return findRecord(bytes, m_header, name, current, index);
}

UserFileResult UserFile::add(const std::string& path, std::string_view name) {
    bool added = false;
    return addRecord(path, name, false, added);
}

UserFileResult UserFile::addIfAbsent(const std::string& path, std::string_view name, bool& added) {
    return addRecord(path, name, true, added);
}

UserFileResult UserFile::addRecord(const std::string& givenPath, std::string_view name,
                                   bool onlyIfAbsent, bool& added) {
    added = false;
    const std::string path = resolvedPath(givenPath);
    const FileLock lock = FileLock::acquire(path, FileLock::Mode::Exclusive);
    if (!lock.locked()) {
        if (!folderWritable(path)) {
            return UserFileFolderNotWritable;
        }
        return m_ops.exists(path) ? UserFileCantOpen : UserFileCantCreate;
    }
    std::string bytes;
    const ReadStatus status = readUserFile(m_ops, path, "r+b", bytes);
    const int openError = errno;
    switch (status) {
    case ReadStatus::Ok:
        break;
    case ReadStatus::CantOpen:
        // No file yet: the new one starts as a fresh header. A file that exists but cannot be
        // opened for writing could not be created anew either.
        if (m_ops.exists(path)) {
            // Not a regular file (a folder, a FIFO, a device): nothing can be created there.
            return openError == EISDIR || openError == ENODEV ? UserFileCantOpen
                                                              : UserFileCantCreate;
        }
        bytes = freshImage();
        break;
    case ReadStatus::CantRead:
    case ReadStatus::TooLarge:
        return readStatusResult(status);
    }
    if (const UserFileResult checked = checkHeader(bytes, true, m_header); checked != UserFileOk) {
        return checked;
    }
    if (onlyIfAbsent) {
        UserRecord scratch;
        std::size_t index = 0;
        const UserFileResult found = findRecord(bytes, m_header, name, scratch, index);
        if (found == UserFileOk) {
            return UserFileOk;
        }
        if (found != UserFileNotFound) {
            return found;
        }
    }
    if (m_header.UserCount == std::numeric_limits<std::int32_t>::max()) {
        return UserFileCorrupted;
    }
    // The record goes at the end of the file, after whatever the file holds.
    const UserRecord record = newUserRecord(name);
    bytes.append(reinterpret_cast<const char*>(&record), sizeof record);
    UserFileHeader header = m_header;
    header.UserCount += 1;
    sealImage(bytes, header);
    const UserFileResult written = writeImage(m_ops, path, bytes, UserFileCantCreate);
    if (written == UserFileOk) {
        std::memcpy(&m_header, bytes.data(), kHeaderSize);
        added = true;
    }
    return written;
}

UserFileResult UserFile::update(const std::string& givenPath, std::string_view name,
                                const UserRecord& current) {
    const std::string path = resolvedPath(givenPath);
    FileLock lock;
    std::string bytes;
    if (const UserFileResult read = readForChange(path, lock, bytes); read != UserFileOk) {
        return read;
    }
    UserRecord scratch;
    std::size_t index = 0;
    if (const UserFileResult found = findRecord(bytes, m_header, name, scratch, index);
        found != UserFileOk) {
        return found;
    }
    return writeRecord(path, bytes, index, current);
}

UserFileResult UserFile::readForChange(const std::string& path, FileLock& lock,
                                       std::string& bytes) {
    lock = FileLock::acquire(path, FileLock::Mode::Exclusive);
    if (!lock.locked()) {
        return folderWritable(path) ? UserFileCantOpen : UserFileFolderNotWritable;
    }
    const ReadStatus status = readUserFile(m_ops, path, "r+b", bytes);
    if (status != ReadStatus::Ok) {
        return readStatusResult(status);
    }
    return checkHeader(bytes, false, m_header);
}

UserFileResult UserFile::writeRecord(const std::string& path, std::string& bytes, std::size_t index,
                                     const UserRecord& record) {
    std::memcpy(bytes.data() + recordOffset(index), &record, sizeof record);
    sealImage(bytes, m_header);
    const UserFileResult written = writeImage(m_ops, path, bytes, UserFileCantWrite);
    if (written == UserFileOk) {
        std::memcpy(&m_header, bytes.data(), kHeaderSize);
    }
    return written;
}

UserFileResult UserFile::remove(const std::string& givenPath, std::string_view name,
                                bool* removed) {
    if (removed != nullptr) {
        *removed = false;
    }
    const std::string path = resolvedPath(givenPath);
    FileLock lock;
    std::string bytes;
    if (const UserFileResult read = readForChange(path, lock, bytes); read != UserFileOk) {
        return read;
    }
    const std::size_t count = recordCount(m_header);
    std::string kept;
    std::size_t keptCount = 0;
    UserRecord record;
    for (std::size_t i = 0; i < count; ++i) {
        if (!readRecord(bytes, i, record)) {
            return UserFileCantRead;
        }
        if (!sameUserName(record, name)) {
            kept.append(reinterpret_cast<const char*>(&record), sizeof record);
            ++keptCount;
        }
    }
    if (keptCount == count) {
        // No record carries the name: the file stays as it is (a one-record file included).
        return UserFileOk;
    }
    if (removed != nullptr) {
        *removed = true;
    }
    if (count <= 1) {
        // Removing the last user removes the file.
        return m_ops.remove(path) ? UserFileOk : UserFileCantWrite;
    }
    UserFileHeader header = m_header;
    header.UserCount = static_cast<std::int32_t>(keptCount);
    std::string image(reinterpret_cast<const char*>(&header), sizeof header);
    image += kept;
    sealImage(image, header);
    const UserFileResult written = writeImage(m_ops, path, image, UserFileCantCreate);
    if (written == UserFileOk) {
        std::memcpy(&m_header, image.data(), kHeaderSize);
    }
    return written;
}

UserFileResult UserFile::modify(const std::string& givenPath, std::string_view name,
                                UserRecord& current,
                                const std::function<void(UserRecord&)>& change) {
    const std::string path = resolvedPath(givenPath);
    const FileLock lock = FileLock::acquire(path, FileLock::Mode::Exclusive);
    // The find runs as UserFileFind does, so that `current` holds what the activities expect
    // even when the file cannot be changed; the change is applied to it in every case.
    std::string bytes;
    UserFileResult found = UserFileOk;
    std::size_t index = 0;
    const ReadStatus status = readUserFile(m_ops, path, "rb", bytes);
    if (status != ReadStatus::Ok) {
        found = readStatusResult(status);
    } else {
        found = checkHeader(bytes, false, m_header);
        if (found == UserFileOk) {
            found = findRecord(bytes, m_header, name, current, index);
        }
    }
    change(current);
    if (found != UserFileOk) {
        return found;
    }
    if (!lock.locked()) {
        return folderWritable(path) ? UserFileCantOpen : UserFileFolderNotWritable;
    }
    // The file must be writable, as an update insists.
    {
        ScopedFile writable(m_ops, m_ops.open(path, "r+b"));
        if (!writable) {
            return UserFileCantOpen;
        }
    }
    return writeRecord(path, bytes, index, current);
}

UserFileResult UserFile::recordResult(const std::string& path, std::string_view name,
                                      Activity activity, int percent, float spellWeight,
                                      float phonoWeight, UserRecord& current,
                                      float* previousAverage) {
    return modify(path, name, current, [&](UserRecord& record) {
        shiftInResult(record, activity, percent);
        if (previousAverage != nullptr) {
            *previousAverage =
                activity == Activity::Spelling ? record.SpellAverage : record.PhonoAverage;
        }
        computeScores(record, spellWeight, phonoWeight);
    });
}

UserFileResult UserFile::countLogin(const std::string& path, std::string_view name,
                                    UserRecord& current) {
    return modify(path, name, current, [](UserRecord& record) {
        // Wraps rather than overflows on a record that a hand-made file filled with nonsense.
        record.ProgramRuns =
            static_cast<std::int32_t>(static_cast<std::uint32_t>(record.ProgramRuns) + 1u);
    });
}

UserFile& userFile() {
    static UserFile instance(FileOps::system());
    return instance;
}

UserFileResult recordResult(std::string_view path, std::string_view name, Activity activity,
                            int percent, float* previousAverage) {
    return userFile().recordResult(nativePath(path), name, activity, percent, Settings.SpellWeight,
                                   Settings.PhonoWeight, CurrentUser, previousAverage);
}

UserFileResult countLogin(std::string_view path, std::string_view name) {
    return userFile().countLogin(nativePath(path), name, CurrentUser);
}

UserFileResult addUserIfAbsent(std::string_view path, std::string_view name, bool& added) {
    return userFile().addIfAbsent(nativePath(path), name, added);
}

} // namespace hc

UserFileResult UserFileList(std::string_view path,
                            const std::function<void(const UserRecord& record)>& callback) {
    return hc::userFile().list(hc::nativePath(path), callback, CurrentUser);
}

UserFileResult UserFileAdd(std::string_view path, std::string_view name) {
    return hc::userFile().add(hc::nativePath(path), name);
}

UserFileResult UserFileDelete(std::string_view path, std::string_view name) {
    return hc::userFile().remove(hc::nativePath(path), name);
}

UserFileResult UserFileFind(std::string_view path, std::string_view name) {
    return hc::userFile().find(hc::nativePath(path), name, CurrentUser);
}

UserFileResult UserFileUpdate(std::string_view path, std::string_view name) {
    return hc::userFile().update(hc::nativePath(path), name, CurrentUser);
}

void ComputeScores() {
    hc::computeScores(CurrentUser, Settings.SpellWeight, Settings.PhonoWeight);
}

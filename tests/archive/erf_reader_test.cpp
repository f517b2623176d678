#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "archive/erf_format.h"
#include "archive/erf_reader.h"
#include "archive/file_checksum.h"
#include "archive_bytes.h"
#include "temp_dir.h"

namespace hc::test {
namespace {

class ErfReaderTest : public TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        ErfCloseAll();
    }
    void TearDown() override {
        ErfCloseAll();
        TempDirTest::TearDown();
    }

    // Writes the bytes to a file and opens it with the process-wide reader.
    ErfResult open(const std::string& bytes, const std::string& name = "test.erf",
                   bool verify = false) {
        writeFile(path(name), bytes);
        return ErfOpenArchive(path(name).c_str(), verify, nullptr, nullptr);
    }

    static std::vector<std::string> entryNames() {
        std::vector<std::string> names;
        ErfForEachEntry(
            [](const char* name, void* out) {
                static_cast<std::vector<std::string>*>(out)->push_back(name);
                return 1;
            },
            &names);
        return names;
    }

    // Reads the current entry to its end in pieces of `piece` bytes.
    static std::string readAll(std::size_t piece) {
        std::string content;
        std::vector<char> buffer(piece);
        for (int guard = 0; !ErfEntryEnded() && guard < 1000000; ++guard) {
            const std::size_t got = ErfRead(piece, buffer.data());
            if (got == 0) {
                break;
            }
            content.append(buffer.data(), got);
        }
        return content;
    }

    static std::string entryContent(const std::string& name, std::size_t piece = 4096) {
        if (ErfOpenEntry(name.c_str()) == nullptr) {
            return "<missing>";
        }
        return readAll(piece);
    }
};

// Text that compresses well but not trivially, so pieces of 1024 compressed bytes decode into
// many output bytes.
std::string sampleText(std::size_t size, unsigned seed = 1) {
    std::string text;
    unsigned state = seed;
    while (text.size() < size) {
        state = state * 1103515245u + 12345u;
        text += "word" + std::to_string((state >> 16) % 500) + ' ';
    }
    text.resize(size);
    return text;
}

std::string randomBytes(std::size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    unsigned state = seed;
    for (char& c : bytes) {
        state = state * 1664525u + 1013904223u;
        c = static_cast<char>(state >> 24);
    }
    return bytes;
}

TEST_F(ErfReaderTest, NamesAreOrderedAndFoundWithAsciiCaseFolding) {
    ASSERT_EQ(open(archiveBytes({
                  storedEntry("Cat", "c"),
                  storedEntry("_under", "u"),
                  storedEntry("bee\\x", "bx"),
                  storedEntry("Apple", "ap"),
                  storedEntry("\xe9t\xe9", "high"),
                  storedEntry("bee", "b"),
                  storedEntry("a", "a"),
              })),
              ErfOk);
    // A shorter prefix first; lower-case b between upper-case A and C; underscore after every
    // letter of either case; bytes above 127 compare as unsigned, after everything ASCII.
    const std::vector<std::string> expected = {"a",   "Apple",  "bee",      "bee\\x",
                                               "Cat", "_under", "\xe9t\xe9"};
    EXPECT_EQ(entryNames(), expected);

    EXPECT_EQ(entryContent("APPLE"), "ap");
    EXPECT_EQ(entryContent("BEE\\X"), "bx");
    EXPECT_EQ(entryContent("cAT"), "c");
    // Only a-z are folded: the upper-case Latin-1 letter is a different name.
    EXPECT_EQ(ErfOpenEntry("\xc9T\xc9"), nullptr);
    EXPECT_EQ(ErfOpenEntry("Appl"), nullptr);
}

TEST_F(ErfReaderTest, FirstReadEntryWinsAmongEqualNamesAcrossArchives) {
    ASSERT_EQ(open(archiveBytes({storedEntry("dup", "first"), storedEntry("other", "o"),
                                 zlibEntry("DUP", "second")}),
                   "one.erf"),
              ErfOk);
    ASSERT_EQ(open(archiveBytes({storedEntry("Dup", "third")}), "two.erf"), ErfOk);

    EXPECT_EQ(entryContent("dUp"), "first");
    EXPECT_EQ(entryNames(), (std::vector<std::string>{"dup", "DUP", "Dup", "other"}));
}

TEST_F(ErfReaderTest, ForEachStopsAfterTheFirstZero) {
    ASSERT_EQ(
        open(archiveBytes({storedEntry("a", ""), storedEntry("b", ""), storedEntry("c", "")})),
        ErfOk);
    int calls = 0;
    ErfForEachEntry(
        [](const char*, void* counter) { return ++*static_cast<int*>(counter) == 2 ? 0 : 1; },
        &calls);
    EXPECT_EQ(calls, 2);
}

TEST_F(ErfReaderTest, StoredEntryDeliversExactlyItsBytes) {
    ASSERT_EQ(open(archiveBytes({storedEntry("empty", ""), storedEntry("five", "12345"),
                                 storedEntry("next", "NEXT")})),
              ErfOk);

    ASSERT_NE(ErfOpenEntry("five"), nullptr);
    char buffer[64] = {};
    EXPECT_FALSE(ErfEntryEnded());
    EXPECT_EQ(ErfRead(2, buffer), 2u);
    EXPECT_FALSE(ErfEntryEnded());
    EXPECT_EQ(ErfRead(sizeof buffer, buffer), 3u); // only the rest, never the next entry
    EXPECT_EQ(std::string(buffer, 3), "345");
    EXPECT_TRUE(ErfEntryEnded());
    EXPECT_EQ(ErfRead(sizeof buffer, buffer), 0u);

    ASSERT_NE(ErfOpenEntry("empty"), nullptr);
    EXPECT_TRUE(ErfEntryEnded());
    EXPECT_EQ(ErfRead(sizeof buffer, buffer), 0u);
}

TEST_F(ErfReaderTest, CompressedEntriesDecodeWhateverThePieceSizes) {
    // Contents whose compressed sizes fall below, on and across the 1024-byte refill, each
    // followed directly by another compressed entry.
    const std::vector<std::string> contents = {"",
                                               "x",
                                               sampleText(3000),
                                               randomBytes(1023, 7),
                                               randomBytes(1024, 8),
                                               randomBytes(1025, 9),
                                               randomBytes(5000, 10),
                                               sampleText(400000, 3)};
    std::vector<RawEntry> entries;
    for (std::size_t i = 0; i < contents.size(); ++i) {
        entries.push_back(zlibEntry("e" + std::to_string(i), contents[i]));
    }
    ASSERT_EQ(open(archiveBytes(entries)), ErfOk);

    for (std::size_t i = 0; i < contents.size(); ++i) {
        for (const std::size_t piece : {std::size_t{1}, std::size_t{7}, std::size_t{1024},
                                        std::size_t{65536}, std::size_t{1} << 20}) {
            SCOPED_TRACE("entry " + std::to_string(i) + ", pieces of " + std::to_string(piece));
            if (piece == 1 && contents[i].size() > 10000) {
                continue; // byte by byte over 400 kB adds time, not coverage
            }
            ASSERT_NE(ErfOpenEntry(("E" + std::to_string(i)).c_str()), nullptr);
            EXPECT_EQ(readAll(piece), contents[i]);
            EXPECT_TRUE(ErfEntryEnded());
            char byte;
            EXPECT_EQ(ErfRead(1, &byte), 0u);
        }
    }
}

TEST_F(ErfReaderTest, LargeReadDeliversTheWholeCompressedEntryAtOnce) {
    const std::string content = sampleText(200000);
    ASSERT_EQ(open(archiveBytes({zlibEntry("big", content)})), ErfOk);
    ASSERT_NE(ErfOpenEntry("big"), nullptr);
    std::vector<char> buffer(content.size() + 100);
    EXPECT_EQ(ErfRead(buffer.size(), buffer.data()), content.size());
    EXPECT_EQ(std::string(buffer.data(), content.size()), content);
    EXPECT_TRUE(ErfEntryEnded());
    EXPECT_EQ(ErfRead(buffer.size(), buffer.data()), 0u);
}

TEST_F(ErfReaderTest, ExactlyFullBufferDoesNotLoseDecodedBytes) {
    // Regression: a read that fills the caller's buffer exactly while the decoder still holds
    // output must not end the entry early and drop the rest.
    const std::string content(300000, 'a'); // a few hundred compressed bytes
    ASSERT_EQ(open(archiveBytes({zlibEntry("runs", content)})), ErfOk);
    ASSERT_NE(ErfOpenEntry("runs"), nullptr);
    std::vector<char> buffer(65536);
    EXPECT_EQ(ErfRead(buffer.size(), buffer.data()), buffer.size());
    EXPECT_FALSE(ErfEntryEnded());
    EXPECT_EQ(readAll(65536).size(), content.size() - buffer.size());
}

TEST_F(ErfReaderTest, DecoderDamageMakesTheReadReturnZero) {
    const std::string content = sampleText(5000);
    RawEntry badCheck = zlibEntry("badcheck", content);
    badCheck.data.back() ^= 0x55; // the Adler-32 at the end of the stream
    RawEntry badData = zlibEntry("baddata", content);
    badData.data[2] = static_cast<char>(0xFF); // an invalid deflate block type
    ASSERT_EQ(open(archiveBytes({badCheck, badData, storedEntry("ok", "fine")})), ErfOk);

    std::vector<char> buffer(100000);
    ASSERT_NE(ErfOpenEntry("badcheck"), nullptr);
    // Every byte was produced before the check failed, yet the read reports nothing.
    EXPECT_EQ(ErfRead(buffer.size(), buffer.data()), 0u);
    EXPECT_FALSE(ErfEntryEnded());
    EXPECT_EQ(ErfRead(buffer.size(), buffer.data()), 0u);

    ASSERT_NE(ErfOpenEntry("baddata"), nullptr);
    EXPECT_EQ(ErfRead(buffer.size(), buffer.data()), 0u);
    EXPECT_FALSE(ErfEntryEnded());

    EXPECT_EQ(entryContent("ok"), "fine");
}

TEST_F(ErfReaderTest, CutOffStreamNeverTakesBytesOfTheNextEntry) {
    // The first entry's stored length stops halfway through its zlib stream; the next entry's
    // compressed bytes follow at once. A reader that refilled past the entry would feed them
    // to the decoder as if they continued the stream.
    const std::string content = randomBytes(6000, 4);
    RawEntry cut = zlibEntry("cut", content);
    cut.data.resize(cut.data.size() / 2);
    const std::string after = sampleText(9000, 5);
    ASSERT_EQ(open(archiveBytes({cut, zlibEntry("next", after)})), ErfOk);

    for (const std::size_t piece : {std::size_t{100}, std::size_t{1024}, std::size_t{65536}}) {
        ASSERT_NE(ErfOpenEntry("cut"), nullptr);
        const std::string got = readAll(piece);
        EXPECT_LT(got.size(), content.size());
        EXPECT_EQ(got, content.substr(0, got.size()));
        EXPECT_FALSE(ErfEntryEnded()) << "a cut-off entry must not look complete";
        EXPECT_EQ(entryContent("next"), after);
    }
}

TEST_F(ErfReaderTest, UnknownNameLeavesTheCurrentEntryReadable) {
    const std::string content = sampleText(10000);
    ASSERT_EQ(open(archiveBytes({zlibEntry("text", content)})), ErfOk);
    ASSERT_NE(ErfOpenEntry("text"), nullptr);
    std::vector<char> buffer(4000);
    ASSERT_EQ(ErfRead(buffer.size(), buffer.data()), buffer.size());
    EXPECT_EQ(ErfOpenEntry("missing"), nullptr);
    EXPECT_EQ(std::string(buffer.data(), buffer.size()) + readAll(999), content);
}

TEST_F(ErfReaderTest, OpeningAnotherEntryStartsAFreshDecoder) {
    const std::string a = sampleText(50000, 1);
    const std::string b = sampleText(50000, 2);
    ASSERT_EQ(open(archiveBytes({zlibEntry("a", a), zlibEntry("b", b)})), ErfOk);
    ASSERT_NE(ErfOpenEntry("a"), nullptr);
    std::vector<char> buffer(1000);
    ASSERT_EQ(ErfRead(buffer.size(), buffer.data()), buffer.size());
    EXPECT_EQ(entryContent("b"), b);
    EXPECT_EQ(entryContent("a"), a);
}

TEST_F(ErfReaderTest, TitleAndCountAreHandedOutTerminated) {
    writeFile(path("t.erf"),
              archiveBytes({storedEntry("a", "1"), storedEntry("b", "2")}, std::string(300, 'T')));
    char title[256];
    std::memset(title, 'x', sizeof title);
    std::uint32_t count = 0;
    ASSERT_EQ(ErfOpenArchive(path("t.erf").c_str(), false, title, &count), ErfOk);
    EXPECT_EQ(count, 2u);
    EXPECT_EQ(std::string(title), std::string(255, 'T'));
}

TEST_F(ErfReaderTest, ChecksumIsVerifiedOnlyWhenAsked) {
    const std::string good = archiveBytes({zlibEntry("a", sampleText(3000))});
    EXPECT_EQ(open(good, "good.erf", true), ErfOk);
    const std::string bad = archiveBytes({zlibEntry("a", sampleText(3000))}, "t", -1, false);
    EXPECT_EQ(open(bad, "bad1.erf", true), ErfBadChecksum);
    EXPECT_EQ(open(bad, "bad2.erf", false), ErfOk);
    // An empty archive checks against 0.
    EXPECT_EQ(open(archiveBytes({}), "empty.erf", true), ErfOk);
}

TEST_F(ErfReaderTest, ArchiveAppendedToAnExecutableIsFoundAfterTheMarker) {
    const auto marker = erf::embedSignature();
    const std::string signature(marker.begin(), marker.end());
    const std::string archive =
        archiveBytes({zlibEntry("inside", sampleText(7000)), storedEntry("raw", "RAW")});
    // A near-miss (the marker's first 11 bytes, then a wrong byte) comes before the real one.
    const std::string nearMiss = signature.substr(0, 11) + "!";
    for (const std::string& program :
         {std::string("MZ\x90\x00", 4) + randomBytes(70000, 2), std::string("\x7f"
                                                                            "ELF",
                                                                            4) +
                                                                    randomBytes(1000, 3)}) {
        ErfCloseAll();
        const std::string exe = program + nearMiss + signature + archive;
        ASSERT_EQ(open(exe, "program.exe", true), ErfOk);
        EXPECT_EQ(entryContent("inside"), sampleText(7000));
        EXPECT_EQ(entryContent("RAW"), "RAW");
        EXPECT_TRUE(ErfEntryEnded());
    }
}

TEST_F(ErfReaderTest, DamagedArchivesFailWithTheirResult) {
    const std::string good =
        archiveBytes({storedEntry("a", "alpha"), zlibEntry("b", sampleText(2000))});
    const auto marker = erf::embedSignature();
    std::string noNul = archiveBytes({storedEntry(std::string(256, 'N'), "long")});

    struct Row {
        const char* what;
        std::string bytes;
        ErfResult expected;
    };
    const std::vector<Row> rows = {
        {"empty file", "", ErfUnknownCompression},
        {"truncated header", good.substr(0, 100), ErfUnknownCompression},
        {"header without checksum", good.substr(0, 262), ErfUnknownCompression},
        {"no entries, count 0", archiveBytes({}), ErfOk},
        {"count larger than the entries", archiveBytes({storedEntry("a", "1")}, "t", 2),
         ErfUnknownCompression},
        {"huge count", archiveBytes({storedEntry("a", "1")}, "t", 0xFFFFFFFF),
         ErfUnknownCompression},
        {"directory cut inside an entry header", good.substr(0, 264 + 100), ErfUnknownCompression},
        {"data cut short", good.substr(0, good.size() - 10), ErfUnknownCompression},
        {"last length past the end",
         archiveBytes({storedEntry("a", "1"), RawEntry{"b", "xy", std::string(4, '\0'), 0, 1000}}),
         ErfUnknownCompression},
        {"huge length", archiveBytes({RawEntry{"a", "xy", "ZLIB", 0, 0xFFFFFFFF}}),
         ErfUnknownCompression},
        {"unknown tag", archiveBytes({RawEntry{"a", "xy", "----", 0, -1}}), ErfUnknownCompression},
        {"lower-case zlib", archiveBytes({RawEntry{"a", "xy", "zlib", 0, -1}}),
         ErfUnknownCompression},
        {"zero byte then anything is stored",
         archiveBytes({RawEntry{"a", "xy", std::string("\0abc", 4), 0, -1}}), ErfOk},
        {"name without NUL", noNul, ErfOk},
        {"title starting with MZ", archiveBytes({storedEntry("a", "1")}, "MZ title"),
         ErfNoErfInExe},
        {"executable without marker", "MZ" + randomBytes(5000, 1), ErfNoErfInExe},
        {"marker at the very end", "MZ" + std::string(marker.begin(), marker.end()),
         ErfUnknownCompression},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        ErfCloseAll();
        EXPECT_EQ(open(row.bytes), row.expected);
    }
    ErfCloseAll();
    EXPECT_EQ(ErfOpenArchive(path("missing.erf").c_str(), false, nullptr, nullptr),
              ErfErrorOpeningFile);
}

TEST_F(ErfReaderTest, NameWithoutNulIsCutAt255) {
    ASSERT_EQ(open(archiveBytes({storedEntry(std::string(256, 'N'), "long")})), ErfOk);
    EXPECT_EQ(entryNames(), std::vector<std::string>{std::string(255, 'N')});
    EXPECT_EQ(entryContent(std::string(255, 'n')), "long");
}

TEST_F(ErfReaderTest, EntriesReadBeforeADamagedOneStayUsable) {
    ASSERT_EQ(open(archiveBytes({storedEntry("good", "kept"), RawEntry{"bad", "xy", "LZMA", 0, -1},
                                 storedEntry("after", "lost")})),
              ErfUnknownCompression);
    EXPECT_EQ(entryContent("good"), "kept");
    EXPECT_EQ(ErfOpenEntry("after"), nullptr);
}

TEST_F(ErfReaderTest, CloseAllEmptiesTheDirectory) {
    ASSERT_EQ(open(archiveBytes({storedEntry("a", "1")})), ErfOk);
    ASSERT_NE(ErfOpenEntry("a"), nullptr);
    ErfCloseAll();
    EXPECT_TRUE(entryNames().empty());
    EXPECT_EQ(ErfOpenEntry("a"), nullptr);
    EXPECT_TRUE(ErfEntryEnded());
}

TEST_F(ErfReaderTest, FileChecksumCoversFromThePositionToTheEnd) {
    writeFile(path("crc.bin"), "abc123456789");
    std::FILE* file = std::fopen(path("crc.bin").c_str(), "rb");
    ASSERT_NE(file, nullptr);
    std::fseek(file, 3, SEEK_SET);
    EXPECT_EQ(FileChecksum(file), 0xCBF43926u);
    EXPECT_EQ(std::ftell(file), 3);
    std::fseek(file, 0, SEEK_END);
    EXPECT_EQ(FileChecksum(file), 0u);
    std::fclose(file);
}

} // namespace
} // namespace hc::test

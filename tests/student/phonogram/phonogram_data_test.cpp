// The phonogram table loader on small archives made in the test, and the puzzle count.

#include "archive/error.h"
#include "content/entry_names.h"
#include "student/phonogram/phonogram_data.h"
#include "student_test.h"

#include <optional>

namespace hc::test::student {
namespace {

using hc::student::countPuzzles;
using hc::student::kCantOpenPhonograms;
using hc::student::kCantReadPhonograms;
using hc::student::loadPhonogramTable;
using hc::student::PhonogramTable;

// `count` well-formed lines "pN<TAB>N00<TAB>N50" ended by `ending`.
std::string tableLines(int count, const std::string& ending = "\r\n") {
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += "p" + std::to_string(i) + "\t" + std::to_string(i * 100) + "\t" +
                std::to_string(i * 100 + 50) + ending;
    }
    return text;
}

class PhonogramDataTest : public StudentTest {
protected:
    // Opens an archive holding only `entries`.
    void useEntries(const std::vector<std::pair<std::string, std::string>>& entries) {
        const std::string archive = path("SMALL.ERF");
        writeArchive(archive, {}, entries);
        useArchive(archive);
    }
    void useTable(const std::string& bytes) {
        useEntries({{std::string(hc::entries::kPhonogramTable), bytes}});
    }
    // The load's error message, or nothing when it loaded.
    std::optional<std::string> load(PhonogramTable& table) {
        try {
            loadPhonogramTable(table);
        } catch (const hc::Error& error) {
            return error.what();
        }
        return std::nullopt;
    }
};

TEST_F(PhonogramDataTest, TheTableAsTheLinesGiveIt) {
    struct Row {
        const char* what;
        std::string bytes;
        std::optional<std::string> error;
        // For a table that loads: entry `index` holds these.
        int index = 0;
        std::string text = {};
        int start = 0;
        int end = 0;
    };
    const std::string line105 = "long\t1\t" + std::string(96, '2') + "\r\n";
    const std::string line104 = "long\t1\t" + std::string(95, '2') + "\r\n";
    ASSERT_EQ(line104.size(), 104u);
    ASSERT_EQ(line105.size(), 105u);
    // One row a case, laid out by hand.
    // clang-format off
    const std::vector<Row> rows = {
        {"a first line as the file gives it", "ai\t1200\t5400\r\n" + tableLines(69), {}, 0, "ai",
         1200, 5400},
        {"71 lines: the 70th is the last read", tableLines(71), {}, 69, "p69", 6900, 6950},
        {"anything after the 70th line end is ignored", tableLines(70) + "no line end", {}, 69,
         "p69", 6900, 6950},
        {"69 lines", tableLines(69), kCantReadPhonograms},
        {"a 70th line without its LF", tableLines(69) + "p69\t6900\t6950\r", kCantReadPhonograms},
        // The byte before the LF is dropped whatever it is.
        {"an LF without CR loses the last character", "ai\t1200\t5400\n" + tableLines(69), {},
         0, "ai", 1200, 540},
        {"a single TAB: start and end alike", "ai\t1200\r\n" + tableLines(69), {}, 0, "ai",
         1200, 1200},
        {"numbers read as the C library reads them", "x\t  -12abc\t+7\r\n" + tableLines(69), {},
         0, "x", -12, 7},
        {"no digits read as 0, a huge number clamped", "y\tz\t99999999999\r\n" + tableLines(69),
         {}, 0, "y", 0, 2147483647},
        {"an empty line", "\r\n" + tableLines(69), {}, 0, "", 0, 0},
        {"a line of 104 bytes", line104 + tableLines(69), {}, 0, "long", 1, 2147483647},
        {"a line of 105 bytes is refused", line105 + tableLines(69), kCantReadPhonograms},
        {"a text of 11 characters", "abcdefghijk\t5\t6\r\n" + tableLines(69), {}, 0,
         "abcdefghijk", 5, 6},
        {"a text of 12 characters is refused", "abcdefghijkl\t5\t6\r\n" + tableLines(69),
         kCantReadPhonograms},
    };
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        useTable(row.bytes);
        PhonogramTable table{};
        table[0].Used = true;
        table[69].Used = true;
        const std::optional<std::string> error = load(table);
        EXPECT_EQ(error, row.error);
        if (!row.error) {
            const auto& entry = table[static_cast<std::size_t>(row.index)];
            EXPECT_EQ(entry.Text, row.text);
            EXPECT_EQ(entry.StartSample, row.start);
            EXPECT_EQ(entry.EndSample, row.end);
            EXPECT_FALSE(table[0].Used || table[69].Used) << "a load clears Used";
        }
    }
}

TEST_F(PhonogramDataTest, WithoutTheTableTheLoadCannotOpenIt) {
    useEntries({{"phono\\sound\\other.txt", tableLines(70)}});
    PhonogramTable table{};
    EXPECT_EQ(load(table), std::optional<std::string>(kCantOpenPhonograms));
}

TEST_F(PhonogramDataTest, TheBuildsTableLoadsSeventyCardTexts) {
    PhonogramTable table{};
    ASSERT_EQ(load(table), std::nullopt);
    for (const auto& entry : table) {
        EXPECT_FALSE(entry.Text.empty());
        EXPECT_LT(entry.StartSample, entry.EndSample) << entry.Text;
    }
    EXPECT_GT(countPuzzles(), 0);
}

TEST_F(PhonogramDataTest, EveryEntryUnderTheMoviePrefixCountsAsAPuzzle) {
    useEntries({
        {"phono\\puzzles\\movies\\0.avi", "a"},
        {"PHONO\\PUZZLES\\MOVIES\\1.AVI", "b"},      // capitals count
        {"phono\\puzzles\\movies\\readme.txt", "c"}, // not a movie, still counts
        {"phono\\puzzles\\movie\\2.avi", "d"},       // another folder
        {"phono\\puzzles\\pictures\\0_00.bmp", "e"},
        {"phono\\puzzles\\movies", "f"}, // shorter than the prefix
    });
    EXPECT_EQ(countPuzzles(), 3);
    useEntries({{std::string(hc::entries::kPhonogramTable), tableLines(70)}});
    EXPECT_EQ(countPuzzles(), 0);
}

} // namespace
} // namespace hc::test::student

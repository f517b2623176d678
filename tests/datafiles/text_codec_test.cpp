#include "datafiles/text_codec.h"

#include <gtest/gtest.h>

namespace hc::test {
namespace {

TEST(TextCodec, EveryByteConvertsToUtf8AndBack) {
    std::string all;
    for (int b = 1; b < 256; ++b) {
        all += static_cast<char>(b);
    }
    const std::string utf8 = cp1252ToUtf8(all);
    EXPECT_TRUE(isValidUtf8(utf8));
    const Cp1252Encoding back = utf8ToCp1252(utf8);
    EXPECT_TRUE(back.ok()) << back.unstorable;
    EXPECT_EQ(back.bytes, all);
}

TEST(TextCodec, KnownCharacters) {
    const std::vector<std::pair<std::string, std::string>> rows = {
        {"\x80", "\xE2\x82\xAC"},                     // euro sign
        {"\x9F", "\xC5\xB8"},                         // Y with diaeresis
        {"\xE9", "\xC3\xA9"},                         // e acute, as in Latin-1
        {"\x93hi\x94", "\xE2\x80\x9Chi\xE2\x80\x9D"}, // curly quotes
        {"\x81", "\xC2\x81"}, // undefined in the code page: kept as the C1 control
        {"Ann", "Ann"},
    };
    for (const auto& [cp1252, utf8] : rows) {
        EXPECT_EQ(cp1252ToUtf8(cp1252), utf8);
        EXPECT_EQ(utf8ToCp1252(utf8).bytes, cp1252);
    }
}

TEST(TextCodec, TellsWhichCharactersCannotBeStored) {
    const Cp1252Encoding greek = utf8ToCp1252("\xCE\xB1\xCE\xB2\xCE\xB1-Zo\xC3\xAB");
    EXPECT_FALSE(greek.ok());
    EXPECT_EQ(greek.bytes, std::string(3, '?') + "-Zo\xEB");
    EXPECT_EQ(greek.unstorable, "\xCE\xB1\xCE\xB2"); // each once, in order

    const Cp1252Encoding emoji = utf8ToCp1252("\xF0\x9F\x90\x9D");
    EXPECT_EQ(emoji.bytes, "?");
    EXPECT_EQ(emoji.unstorable, "\xF0\x9F\x90\x9D");

    // Bytes that are not UTF-8 at all are reported as U+FFFD, one '?' per byte.
    for (const std::string bad :
         {"\xE9t\xE9", "\xC3", "\xED\xA0\x80", "\xC0\xAF", "\xF4\x90\x80\x80"}) {
        SCOPED_TRACE(testing::PrintToString(bad));
        EXPECT_FALSE(isValidUtf8(bad));
        const Cp1252Encoding encoded = utf8ToCp1252(bad);
        EXPECT_EQ(encoded.unstorable, "\xEF\xBF\xBD");
        EXPECT_EQ(encoded.bytes.find_first_not_of("?t"), std::string::npos);
    }
}

TEST(TextCodec, StoredPathsBecomeNativePaths) {
    EXPECT_EQ(nativePath("lists\\Sch\xFCler\\week 1.txt"), "lists/Sch\xC3\xBCler/week 1.txt");
    EXPECT_EQ(nativePath("USERS.ERF"), "USERS.ERF");
    EXPECT_EQ(nativePath("/srv/share/USERS.ERF"), "/srv/share/USERS.ERF");
}

} // namespace
} // namespace hc::test

#include "platform/desktop/text_compare.h"

#include <QLocale>

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(TextCompare, IgnoresCaseButNotAccentsOrSpaces) {
    struct Row {
        const char* locale;
        QString answer;
        QString word;
        bool same;
    };
    const std::vector<Row> rows = {
        {"en_US", "apple", "APPLE", true},
        {"en_US", "Apple", "aPPLe", true},
        {"en_US", "apple ", "apple", false},
        {"en_US", " apple", "apple", false},
        {"en_US", "app le", "apple", false},
        {"en_US", "café", "cafe", false},
        {"en_US", "CAFÉ", "café", true},
        {"en_US", "apple", "apples", false},
        {"en_US", "", "", true},
        {"en_US", "", "a", false},
        // Punctuation counts like any other character.
        {"en_US", "can't", "cant", false},
        {"en_US", "self-made", "selfmade", false},
        {"de_DE", "Äpfel", "äpfel", true},
        {"de_DE", "Äpfel", "Apfel", false},
        {"fr_FR", "ÉLÈVE", "élève", true},
        {"fr_FR", "élève", "eleve", false},
        // The user's locale decides what case means: in Turkish the capital of "i" is "İ".
        {"tr_TR", "istanbul", "İSTANBUL", true},
        {"tr_TR", "istanbul", "ISTANBUL", false},
        {"en_US", "istanbul", "ISTANBUL", true},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(hc::sameTextIgnoringCase(row.answer, row.word, QLocale(row.locale)), row.same)
            << row.locale << ": \"" << row.answer.toStdString() << "\" vs \""
            << row.word.toStdString() << "\"";
    }
}

TEST(TextCompare, DefaultsToTheUserLocale) {
    EXPECT_TRUE(hc::sameTextIgnoringCase("apple", "APPLE"));
    EXPECT_FALSE(hc::sameTextIgnoringCase("apple ", "apple"));
    EXPECT_FALSE(hc::sameTextIgnoringCase("café", "cafe"));
}

} // namespace

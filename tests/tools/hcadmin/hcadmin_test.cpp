#include "datafiles/file_ops.h"
#include "datafiles/history.h"
#include "datafiles/settings.h"
#include "datafiles/user_file.h"
#include "file_bytes.h"
#include "temp_dir.h"
#include "tool_run.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/wait.h>

namespace hc::test {
namespace {

class HcadminTest : public TempDirTest {
protected:
    // Runs a shell command line in the test folder, which is the class folder, with $H
    // standing for hcadmin.
    ToolRun shell(const std::string& commandLine) {
        return runShell("H='" + toolPath("hcadmin") +
                        "'; export HONEYCOMB_CLASS_FOLDER=\"$PWD\"; " + commandLine);
    }
    ToolRun hcadmin(const std::string& arguments) { return shell("\"$H\" " + arguments); }
};

TEST_F(HcadminTest, ListsAFileBuiltFromTheLayout) {
    RecordFields ann{"Ann", 40.0f, 3};
    ann.spell[9] = 81;
    ann.spellAverage = 80.0f;
    RecordFields zoe{"Zo\xEB", 66.666664f, 12};
    zoe.phonoAverage = 33.336f;
    writeFile(path("U.ERF"), userFileBytes({recordBytes(ann), recordBytes(zoe)}));
    const ToolRun run = hcadmin("users list U.ERF");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "Ann\t40.00\t3\t80.00\t0.00\n"
                       "Zo\xC3\xAB\t66.67\t12\t0.00\t33.34\n");
    EXPECT_EQ(run.err, "");
}

TEST_F(HcadminTest, MissingFileListsNothingButADamagedOneFails) {
    ToolRun run = hcadmin("users list NONE.ERF");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "");

    std::string bytes = userFileBytes({recordBytes("Ann")});
    bytes[300] ^= 1;
    writeFile(path("U.ERF"), bytes);
    run = hcadmin("users list U.ERF");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "UserFile Error: Corrupted ERF\n");
}

TEST_F(HcadminTest, AddSkipsNamesAlreadyThereAndWritesWhatTheProgramsRead) {
    ToolRun run = hcadmin("users add U.ERF Ann 'Zo\xC3\xAB' ann Bob");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "added: Ann\n"
                       "added: Zo\xC3\xAB\n"
                       "skipped: ann (already in the file)\n"
                       "added: Bob\n");
    EXPECT_EQ(readFile(path("U.ERF")),
              userFileBytes({recordBytes("Ann"), recordBytes("Zo\xEB"), recordBytes("Bob")}));

    // A name the file cannot store is refused; the others still go in.
    run = hcadmin("users add U.ERF '\xCE\xB1\xCE\xB2' Cy");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "added: Cy\n");
    EXPECT_NE(run.err.find("\xCE\xB1\xCE\xB2"), std::string::npos);
}

TEST_F(HcadminTest, ImportsARosterWithASummary) {
    writeFile(path("roster.txt"), "\xEF\xBB\xBF  Ann  \r\n\r\nBob\n\tZo\xC3\xAB\nANN\n");
    ToolRun run = hcadmin("users import U.ERF roster.txt");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "added: Ann\n"
                       "added: Bob\n"
                       "added: Zo\xC3\xAB\n"
                       "skipped: ANN (already in the file)\n"
                       "imported: 3 added, 1 skipped\n");
    // A roster saved by an older tool in Windows-1252.
    writeFile(path("old.txt"), "J\xFCrgen\r\n");
    run = hcadmin("users import U.ERF old.txt");
    EXPECT_EQ(run.out, "added: J\xC3\xBCrgen\nimported: 1 added, 0 skipped\n");
    run = hcadmin("users import U.ERF missing.txt");
    EXPECT_EQ(run.status, 1);
    // Regression: a roster piped in was refused as not being a regular file.
    run = shell("printf 'Dee\\n' | \"$H\" users import U.ERF -");
    EXPECT_EQ(run.out, "added: Dee\nimported: 1 added, 0 skipped\n") << run.err;
    run = shell("printf 'Eve\\n' | \"$H\" users import U.ERF /dev/stdin");
    EXPECT_EQ(run.out, "added: Eve\nimported: 1 added, 0 skipped\n") << run.err;
}

TEST_F(HcadminTest, RecordsWithTheWeightsOfOptionsDatAndShowsEveryField) {
    SettingsRecord settings = defaultSettings();
    settings.SpellWeight = 3.0f;
    settings.PhonoWeight = 1.0f;
    writeFile(path("OPTIONS.DAT"), settingsFileBytes(settings));
    writeFile(path("U.ERF"), userFileBytes({recordBytes("Ann")}));

    ToolRun run = hcadmin("users record U.ERF ann spelling 80");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "Ann\t60.00\t0\t80.00\t0.00\n");
    run = hcadmin("users record U.ERF ANN phonogram 0");
    EXPECT_EQ(run.out, "Ann\t60.00\t0\t80.00\t0.00\n");

    run = hcadmin("users show U.ERF ANN");
    EXPECT_EQ(run.status, 0) << run.err;
    std::string expected = "Name: Ann\nScore: 60.00\nProgramRuns: 0\n";
    for (int i = 0; i < 10; ++i) {
        expected += "SpellScores[" + std::to_string(i) + "]: " + (i == 9 ? "81" : "0") + "\n";
    }
    expected += "SpellAverage: 80.00\n";
    for (int i = 0; i < 10; ++i) {
        expected += "PhonoScores[" + std::to_string(i) + "]: " + (i == 9 ? "1" : "0") + "\n";
    }
    expected += "PhonoAverage: 0.00\n";
    EXPECT_EQ(run.out, expected);

    for (const char* bad : {"users record U.ERF Ann spelling 101", "users record U.ERF Ann art 5",
                            "users record U.ERF Ann spelling 5x", "users frobnicate U.ERF"}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(hcadmin(bad).status, 2);
    }
    run = hcadmin("users record U.ERF Zed spelling 5");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "UserFile Error: Can't find user in ERF\n");

    writeFile(path("OPTIONS.DAT"), "short");
    run = hcadmin("users record U.ERF Ann spelling 5");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "OptionsFile Error: Can't read file\n");
}

TEST_F(HcadminTest, Deletes) {
    writeFile(path("U.ERF"), userFileBytes({recordBytes("Ann"), recordBytes("Bob")}));
    ToolRun run = hcadmin("users delete U.ERF bob");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "deleted: bob\n");
    EXPECT_EQ(readFile(path("U.ERF")), userFileBytes({recordBytes("Ann")}));
    run = hcadmin("users delete U.ERF Bob");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "UserFile Error: Can't find user in ERF\n");
}

TEST_F(HcadminTest, HistoryExportsListsWordsAndForgets) {
    writeFile(path("U.ERF"), userFileBytes({recordBytes("Ann"), recordBytes("Zo\xEB")}));
    const std::string header =
        "time,user,activity,word,answer,result,test,puzzle,right_clicks,wrong_clicks,percent\r\n";
    const std::string ann1 = "2026-03-02T09:00:00+00:00,Ann,spelling,said,sed,wrong,1,,,,\r\n";
    const std::string zoe =
        "2026-03-03T09:00:00+00:00,Zo\xC3\xAB,spelling,\"a,b\",ab,wrong,1,,,,\r\n";
    const std::string ann2 = "2026-03-04T09:00:00+00:00,Ann,phonogram,,,,,3,16,4,80\r\n";
    writeFile(path("HISTORY.CSV"), header + ann1 + zoe + ann2 + "2026-03-04T09:00:00+00:00,An");
    // OPTIONS.DAT is not there: its default user file USERS.ERF, whose history is this folder's.
    ToolRun run = hcadmin("history export");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, header + ann1 + zoe + ann2);
    EXPECT_EQ(run.err, "hcadmin: skipped 1 damaged lines of " + path("HISTORY.CSV") + "\n");
    run = hcadmin("history export --users U.ERF --since 2026-03-03 --user ann");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, header + ann2);
    run = hcadmin("history words 'Zo\xC3\xAB' --users U.ERF");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "a,b\t1\t2026-03-03T09:00:00+00:00\t0\t\n");
    for (const char* bad : {"history export --since 2026-02-30", "history export --size 3",
                            "history words", "history forget Ann --user Ann", "history"}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(hcadmin(bad).status, 2);
    }

    // Deleting a user takes their lines with them; forgetting alone leaves the user file.
    run = hcadmin("users delete U.ERF ANN");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "deleted: ANN\nforgotten: 2 lines of the results history\n");
    EXPECT_EQ(readFile(path("HISTORY.CSV")), header + zoe);
    run = hcadmin("history forget 'zo\xC3\xAB' --users U.ERF");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "forgotten: 1 lines of zo\xC3\xAB\n");
    EXPECT_EQ(readFile(path("HISTORY.CSV")), header);
    EXPECT_EQ(readFile(path("U.ERF")), userFileBytes({recordBytes("Zo\xEB")}));
}

TEST_F(HcadminTest, ShowsTheOptions) {
    ToolRun run = hcadmin("options show");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "Password: empty\n"
                       "HDfile: USERS.ERF\n"
                       "FloppyFile: A:\\USERS.ERF\n"
                       "WordFile: WORDLIST.TXT\n"
                       "WordDelay: 2.00\n"
                       "ImproveMode: 0\n"
                       "GetPercent: 90\n"
                       "ImprovePercent: 25\n"
                       "SpellWeight: 1.00\n"
                       "PhonoWeight: 1.00\n");
    EXPECT_FALSE(std::filesystem::exists(path("OPTIONS.DAT")));

    SettingsRecord settings = defaultSettings();
    setPassword(settings, "secret");
    setText(settings.HDfile, "\\\\server\\klasse\\Sch\xFCler.ERF");
    settings.WordDelay = 2.5f;
    writeFile(path("OPTIONS.DAT"), settingsFileBytes(settings));
    run = hcadmin("options show");
    EXPECT_EQ(run.out.substr(0, run.out.find("FloppyFile")),
              "Password: set\nHDfile: \\\\server\\klasse\\Sch\xC3\xBCler.ERF\n");
    EXPECT_NE(run.out.find("WordDelay: 2.50\n"), std::string::npos);

    writeFile(path("OPTIONS.DAT"), settingsFileBytes(settings) + "x");
    run = hcadmin("options show");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "OptionsFile Error: Corrupted file\n");
}

// Regression: a TAB or a line end in a name was accepted and forged lines and columns in
// "users list". New names with control characters are refused; names already in a file (another
// tool wrote them) are shown with '?' in their place.
TEST_F(HcadminTest, NamesWithControlCharactersAreRefusedAndNeverForgeOutput) {
    const std::string bad[] = {"'Ann\tEve'",
                               "\"$(printf 'Ann\\nBob\\t99.00')\"",
                               "\"$(printf 'Ann\\r')\"",
                               "\"$(printf 'A\\033[2Jnn')\"",
                               "\"$(printf 'Ann\\177')\"",
                               "\"$(printf 'A\\302\\201nn')\""};
    for (const std::string& name : bad) {
        SCOPED_TRACE(name);
        const ToolRun run = hcadmin("users add U.ERF " + name + " Cy");
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find("control characters"), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find_first_of("\t\r\x1B\x7F"), std::string::npos) << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    }
    writeFile(path("roster.txt"), "Dee\nEd\tTab\nF\x1B"
                                  "ay\n");
    const ToolRun import = hcadmin("users import U.ERF roster.txt");
    EXPECT_EQ(import.status, 1);
    EXPECT_NE(import.out.find("imported: 1 added"), std::string::npos) << import.out;
    EXPECT_EQ(hcadmin("users list U.ERF").out, "Cy\t0.00\t0\t0.00\t0.00\n"
                                               "Dee\t0.00\t0\t0.00\t0.00\n");

    // A file that already holds such a name, written by hand.
    writeFile(path("OLD.ERF"), userFileBytes({recordBytes("Ann\nBob\t9"), recordBytes("Cy")}));
    const ToolRun list = hcadmin("users list OLD.ERF");
    EXPECT_EQ(list.status, 0);
    EXPECT_EQ(list.out, "Ann?Bob?9\t0.00\t0\t0.00\t0.00\n"
                        "Cy\t0.00\t0\t0.00\t0.00\n");
}

// Regression: "users list FILE > /dev/full" exited 0, so a script took nothing for the list.
TEST_F(HcadminTest, OutputThatCannotBeWrittenFails) {
    writeFile(path("U.ERF"), userFileBytes({recordBytes("Ann"), recordBytes("Bob")}));
    writeFile(path("roster.txt"), "Cy\n");
    for (const char* command : {"users list U.ERF", "users show U.ERF Ann", "users add U.ERF Dee",
                                "users import U.ERF roster.txt", "users delete U.ERF Bob",
                                "users record U.ERF Ann spelling 50", "options show", "--help",
                                "history export --users U.ERF"}) {
        SCOPED_TRACE(command);
        const ToolRun run = hcadmin(std::string(command) + " >/dev/full");
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find("standard output"), std::string::npos) << run.err;
    }
}

// Regression: a file whose count was lowered by one listed one user fewer with exit 0, and an
// add then reported success for a user nobody could find.
TEST_F(HcadminTest, AFileWhoseCountDoesNotMatchItsRecordsIsDamaged) {
    std::string bytes = userFileBytes({recordBytes("Ann"), recordBytes("Bob")});
    resealUserFile(bytes, 1);
    writeFile(path("U.ERF"), bytes);
    for (const char* command : {"users list U.ERF", "users add U.ERF Cy", "users show U.ERF Ann"}) {
        SCOPED_TRACE(command);
        const ToolRun run = hcadmin(command);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, "UserFile Error: Corrupted ERF\n");
    }
    EXPECT_EQ(readFile(path("U.ERF")), bytes);
}

// Teachers' scripts and the programs may change one file at the same moment.
TEST_F(HcadminTest, ResultsRecordedByProcessesAtOnceAreAllKept) {
    writeFile(path("U.ERF"), userFileBytes({recordBytes("Ann")}));
    const ToolRun run = shell("for i in 0 1 2 3; do "
                              "(\"$H\" users record U.ERF Ann spelling $((i * 10)) && "
                              " \"$H\" users record U.ERF Ann spelling $((i * 10 + 1))) & "
                              "done; wait");
    EXPECT_EQ(run.err, "");
    UserRecord ann{};
    ASSERT_EQ(UserFile(FileOps::system()).find(path("U.ERF"), "Ann", ann), UserFileOk);
    std::vector<int> slots(ann.SpellScores, ann.SpellScores + 10);
    std::sort(slots.begin(), slots.end());
    EXPECT_EQ(slots, (std::vector<int>{0, 0, 1, 2, 11, 12, 21, 22, 31, 32}));
}

// A technician names the class folder; relative files are read there, and a folder that cannot
// be used is named and nothing is made in its place.
TEST_F(HcadminTest, ClassFolderOptionNamesWhereFilesAre) {
    std::filesystem::create_directory(path("class"));
    ToolRun run = hcadmin("--class-folder class users add U.ERF Ann");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(readFile(path("class/U.ERF")), userFileBytes({recordBytes("Ann")}));
    EXPECT_FALSE(std::filesystem::exists(path("U.ERF")));

    run = hcadmin("users list U.ERF --class-folder=\"$PWD/gone\"");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "The class folder " + path("gone") + " does not exist.\n");
    EXPECT_FALSE(std::filesystem::exists(path("gone")));

    run = hcadmin("--class-folder");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err.rfind("hcadmin: --class-folder needs a folder\n", 0), 0u) << run.err;
}

} // namespace
} // namespace hc::test

// Which log records the undo may act on: a table of the records setup
// writes (accepted) beside the lines someone could add (refused).
#include "undo/record_check.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>

namespace {

const RecordScope Scope = { "C:\\Spiele\\Kovra Rendo Cup\\", "C:\\WINDOWS\\Start Menu\\Programs" };

struct Case {
    const char* code;
    const char* argument;
    int owned;
};

const Case Cases[] = {
    { "NC", "kovra.exe", 1 },
    { "NC", "data\\level.dat", 1 },
    { "NC", "..\\victim.txt", 0 },
    { "NC", "C:\\victim.txt", 0 },
    { "SD", "C:\\Spiele\\Kovra Rendo Cup\\data", 1 },
    { "SD", "c:\\spiele\\kovra rendo cup\\DATA", 1 },
    { "SD", "C:\\Spiele\\Kovra Rendo Cup\\", 0 },
    { "SD", "C:\\Spiele\\Kovra Rendo Cup", 0 },
    { "SD", "C:\\Spiele\\Kovra Rendo Cup\\..\\..\\victimdir", 0 },
    { "SD", "C:\\Spiele\\Kovra Rendo Cupx\\data", 0 },
    { "SD", "C:\\victimdir", 0 },
    { "CI", "C:\\WINDOWS\\Start Menu\\Programs\\Kovra Rendo Cup", 1 },
    { "CI", "C:\\WINDOWS\\Start Menu\\Programs\\Kovra Rendo Cup\\..", 0 },
    { "CI", "C:\\WINDOWS\\Start Menu\\Programs\\Other", 0 },
    { "CI", "C:\\WINDOWS\\Start Menu\\Programs", 0 },
    { "CL", "C:\\WINDOWS\\Start Menu\\Programs\\Kovra Rendo Cup\\Kovra Rendo Cup.lnk", 1 },
    { "CL", "C:\\WINDOWS\\Start Menu\\Programs\\Kovra Rendo Cup\\Entferne Kovra Rendo Cup.LNK", 1 },
    { "CL", "C:\\WINDOWS\\Start Menu\\Programs\\Kovra Rendo Cup\\..\\..\\x.lnk", 0 },
    { "CL", "C:\\WINDOWS\\Start Menu\\Programs\\Kovra Rendo Cup\\sub\\x.lnk", 0 },
    { "CL", "C:\\WINDOWS\\Start Menu\\Programs\\Kovra Rendo Cup\\notes.txt", 0 },
    { "CL", "C:\\victim.txt", 0 },
    { "PG", "Kovra Rendo Cup", 1 },
    { "PG", "Autostart", 0 },
    { "RK", "ZKKovraRendoCup_V1", 1 },
    { "RK", "", 0 },
    { "RK", "ZKKovraRendoCup_V1\\..", 0 },
    { "KF", "~KV00000.ALT kovra.exe", 1 },
    { "KF", "~KV99999.ALT data\\level.dat", 1 },
    { "KF", "~KV00000.ALT ..\\victim.txt", 0 },
    { "KF", "..\\victim.txt kovra.exe", 0 },   // the kept file is named by its form only
    { "KF", "~KV0000.ALT kovra.exe", 0 },
    { "KF", "~KV00000.ALT ", 0 },
    // Records the setup never writes are never undone.
    { "WC", "kovra.tmp", 0 },
    { "IN", "[kovra.ini][Kovra][Highscore]", 0 },
    { "IS", "", 0 },
    { "ID", "3 0 1 1", 1 },
    { "PN", "Kovra Rendo Cup", 1 },
};

TEST(RecordInScope, AcceptsWhatSetupWritesAndNothingElse)
{
    for (const Case& c : Cases)
        EXPECT_EQ(c.owned, RecordInScope(&Scope, c.code, c.argument)) << c.code << " " << c.argument;
}

TEST(RecordInScope, WithoutAProgramsFolderNoMenuRecordIsOwned)
{
    const RecordScope noPrograms = { Scope.targetPath, "" };
    EXPECT_EQ(0, RecordInScope(&noPrograms, "CI", "\\Kovra Rendo Cup"));
    EXPECT_EQ(0, RecordInScope(&noPrograms, "CL", "\\Kovra Rendo Cup\\x.lnk"));
}

// Whole logs, LF line ends: what the setup writes is sound, anything else
// is a damaged log.
TEST(LogIsSound, OnlyTheSetupsRecordsInItsOrder)
{
    const struct {
        const char* log;
        int sound;
    } logs[] = {
        { "ID 3 0 1 1\nSD C:\\a\nKF ~KV00000.ALT a\\b\nNC a\\b\nCI C:\\m\nCL C:\\m\\x.lnk\nPG g\nRK k\nPN Kovra Rendo Cup\n", 1 },
        { "ID 0\nNC a\n", 1 },  // a run killed before its end
        { "", 0 },
        { "ID 0\nNC a", 0 },     // a line without its end
        { "NC a\nID 0\n", 0 },
        { "ID 0\nID 0\n", 0 },
        { "ID 0\nPN Kovra Rendo Cup\nNC a\n", 0 },
        { "ID 0\nPN Other\n", 0 },
        { "ID 0\nWC a\n", 0 },
        { "ID 0\nIS\n", 0 },
        { "ID 0\nIN [a.ini][s][k]\n", 0 },
        { "ID 0\nNC\n", 0 },
        { "ID 0\nNCa\n", 0 },
        { "ID 0\nnc a\n", 0 },
        { "ID 2 0\n", 0 },
        { "ID 1 0 1\n", 0 },
        { "ID 1 2\n", 0 },
        { "ID 1  1\n", 0 },
        { "ID 151\n", 0 },
        { "ID -1\n", 0 },
    };
    for (const auto& l : logs)
        EXPECT_EQ(l.sound, LogIsSound(l.log, strlen(l.log))) << l.log;
    std::string longLine = "ID 0\nNC " + std::string(496, 'a') + "\n";
    EXPECT_EQ(0, LogIsSound(longLine.data(), longLine.size()));
    std::string zero("ID 0\nNC a\0b\n", 13);
    EXPECT_EQ(0, LogIsSound(zero.data(), zero.size()));
}

}  // namespace

// Which log records the undo may act on: a table of the records setup
// writes (accepted) beside the lines someone could add (refused).
#include "undo/record_check.h"

#include <gtest/gtest.h>

namespace {

const RecordScope Scope = { "C:\\Spiele\\Kovra Rendo Cup\\", "C:\\WINDOWS",
                            "C:\\WINDOWS\\Start Menu\\Programs" };

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
    { "WC", "kovra.tmp", 1 },
    { "WC", "system32\\kernel32.dll", 0 },
    { "WC", "..\\victim.txt", 0 },
    { "IN", "[kovra.ini][Kovra][Highscore]", 1 },
    { "IN", "[C:\\victim.ini][Kovra][Highscore]", 0 },
    { "IN", "[..\\victim.ini][Kovra][Highscore]", 0 },
    { "IN", "[win.txt][Kovra][Highscore]", 0 },
    { "IN", "[kovra.ini][Kovra]", 1 },  // its undo stops the replay, as ever
    { "ID", "3 0 1 1", 1 },
    { "IS", "", 1 },
    { "PN", "Kovra Rendo Cup", 1 },
};

TEST(RecordInScope, AcceptsWhatSetupWritesAndNothingElse)
{
    for (const Case& c : Cases)
        EXPECT_EQ(c.owned, RecordInScope(&Scope, c.code, c.argument)) << c.code << " " << c.argument;
}

TEST(RecordInScope, WithoutAProgramsFolderNoMenuRecordIsOwned)
{
    const RecordScope noPrograms = { Scope.targetPath, Scope.windowsDir, "" };
    EXPECT_EQ(0, RecordInScope(&noPrograms, "CI", "\\Kovra Rendo Cup"));
    EXPECT_EQ(0, RecordInScope(&noPrograms, "CL", "\\Kovra Rendo Cup\\x.lnk"));
}

}  // namespace

// The uninstall entry under HKLM, written and removed against Wine's registry.
#include <gtest/gtest.h>

#include <map>

#include "integration/integration.h"
#include "setup/setup_state.h"
#include "tests/wine/engine_fixture.h"

using namespace fx;

namespace {

const char kEntry[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ZKKovraRendoCup_V1";

struct Value {
    DWORD type;
    std::string bytes;  // as stored, the zero included
    bool operator==(const Value& o) const { return type == o.type && bytes == o.bytes; }
};

void PrintTo(const Value& v, std::ostream* os)
{
    *os << v.type << ":" << ::testing::PrintToString(v.bytes);
}

bool KeyExists(const char* path)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

// Every value of the key by name.
std::map<std::string, Value> Values(const char* path)
{
    std::map<std::string, Value> out;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return out;
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD nameSize = sizeof name;
        BYTE data[1024];
        DWORD dataSize = sizeof data;
        DWORD type;
        if (RegEnumValueA(key, i, name, &nameSize, NULL, &type, data, &dataSize) != ERROR_SUCCESS)
            break;
        out[name] = { type, std::string((char*)data, dataSize) };
    }
    RegCloseKey(key);
    return out;
}

void DeleteEntry(const char* path)
{
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, (std::string(path) + "\\Sub").c_str());
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, path);
}

std::string Sz(const std::string& text)
{
    return std::string(text.c_str(), text.size() + 1);
}

Value Text(const std::string& text)
{
    return { REG_SZ, Sz(text) };
}

Value Number(DWORD number)
{
    return { REG_DWORD, std::string((const char*)&number, sizeof number) };
}

class Uninstall : public ::testing::Test {
protected:
    void SetUp() override
    {
        memset(&gSetup, 0, sizeof gSetup);
        DeleteEntry(kEntry);
        ASSERT_FALSE(KeyExists(kEntry));
        CreateDirectoryA("C:\\kovra-test", NULL);
        logPath = "C:\\kovra-test\\deinst.log";
        gSetup.log.logFile = StreamOpen(logPath.c_str(), StreamWriteText);
        ASSERT_TRUE(gSetup.log.logFile != NULL);
    }
    void TearDown() override
    {
        CloseLog();
        DeleteEntry(kEntry);
        RemoveTree("C:\\kovra-test");
    }
    std::string Log()
    {
        CloseLog();
        return ReadOr(logPath);
    }
    int Register()
    {
        return RegisterUninstall("ZKKovraRendoCup_V1", "Entferne Kovra Rendo Cup", "uninst.exe");
    }

    std::string logPath;
};

TEST_F(Uninstall, WritesBothTextsQuotingAPathWithBlanksAndLogsRK)
{
    // The game's program gives the icon once it carries one (platform 2).
    char self[MAX_PATH];
    GetModuleFileNameA(NULL, self, sizeof self);
    std::string withIcon = std::string(self, strrchr(self, '\\') + 1) + "programs\\uninst.exe";
    const std::string folder = "C:\\kovra-test\\Kovra Rendo Cup";
    CreateDirectoryA(folder.c_str(), NULL);
    SYSTEMTIME today;
    GetLocalTime(&today);
    char date[16];
    sprintf(date, "%04u%02u%02u", today.wYear, today.wMonth, today.wDay);
    gSetup.extraction.dataTotal = 5 * 1024 + 1;
    for (unsigned char platform = 1; platform <= 2; ++platform) {
        SCOPED_TRACE(platform);
        gSetup.platform = platform;
        strcpy(gSetup.targetPath, (folder + "\\").c_str());
        if (platform == 2)
            ASSERT_TRUE(CopyFileA(withIcon.c_str(), (folder + "\\kovra.exe").c_str(), FALSE));
        EXPECT_EQ(1, Register());
        const std::string command = "\"" + folder + "\\uninst.exe\"";
        std::map<std::string, Value> expected = {
            { "DisplayIcon", Text(folder + (platform == 2 ? "\\kovra.exe" : "\\uninst.exe")) },
            { "DisplayName", Text("Entferne Kovra Rendo Cup") },
            { "DisplayVersion", Text("1.0.0.0") },
            { "EstimatedSize", Number(6) },
            { "InstallDate", Text(date) },
            { "InstallLocation", Text(folder) },
            { "NoModify", Number(1) },
            { "NoRepair", Number(1) },
            { "Publisher", Text("Vantorell") },
            { "QuietUninstallString", Text(command + " /S") },
            { "UninstallString", Text(command) },
        };
        EXPECT_EQ(expected, Values(kEntry));
        EXPECT_EQ(1, UninstallEntryNames("ZKKovraRendoCup_V1", gSetup.targetPath, "uninst.exe"));
        EXPECT_EQ("RK ZKKovraRendoCup_V1\r\n", Log());
        DeleteEntry(kEntry);
        gSetup.log.logFile = StreamOpen(logPath.c_str(), StreamWriteText);
    }
}

TEST_F(Uninstall, AnEarlierEntryIsReplacedAsAWhole)
{
    gSetup.platform = 2;
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_LOCAL_MACHINE, kEntry, &key));
    RegSetValueExA(key, "Publisher", 0, REG_SZ, (const BYTE*)"old", 4);
    RegSetValueExA(key, "UninstallString", 0, REG_SZ, (const BYTE*)"C:\\Alt\\uninst.exe", 18);
    RegCloseKey(key);

    strcpy(gSetup.targetPath, "D:\\Spiele\\KRC\\");
    EXPECT_EQ(1, Register());
    auto values = Values(kEntry);
    EXPECT_EQ(Text("Vantorell"), values["Publisher"]);
    EXPECT_EQ(Text("D:\\Spiele\\KRC\\uninst.exe"), values["UninstallString"]);  // no blank: no quotes
    EXPECT_EQ(1, UninstallEntryNames("ZKKovraRendoCup_V1", "d:\\spiele\\krc\\", "uninst.exe"));
    EXPECT_EQ(0, UninstallEntryNames("ZKKovraRendoCup_V1", "D:\\Spiele\\", "uninst.exe"));
    EXPECT_EQ("RK ZKKovraRendoCup_V1\r\n", Log());
}

TEST_F(Uninstall, InstallingTwiceLeavesOneEntryNamingTheSecondFolder)
{
    gSetup.platform = 1;
    strcpy(gSetup.targetPath, "C:\\Erste\\");
    EXPECT_EQ(1, Register());
    strcpy(gSetup.targetPath, "C:\\Zweite Wahl\\");
    EXPECT_EQ(1, Register());
    EXPECT_EQ(Text("\"C:\\Zweite Wahl\\uninst.exe\""), Values(kEntry)["UninstallString"]);
    EXPECT_EQ("RK ZKKovraRendoCup_V1\r\nRK ZKKovraRendoCup_V1\r\n", Log());
}

TEST_F(Uninstall, AnEntryThatCannotBeDeletedIsLeftAndNotLogged)
{
    // A key with a sub-key of its own cannot be deleted in one call.
    gSetup.platform = 2;
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_LOCAL_MACHINE, (std::string(kEntry) + "\\Sub").c_str(), &key));
    RegCloseKey(key);
    strcpy(gSetup.targetPath, "C:\\Spiele\\");
    EXPECT_EQ(0, Register());
    EXPECT_TRUE(KeyExists((std::string(kEntry) + "\\Sub").c_str()));
    EXPECT_TRUE(Values(kEntry).empty());
    EXPECT_EQ("", Log());
}

TEST_F(Uninstall, Platform0WritesNothing)
{
    gSetup.platform = 0;
    strcpy(gSetup.targetPath, "C:\\Spiele\\");
    EXPECT_EQ(1, Register());
    EXPECT_FALSE(KeyExists(kEntry));
    EXPECT_EQ("", Log());
}

TEST_F(Uninstall, RemovingLeavesNoKeyWhetherOrNotOneWasThere)
{
    gSetup.platform = 2;
    strcpy(gSetup.targetPath, "C:\\Spiele\\");
    ASSERT_EQ(1, Register());
    // A key that cannot be deleted (a sub-key planted in it) is reported.
    HKEY sub;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_LOCAL_MACHINE, (std::string(kEntry) + "\\Sub").c_str(), &sub));
    RegCloseKey(sub);
    EXPECT_EQ(0, RemoveUninstallEntry("ZKKovraRendoCup_V1"));
    EXPECT_TRUE(KeyExists(kEntry));
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, (std::string(kEntry) + "\\Sub").c_str());
    EXPECT_EQ(1, RemoveUninstallEntry("ZKKovraRendoCup_V1"));
    EXPECT_FALSE(KeyExists(kEntry));
    EXPECT_EQ(1, RemoveUninstallEntry("ZKKovraRendoCup_V1"));
    EXPECT_FALSE(KeyExists(kEntry));
    EXPECT_TRUE(KeyExists(fx::UninstallList));
}

TEST_F(Uninstall, AKeyNameThatIsNotOneKeyBelowUninstallIsRefused)
{
    // Names come back from the log. An empty one would address the Uninstall
    // key itself; one with a backslash would leave its parent key behind.
    HKEY key;
    std::string probe = std::string(fx::UninstallList) + "\\KovraProbe";
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_LOCAL_MACHINE, probe.c_str(), &key));
    RegCloseKey(key);
    EXPECT_EQ(0, RemoveUninstallEntry(""));
    EXPECT_EQ(0, RemoveUninstallEntry("KovraOuter\\Inner"));
    EXPECT_EQ(0, RemoveUninstallEntry("\\"));
    EXPECT_TRUE(KeyExists(probe.c_str()));
    EXPECT_FALSE(KeyExists((std::string(fx::UninstallList) + "\\KovraOuter").c_str()));
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, probe.c_str());

    gSetup.platform = 2;
    strcpy(gSetup.targetPath, "C:\\Spiele\\");
    EXPECT_EQ(0, RegisterUninstall("KovraOuter\\Inner", "x", "uninst.exe"));
    EXPECT_FALSE(KeyExists((std::string(fx::UninstallList) + "\\KovraOuter").c_str()));
    EXPECT_EQ("", Log());
}

}  // namespace

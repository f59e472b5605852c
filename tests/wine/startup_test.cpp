// Start-up checks against Wine's real registry and resources.
#include <gtest/gtest.h>
#include <objbase.h>
#include <string.h>

#include "setup/driver.h"
#include "setup/setup_state.h"

namespace {

std::string DefaultTarget(const char* value, DWORD size)
{
    char target[TextCapacity];
    memset(target, '#', sizeof target);
    BuildDefaultTarget(value, size, target, sizeof target);
    EXPECT_TRUE(memchr(target, '\0', sizeof target) != NULL);
    return target;
}

TEST(DefaultTarget, AddsTheProductFolderWithOrWithoutABackslash)
{
    EXPECT_EQ("C:\\Programme\\Kovra Rendo Cup\\", DefaultTarget("C:\\Programme", 13));
    EXPECT_EQ("C:\\Programme\\Kovra Rendo Cup\\", DefaultTarget("C:\\Programme\\", 14));
    EXPECT_EQ("D:\\Kovra Rendo Cup\\", DefaultTarget("D:\\", 4));
}

TEST(DefaultTarget, UnusableValuesGiveAUsableFolder)
{
    // Missing, empty, or not zero-terminated: only the reported bytes count.
    EXPECT_EQ("C:\\Programme\\Kovra Rendo Cup\\", DefaultTarget("", 0));
    EXPECT_EQ("C:\\Programme\\Kovra Rendo Cup\\", DefaultTarget("", 1));
    EXPECT_EQ("E:\\Spiele\\Kovra Rendo Cup\\", DefaultTarget("E:\\Spiele#garbage", 9));

    // Too long for the product name: the whole default, never a cut path.
    std::string longValue = "C:\\" + std::string(290, 'x');
    EXPECT_EQ("C:\\Programme\\Kovra Rendo Cup\\", DefaultTarget(longValue.c_str(), (DWORD)longValue.size() + 1));
    std::string fits = "C:\\" + std::string(279, 'x');  // 299 characters in all
    EXPECT_EQ(fits + "\\Kovra Rendo Cup\\", DefaultTarget(fits.c_str(), (DWORD)fits.size() + 1));
}

class StartupChecks : public ::testing::Test {
protected:
    void SetUp() override
    {
        memset(&gSetup, 0, sizeof gSetup);
        gSetup.abortCode = 99;
        ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                                               0, KEY_ALL_ACCESS, &key));
        saved = sizeof savedValue;
        if (RegQueryValueExA(key, "ProgramFilesDir", NULL, NULL, (BYTE*)savedValue, &saved) != ERROR_SUCCESS)
            saved = 0;
    }
    void TearDown() override
    {
        if (saved)
            RegSetValueExA(key, "ProgramFilesDir", 0, REG_SZ, (BYTE*)savedValue, saved);
        RegCloseKey(key);
        if (module)
            FreeLibrary(module);
        // Each run initialises COM for the thread; a second initialisation
        // would report S_FALSE, which the checks rightly treat as failure.
        if (gSetup.abortCode != AbortComInit)
            CoUninitialize();
    }
    void RunAgain()
    {
        CoUninitialize();
        ASSERT_EQ(1, RunStartupChecks());
    }
    void UseProgramModule(const char* exe)
    {
        module = LoadLibraryExA(exe, NULL, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_TRUE(module != NULL);
        gSetup.instance = module;
    }

    HKEY key;
    char savedValue[1000];
    DWORD saved;
    HMODULE module = NULL;
};

TEST_F(StartupChecks, FillTheStateFromTheSystem)
{
    UseProgramModule(KOVRA_SETUP_EXE);
    ASSERT_EQ(1, RunStartupChecks());
    EXPECT_EQ(0, gSetup.abortCode);
    EXPECT_EQ(1, gSetup.page);
    EXPECT_EQ(2, gSetup.platform);  // Wine reports an NT system by default
    HRSRC payload = FindResourceA(module, MAKEINTRESOURCEA(144), "TEMPLATE");
    EXPECT_EQ(SizeofResource(module, payload), gSetup.payloadSize);
    EXPECT_STRCASEEQ("C:\\windows", gSetup.windowsDir);
    EXPECT_STREQ("C:\\Program Files\\Kovra Rendo Cup\\", gSetup.targetPath);
}

TEST_F(StartupChecks, MissingOrUnterminatedProgramFilesDirStillGivesATarget)
{
    UseProgramModule(KOVRA_SETUP_EXE);
    RegDeleteValueA(key, "ProgramFilesDir");
    ASSERT_EQ(1, RunStartupChecks());
    EXPECT_STREQ("C:\\Programme\\Kovra Rendo Cup\\", gSetup.targetPath);

    // The value's type is not examined, and its bytes need not end in zero.
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key, "ProgramFilesDir", 0, REG_BINARY, (const BYTE*)"D:\\Spiele", 9));
    RunAgain();
    EXPECT_STREQ("D:\\Spiele\\Kovra Rendo Cup\\", gSetup.targetPath);
}

TEST_F(StartupChecks, AProgramWithoutPayloadStopsWithCode2)
{
    gSetup.instance = GetModuleHandleA(NULL);  // this test program has no payload
    EXPECT_EQ(0, RunStartupChecks());
    EXPECT_EQ(2, gSetup.abortCode);
    EXPECT_EQ(0, gSetup.page);
}

TEST_F(StartupChecks, ComAlreadyInitialisedStopsWithCode1)
{
    UseProgramModule(KOVRA_SETUP_EXE);
    CoInitialize(NULL);
    EXPECT_EQ(0, RunStartupChecks());
    EXPECT_EQ(1, gSetup.abortCode);
    CoUninitialize();
}

}  // namespace

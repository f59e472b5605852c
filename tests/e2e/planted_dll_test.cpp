// setup.exe started from a downloads folder that also holds a planted
// lz32.dll and comctl32.dll, with Wine told to prefer DLLs found on the search
// path over its own for those two, as Windows does for any DLL that is not a
// KnownDLL: the install still succeeds and neither planted DLL ever runs.
#include <gtest/gtest.h>

#include "files.h"
#include "install_run.h"

namespace {

const char* const PlantedNames[] = { "lz32.dll", "comctl32.dll" };

std::string Marker(const std::string& folder, const char* dll)
{
    return folder + dll + ".marker";
}

TEST(PlantedDlls, AreNeverLoadedByTheSetup)
{
    std::string downloads = fx::Fresh("downloads", "C:\\kovra-e2e\\");
    std::string setup = downloads + "setup.exe";
    ASSERT_TRUE(CopyFileA(KOVRA_SETUP_EXE, setup.c_str(), FALSE));
    for (const char* dll : PlantedNames)
        ASSERT_TRUE(CopyFileA((std::string(KOVRA_PLANTED_DIR_WIN) + "\\" + dll).c_str(),
                              (downloads + dll).c_str(), FALSE)) << dll;

    // The setup inherits the override; native first, as a non-KnownDLL on Windows.
    char overrides[1024] = "";
    GetEnvironmentVariableA("WINEDLLOVERRIDES", overrides, sizeof overrides);
    std::string preferNative = std::string(overrides) + ";lz32,comctl32=n,b";
    SetEnvironmentVariableA("WINEDLLOVERRIDES", preferNative.c_str());
    e2e::InstallRun run = e2e::Install(setup.c_str(), "C:\\kovra-e2e\\planted\\game");
    SetEnvironmentVariableA("WINEDLLOVERRIDES", overrides);

    EXPECT_TRUE(run.reachedProgress);
    EXPECT_EQ("Installation erfolgreich.", run.closingText);
    EXPECT_EQ(1, run.exitCode);
    for (const char* dll : PlantedNames)
        EXPECT_FALSE(fx::Exists(Marker(downloads, dll))) << dll << " was loaded";

    // The planted DLLs do leave their marker once something loads them, so
    // the absence above means something. Loaded under another name: by its
    // own name this process would get the system's copy it already has.
    for (const char* dll : PlantedNames) {
        std::string control = downloads + "control-" + dll;
        ASSERT_TRUE(CopyFileA((downloads + dll).c_str(), control.c_str(), FALSE)) << dll;
        HMODULE loaded = LoadLibraryA(control.c_str());
        ASSERT_TRUE(loaded != NULL) << dll;
        FreeLibrary(loaded);
        EXPECT_TRUE(fx::Exists(control + ".marker")) << dll;
    }
}

}  // namespace

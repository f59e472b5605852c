// The manifest inside setup.exe, read back the way Windows reads it: the
// system builds an activation context from the program's resource 1 (so the
// XML parses), which asks for administrator rights and names the five
// Windows versions from Vista to 11.
#undef _WIN32_WINNT
#define _WIN32_WINNT 0x0601
#include <windows.h>

#include <gtest/gtest.h>

#include <string.h>

namespace {

// Vista, 7, 8, 8.1, 10 and 11.
const GUID SupportedOs[] = {
    { 0xe2011457, 0x1546, 0x43c5, { 0xa5, 0xfe, 0x00, 0x8d, 0xee, 0xe3, 0xd3, 0xf0 } },
    { 0x35138b9a, 0x5d96, 0x4fbd, { 0x8e, 0x2d, 0xa2, 0x44, 0x02, 0x25, 0xf9, 0x3a } },
    { 0x4a2f28e3, 0x53b9, 0x4441, { 0xba, 0x9c, 0xd6, 0x9d, 0x4a, 0x4a, 0x6e, 0x38 } },
    { 0x1f676c76, 0x80e1, 0x4239, { 0x95, 0xbb, 0x83, 0xd0, 0xf6, 0xd0, 0xda, 0x78 } },
    { 0x8e0f7a12, 0xbfb3, 0x4fe8, { 0xb9, 0xa5, 0x48, 0xfd, 0x50, 0xa1, 0x5a, 0x9a } },
};

TEST(Manifest, ParsesAsTheProgramsActivationContext)
{
    for (const char* exe : { KOVRA_SETUP_EXE, KOVRA_SETUP_NOPAYLOAD_EXE }) {
        ACTCTXA request;
        ZeroMemory(&request, sizeof request);
        request.cbSize = sizeof request;
        request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
        request.lpSource = exe;
        request.lpResourceName = MAKEINTRESOURCEA(1);
        HANDLE context = CreateActCtxA(&request);
        ASSERT_NE(INVALID_HANDLE_VALUE, context) << exe << ": error " << GetLastError();

        ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION level;
        ZeroMemory(&level, sizeof level);
        ASSERT_TRUE(QueryActCtxW(0, context, NULL, RunlevelInformationInActivationContext, &level,
                                 sizeof level, NULL));
        EXPECT_EQ(ACTCTX_RUN_LEVEL_REQUIRE_ADMIN, level.RunLevel) << exe;
        EXPECT_EQ(0u, level.UiAccess) << exe;

        // The element layout differs between headers; the count and the
        // GUIDs' bytes do not.
        unsigned char compatibility[512];
        ZeroMemory(compatibility, sizeof compatibility);
        ASSERT_TRUE(QueryActCtxW(0, context, NULL, CompatibilityInformationInActivationContext,
                                 compatibility, sizeof compatibility, NULL));
        DWORD count;
        memcpy(&count, compatibility, sizeof count);
        EXPECT_EQ(5u, count) << exe;
        for (const GUID& os : SupportedOs) {
            bool found = false;
            for (size_t at = 0; at + sizeof os <= sizeof compatibility && !found; ++at)
                found = memcmp(compatibility + at, &os, sizeof os) == 0;
            EXPECT_TRUE(found) << exe << ": a supportedOS entry is missing";
        }
        ReleaseActCtx(context);
    }
}

}  // namespace

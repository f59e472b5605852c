// The fixture of the tests that stage from a payload module of their own.
// Apart from engine_fixture.h, which the benchmarks take without GoogleTest.
#ifndef KOVRA_PAYLOAD_FIXTURE_H
#define KOVRA_PAYLOAD_FIXTURE_H

#include <gtest/gtest.h>

#include "engine_fixture.h"

namespace fx {

// A test that stages from a payload module of its own. After each test the
// stages' handles are closed and the module is unloaded, so that the next
// test may write its copy again.
class PayloadTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        CloseAll();
        if (module)
            FreeLibrary(module);
        SetCurrentDirectoryA("C:\\");
    }
    // Makes a copy of setup.exe carrying payload the setup's own module.
    void CarryAs(const Bytes& payload, const std::string& copy)
    {
        module = PayloadModule(payload, copy);
        ASSERT_TRUE(module != NULL) << copy;
        gSetup.instance = module;
    }
    HMODULE module = NULL;
};

}  // namespace fx

#endif

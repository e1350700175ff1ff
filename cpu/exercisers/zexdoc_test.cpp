// ZEXDOC, the documented-flags instruction exerciser, run to its end on the real Z80 and
// memory space; every one of its groups must print OK. About 46.7 billion T-states: an
// optimised build only.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "cpu/exercisers/cpm_machine.h"

namespace {

std::string ReadFile(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(Zexdoc, EveryGroupPrintsOk)
{
    CpmMachine machine;
    ASSERT_TRUE(machine.Load(KUV_TEST_DATA "/z80/zexdoc.com"));
    machine.SetEcho(true);   // progress in the test log, one group at a time
    machine.Run(100'000'000'000ull);
    ASSERT_TRUE(machine.Finished()) << "the exerciser did not return to the system";
    const std::string expected = ReadFile(KUV_TEST_DATA "/z80/expected_pass_output.txt");
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(machine.Output(), expected);
}

} // namespace

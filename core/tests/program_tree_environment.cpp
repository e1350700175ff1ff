// Every core test runs inside one throw-away program tree: a core saves its machine's
// settings when its worker leaves, into the per-user data folder, which would otherwise
// be the folder beside the test program.
#include <gtest/gtest.h>

#include <memory>

#include "emu/tests/program_tree.h"

namespace {

class ProgramTreeEnvironment : public ::testing::Environment {
public:
    void SetUp() override { tree_ = std::make_unique<ProgramTree>(); }
    void TearDown() override { tree_.reset(); }

private:
    std::unique_ptr<ProgramTree> tree_;
};

[[maybe_unused]] const ::testing::Environment* const kTree =
    ::testing::AddGlobalTestEnvironment(new ProgramTreeEnvironment);

} // namespace

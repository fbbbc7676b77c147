#include <gtest/gtest.h>

#include "tests/support/run_program.h"

TEST(Skeleton, ProgramRuns) {
    auto r = testing_support::RunProgram(VX5CVT_PATH, {"-x"});
    EXPECT_NE(r.exitCode, -1);
}

#include <gtest/gtest.h>

#include "common/runtime.h"
#include "forwarding_platform.h"
#include "support/test_env.h"

namespace {

// An executable that lives in its own folder, apart from the program folder.
class ElsewhereExe : public drtest::ForwardingPlatform {
public:
    std::string exe;
    std::string executablePath() override { return exe; }
};

TEST(SiblingProgram, BesideTheExecutableElseInTheProgramFolder) {
    drtest::TestEnv env;
    ElsewhereExe plat;
    env.mkdir("bin");
    plat.exe = env.path("bin/dirroll");
    drtest::writeFile(plat.exe, "");

    EXPECT_EQ(dr::siblingProgram("dr-client"), env.path("dr-client")) << "none beside it";
    drtest::writeFile(env.path("bin/dr-client"), "");
    EXPECT_EQ(dr::siblingProgram("dr-client"), env.path("bin/dr-client"));
    env.mkdir("bin/dr-server");
    EXPECT_EQ(dr::siblingProgram("dr-server"), env.path("dr-server")) << "a folder is no program";
}

} // namespace

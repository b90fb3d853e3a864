#pragma once
// A program folder with the program-wide values made, as start-up makes them, and freed after.
#include "harness/fixture.h"
#include "shell/program_state.h"

namespace shell_test {

class ProgramStateTest : public harness::ProgramFolderTest {
protected:
    void SetUp() override {
        ProgramFolderTest::SetUp();
        shell::init_program_variables();
    }
    void TearDown() override {
        shell::free_program_variables();
        ProgramFolderTest::TearDown();
    }
};

}  // namespace shell_test

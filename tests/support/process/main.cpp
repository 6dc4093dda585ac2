#include "tests/support/process/descendants.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // Before any thread exists, so that every thread inherits the mask and no child's end is lost.
    vontal::testing::blockChildSignal();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

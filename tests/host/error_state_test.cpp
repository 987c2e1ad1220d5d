#include <gtest/gtest.h>

#include "support/error_state.h"

namespace {

int Record(std::initializer_list<int> codes) {
    ErrorState state;
    for (int c : codes)
        state.SetCode(c);
    return state.Code();
}

TEST(ErrorState, CodesTakePrecedenceByKind) {
    EXPECT_EQ(0, Record({}));
    EXPECT_EQ(1, Record({1}));
    EXPECT_EQ(255, Record({255}));
    EXPECT_EQ(2, Record({1, 2}));
    EXPECT_EQ(2, Record({2, 1}));
    EXPECT_EQ(8, Record({8, 255}));
    EXPECT_EQ(8, Record({2, 8}));
    EXPECT_EQ(3, Record({8, 3}));
    EXPECT_EQ(255, Record({255, 2}));
    EXPECT_EQ(1, Record({1, 255}));
}

// The process ends at once with the recorded code, which follows the precedence rule.
TEST(ErrorState, RaiseEndsTheProcessWithTheRecordedCode) {
    ErrorState state;
    state.SetCode(2);
    EXPECT_EXIT(state.MemoryError(), ::testing::ExitedWithCode(8), "");
    EXPECT_EXIT(state.Raise(1), ::testing::ExitedWithCode(2), "");
}

}  // namespace

#include <gtest/gtest.h>
#include "probes/uIntArray.h"

TEST(IntArray, Placeholder) { TIntArray a(0); a.Push(5); EXPECT_EQ(a.Last(), 5u); }

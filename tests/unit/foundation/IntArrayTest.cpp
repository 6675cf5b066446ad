#include <gtest/gtest.h>
#include "probes/uIntArray.h"

namespace {
constexpr uint64_t Megabyte = 1048576;
}

TEST(IntArray, PushesEnterAtTheNewestEndAndFillTouchesOnlyUnreachedSlots) {
    TIntArray history(7);
    history.Push(1);
    history.Push(2);
    history.Push(3);
    EXPECT_EQ(history.FillCount(), 3);
    EXPECT_EQ(history.Get(996), 7u);
    EXPECT_EQ(history.Get(997), 1u);
    EXPECT_EQ(history.Get(998), 2u);
    EXPECT_EQ(history.Get(999), 3u);
    history.FillUnfilled(42);
    EXPECT_EQ(history.Get(0), 42u);
    EXPECT_EQ(history.Get(996), 42u);
    EXPECT_EQ(history.Get(997), 1u);
    EXPECT_EQ(history.Last(), 3u);
}

TEST(IntArray, FillCountStopsAtCapacityAndFillThenChangesNothing) {
    TIntArray history(0);
    for (uint64_t i = 1; i <= 1005; ++i) history.Push(i);
    EXPECT_EQ(history.FillCount(), TIntArray::Capacity);
    EXPECT_EQ(history.Get(0), 6u);  // the oldest five were dropped
    EXPECT_EQ(history.Last(), 1005u);
    history.FillUnfilled(99);
    EXPECT_EQ(history.Get(0), 6u);
}

TEST(IntArray, MegabyteViewsTruncateAndFreeViewSubtractsFromTotal) {
    TIntArray history(0);
    history.TotalMB = 512;
    history.Push(Megabyte + Megabyte / 2);  // 1.5 Megabyte
    EXPECT_EQ(history.LastMB(false), 1);
    history.Push(100 * Megabyte);
    EXPECT_EQ(history.LastMB(false), 100);
    EXPECT_EQ(history.LastMB(true), 412);
    // Above 4 GB the sample still reads right: samples are 64-bit.
    history.TotalMB = 24000;
    history.Push(20000 * Megabyte);
    EXPECT_EQ(history.LastMB(false), 20000);
    EXPECT_EQ(history.LastMB(true), 4000);
}

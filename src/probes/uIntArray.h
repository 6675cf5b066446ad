// Fixed-length history of periodic samples: index 0 the oldest, 999 the newest.
// Samples are 64-bit so a used-memory sample in bytes fits on machines above 4 GB;
// megabyte views stay 32-bit.
#pragma once
#include <cstdint>

class TIntArray {
public:
    static constexpr int Capacity = 1000;

    explicit TIntArray(uint64_t initialValue);

    void Push(uint64_t value);
    // Overwrites the slots that no Push has reached yet.
    void FillUnfilled(uint64_t value);
    // No bounds check: callers pass 0..999.
    uint64_t Get(int index) const { return samples_[index]; }
    // The sample in megabytes: used (sample >> 20), or free (TotalMB - used).
    int32_t GetMB(int index, bool showFree) const;
    uint64_t Last() const { return samples_[Capacity - 1]; }
    int32_t LastMB(bool showFree) const { return GetMB(Capacity - 1, showFree); }
    int32_t FillCount() const { return fillCount_; }
    const uint64_t* Data() const { return samples_; }

    // Total physical memory in megabytes; only the free view uses it.
    int32_t TotalMB = 0;

private:
    uint64_t samples_[Capacity];
    int32_t fillCount_ = 0;
};

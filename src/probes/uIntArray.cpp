#include "uIntArray.h"
#include <algorithm>
#include <cstring>

TIntArray::TIntArray(uint64_t initialValue) { std::fill(samples_, samples_ + Capacity, initialValue); }

void TIntArray::Push(uint64_t value) {
    std::memmove(samples_, samples_ + 1, (Capacity - 1) * sizeof(samples_[0]));
    samples_[Capacity - 1] = value;
    if (fillCount_ < Capacity) ++fillCount_;
}

void TIntArray::FillUnfilled(uint64_t value) { std::fill(samples_, samples_ + (Capacity - fillCount_), value); }

int32_t TIntArray::GetMB(int index, bool showFree) const {
    int32_t usedMB = static_cast<int32_t>(samples_[index] >> 20);
    // Signed 32-bit difference: a sample above the total reads negative, never wraps.
    return showFree ? static_cast<int32_t>(static_cast<uint32_t>(TotalMB) - static_cast<uint32_t>(usedMB)) : usedMB;
}

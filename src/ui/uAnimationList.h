// The queue of skin animations that a page switch plays step by step: items are
// appended at the end and taken from the front; the list owns them.
#pragma once
#include <memory>
#include <string>
#include <vector>
#include "framework/uException.h"

KORVIX_DECLARE_EXCEPTION(EListError, Exception);

struct TSkinAnimation {
    std::wstring Name;
    // The next queued item starts in the same step as this one.
    bool PlayWithNext = false;
    // Not an animation: every page is refreshed at this point of the queue (between a page
    // switch's hide and show animations).
    bool RefreshPages = false;
    bool operator==(const TSkinAnimation&) const = default;
};

class TSkinAnimationList {
public:
    TSkinAnimationList() = default;
    TSkinAnimationList(const TSkinAnimationList&) = delete;
    TSkinAnimationList& operator=(const TSkinAnimationList&) = delete;

    void Add(const std::wstring& name, bool playWithNext);
    void Add(const TSkinAnimation& item);
    int Count() const { return static_cast<int>(items_.size()); }
    // Throw EListError for an index outside 0..Count-1.
    TSkinAnimation& Item(int index);
    const TSkinAnimation& Item(int index) const;
    void Delete(int index);
    // Removes the first item and hands it over (the caller frees it after use); none when empty.
    std::unique_ptr<TSkinAnimation> TakeFirst();
    void Clear() { items_.clear(); }

private:
    void CheckIndex(int index) const;
    std::vector<std::unique_ptr<TSkinAnimation>> items_;
};

#include "uAnimationList.h"

void TSkinAnimationList::Add(const std::wstring& name, bool playWithNext) { Add(TSkinAnimation{name, playWithNext}); }

void TSkinAnimationList::Add(const TSkinAnimation& item) { items_.push_back(std::make_unique<TSkinAnimation>(item)); }

void TSkinAnimationList::CheckIndex(int index) const {
    if (index < 0 || index >= Count()) {
        throw EListError(L"List index out of bounds (" + std::to_wstring(index) + L")");
    }
}

TSkinAnimation& TSkinAnimationList::Item(int index) {
    CheckIndex(index);
    return *items_[index];
}

const TSkinAnimation& TSkinAnimationList::Item(int index) const {
    CheckIndex(index);
    return *items_[index];
}

void TSkinAnimationList::Delete(int index) {
    CheckIndex(index);
    items_.erase(items_.begin() + index);
}

std::unique_ptr<TSkinAnimation> TSkinAnimationList::TakeFirst() {
    if (items_.empty()) return nullptr;
    std::unique_ptr<TSkinAnimation> first = std::move(items_.front());
    items_.erase(items_.begin());
    return first;
}

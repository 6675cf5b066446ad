#include "uFreeAndRunList.h"
#include <algorithm>
#include <atomic>
#include "framework/uException.h"
#include "framework/uNumbers.h"
#include "framework/uPaths.h"
#include "framework/uText.h"
#include "settings/uRegistry.h"

namespace {
std::atomic<int32_t> g_nextID{0};

std::wstring N(int n) { return std::to_wstring(n); }
}  // namespace

TFreeAndRunItem::TFreeAndRunItem() : ID(g_nextID++) {}

void TFreeAndRunItem::LoadFromRegistry(const std::wstring& keyPath, int n) {
    Name = ReadRegString(keyPath, N(n) + L"farName", Name);
    FileToRun = ReadRegString(keyPath, N(n) + L"farFileToRun", FileToRun);
    MBToFree = ReadRegInteger(keyPath, N(n) + L"farMBToFree", MBToFree);
}

void TFreeAndRunItem::SaveToRegistry(const std::wstring& keyPath, int n) const {
    WriteRegString(keyPath, N(n) + L"farName", Name);
    WriteRegString(keyPath, N(n) + L"farFileToRun", FileToRun);
    WriteRegInteger(keyPath, N(n) + L"farMBToFree", MBToFree);
}

std::wstring TFreeAndRunItem::DisplayName() const {
    if (!Name.empty()) return Name;
    size_t slash = FileToRun.find_last_of(L"\\/:");
    std::wstring file = slash == std::wstring::npos ? FileToRun : FileToRun.substr(slash + 1);
    if (file.size() >= 4 && UpperCase(file.substr(file.size() - 4)) == L".LNK") file.resize(file.size() - 4);
    return file;
}

std::wstring FreeAndRunPathProblem(const std::wstring& file) {
    if (IsFullPath(file)) return {};
    return L"A Free-and-Run entry needs the full path of its program, with its drive or network share, "
           L"such as C:\\Programs\\Editor\\editor.exe. This one was not added:\r\n" +
           file;
}

int32_t OldAmountStep(int32_t index) {
    if (index <= 0) return 1;
    if (index <= 16) return 2 * index;
    if (index <= 28) return 32 + 8 * (index - 16);
    if (index <= 40) return 128 + 32 * (index - 28);
    if (index > 48) index = 48;
    return 512 + 64 * (index - 40);
}

void TFreeAndRunList::Add(std::unique_ptr<TFreeAndRunItem> item) { items_.push_back(std::move(item)); }

std::unique_ptr<TFreeAndRunItem> TFreeAndRunList::Remove(const TFreeAndRunItem* item) {
    for (auto it = items_.begin(); it != items_.end(); ++it) {
        if (it->get() == item) {
            std::unique_ptr<TFreeAndRunItem> removed = std::move(*it);
            items_.erase(it);
            return removed;
        }
    }
    return nullptr;
}

TFreeAndRunItem* TFreeAndRunList::FindByID(int32_t id) {
    for (auto& item : items_) {
        if (item->ID == id) return item.get();
    }
    return nullptr;
}

std::vector<int32_t> StoredEntryNumbers(const std::vector<std::wstring>& valueNames, int32_t count) {
    std::vector<int32_t> numbers;
    for (const std::wstring& name : valueNames) {
        size_t digits = 0;
        while (digits < name.size() && digits < 10 && name[digits] >= L'0' && name[digits] <= L'9') ++digits;
        if (digits == 0 || name[0] == L'0') continue;
        const std::wstring field = name.substr(digits);
        if (field != L"farName" && field != L"farFileToRun" && field != L"farMBToFree") continue;
        const long long n = std::stoll(name.substr(0, digits));
        if (n <= count) numbers.push_back(static_cast<int32_t>(n));
    }
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    return numbers;
}

// The entries that exist, found by one pass over the stored names, so neither a damaged
// count nor one far-off number costs more than the values stored. They load in number
// order and are saved back as loaded: numbered from 1, without gaps.
void TFreeAndRunList::LoadFromRegistry(const std::wstring& keyPath, int32_t totalPhysMB) {
    const int32_t count = ReadRegInteger(keyPath, L"farCount", 0);
    for (int32_t n : StoredEntryNumbers(RegValueNames(keyPath), count)) {
        auto item = std::make_unique<TFreeAndRunItem>();
        item->LoadFromRegistry(keyPath, n);
        // A stored position of 0 or less would free all of memory or more.
        item->MBToFree = Clamp(item->MBToFree, 1, std::max(totalPhysMB, 1));
        Add(std::move(item));
    }
    Migrated = ReadRegBool(keyPath, L"farMigrated", false);
    if (!Migrated && RegKeyExists(OldFreeAndRunKey)) {
        MigrateOldList(totalPhysMB);
        Migrated = true;
        // The imported entries reach the registry before the old key goes: a copy that ends
        // without saving (quit, a second copy, UNINSTALL, a crash) must not lose them. When
        // they cannot be written the old key stays, and the next save stores them.
        try {
            SaveToRegistry(keyPath);
            DeleteRegKey(OldFreeAndRunKey);
        } catch (const Exception&) {}
    }
}

// Each entry before the count that includes it, so a save cut short never leaves a count
// that points past the entries written.
void TFreeAndRunList::SaveToRegistry(const std::wstring& keyPath) const {
    for (int i = 0; i < Count(); ++i) items_[i]->SaveToRegistry(keyPath, i + 1);
    WriteRegInteger(keyPath, L"farCount", Count());
    WriteRegBool(keyPath, L"farMigrated", Migrated);
}

void TFreeAndRunList::MigrateOldList(int32_t totalPhysMB) {
    for (const std::wstring& name : RegValueNames(OldFreeAndRunKey)) {
        if (name.compare(0, 7, L"Display") != 0) continue;
        std::wstring suffix = name.size() > 8 ? name.substr(8, 100) : std::wstring();
        auto item = std::make_unique<TFreeAndRunItem>();
        item->FileToRun = ReadRegString(OldFreeAndRunKey, L"Run " + suffix, L"");
        // An index outside the old 49 steps is limited to them, so no entry is lost.
        int32_t oldAmount = OldAmountStep(ReadRegInteger(OldFreeAndRunKey, L"Free " + suffix, 0));
        item->MBToFree = Clamp(totalPhysMB - oldAmount, 1, totalPhysMB);
        item->Name = ReadRegString(OldFreeAndRunKey, L"Display " + suffix, L"");
        Add(std::move(item));
    }
}

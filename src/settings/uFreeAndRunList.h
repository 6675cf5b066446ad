// Free-and-Run entries: a program to start right after a free-up of a chosen
// size. Stored beside the options; the older product's list is imported once.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TFreeAndRunItem {
public:
    // Assigns a process-wide unique ID (0, 1, 2, ... per run).
    TFreeAndRunItem();

    void LoadFromRegistry(const std::wstring& keyPath, int n);
    void SaveToRegistry(const std::wstring& keyPath, int n) const;
    std::wstring DisplayName() const;

    int32_t ID;
    std::wstring FileToRun;
    std::wstring Name;
    int32_t MBToFree = 0;  // slider position: frees TotalPhysMB - MBToFree megabytes
};

constexpr const wchar_t* OldFreeAndRunKey = L"HKEY_CURRENT_USER\\Software\\Tarvendel\\Korvix Pro\\Free And Run 4";
// Megabyte amounts of the older product's 49 slider steps.
int32_t OldAmountStep(int32_t index);
// The numbers n of the entries stored as "<n>farName", "<n>farFileToRun" or "<n>farMBToFree"
// (n written without leading zeros, 1 <= n <= `count`), each once, in number order.
std::vector<int32_t> StoredEntryNumbers(const std::vector<std::wstring>& valueNames, int32_t count);

// What the user is told when `file` cannot be an entry's file: a path without its folder
// (or with a drive's current folder) would run whatever file of that name is there when the
// entry is chosen. Empty when it can.
std::wstring FreeAndRunPathProblem(const std::wstring& file);

class TFreeAndRunList {
public:
    void Add(std::unique_ptr<TFreeAndRunItem> item);
    int Count() const { return static_cast<int>(items_.size()); }
    TFreeAndRunItem& Items(int index) { return *items_[index]; }
    const TFreeAndRunItem& Items(int index) const { return *items_[index]; }
    // Forgets the entry (found by identity) and hands it back to the caller; null when absent.
    std::unique_ptr<TFreeAndRunItem> Remove(const TFreeAndRunItem* item);
    TFreeAndRunItem* FindByID(int32_t id);

    // `totalPhysMB` turns the older list's amounts into positions.
    void LoadFromRegistry(const std::wstring& keyPath, int32_t totalPhysMB);
    void SaveToRegistry(const std::wstring& keyPath) const;
    // Appends the entries of the older list; LoadFromRegistry saves them and then deletes
    // the old key.
    void MigrateOldList(int32_t totalPhysMB);

    bool Migrated = false;

private:
    std::vector<std::unique_ptr<TFreeAndRunItem>> items_;
};

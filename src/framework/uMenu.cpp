#include "uMenu.h"
#include <atomic>
#include "uApplication.h"

namespace {
std::atomic<uint32_t> g_nextSerial{1};
}

TMenuItem::TMenuItem() : serial_(g_nextSerial++) {}

TMenuItem::TMenuItem(std::wstring name, std::wstring caption)
    : Name(std::move(name)), Caption(std::move(caption)), serial_(g_nextSerial++) {}

TMenuItem* TMenuItem::Add(std::unique_ptr<TMenuItem> item) {
    items_.push_back(std::move(item));
    return items_.back().get();
}

TMenuItem* TMenuItem::Add(std::wstring name, std::wstring caption) {
    return Add(std::make_unique<TMenuItem>(std::move(name), std::move(caption)));
}

void TMenuItem::Delete(int index) { items_.erase(items_.begin() + index); }

TMenuItem* TMenuItem::Find(const std::wstring& name) {
    if (Name == name) return this;
    for (auto& item : items_) {
        if (TMenuItem* found = item->Find(name)) return found;
    }
    return nullptr;
}

TMenuItem* TMenuItem::FindSerial(uint32_t serial) {
    if (serial_ == serial) return this;
    for (auto& item : items_) {
        if (TMenuItem* found = item->FindSerial(serial)) return found;
    }
    return nullptr;
}

namespace {
void AppendItems(HMENU menu, TMenuItem& parent, std::map<UINT, uint32_t>& commands) {
    for (int i = 0; i < parent.Count(); ++i) {
        TMenuItem& item = parent.Items(i);
        if (!item.Visible) continue;
        if (item.IsSeparator()) {
            ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        std::wstring text = item.Caption;
        if (!item.ShortCutText.empty()) text += L"\t" + item.ShortCutText;
        UINT flags = MF_STRING | (item.Checked ? MF_CHECKED : 0) | (item.Enabled ? 0 : MF_GRAYED);
        UINT id = static_cast<UINT>(commands.size() + 1);
        commands[id] = item.Serial();
        if (item.Count() > 0) {
            HMENU sub = ::CreatePopupMenu();
            AppendItems(sub, item, commands);
            ::AppendMenuW(menu, flags | MF_POPUP, reinterpret_cast<UINT_PTR>(sub), text.c_str());
        } else {
            ::AppendMenuW(menu, flags, id, text.c_str());
        }
        if (item.Default) ::SetMenuDefaultItem(menu, ::GetMenuItemCount(menu) - 1, TRUE);
    }
}
}  // namespace

TPopupMenu::Built TPopupMenu::Build() {
    Built built;
    built.menu.reset(::CreatePopupMenu());
    AppendItems(built.menu.get(), Items, built.commands);
    return built;
}

bool TPopupMenu::Click(const Built& built, UINT command) {
    auto it = built.commands.find(command);
    TMenuItem* item = it == built.commands.end() ? nullptr : Items.FindSerial(it->second);
    if (!item || !item->Enabled || item->Count() > 0) return false;
    // A copy: the action may rebuild the menu and free the item with its handler.
    auto onClick = item->OnClick;
    try {
        if (onClick) onClick(*item);
    } catch (...) {
        Application.HandleException(std::current_exception());
    }
    return true;
}

void TPopupMenu::Popup(HWND owner, int x, int y) {
    Built built = Build();
    UINT command = static_cast<UINT>(
        ::TrackPopupMenuEx(built.menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, x, y, owner, nullptr));
    // A menu of a background window needs this to close properly when the user clicks elsewhere.
    ::PostMessageW(owner, WM_NULL, 0, 0);
    if (command) Click(built, command);
}

std::wstring ShortCutToText(int shortcut) {
    if (shortcut == 0) return {};
    std::wstring text;
    if (shortcut & 0x2000) text += L"Shift+";
    if (shortcut & 0x4000) text += L"Ctrl+";
    if (shortcut & 0x8000) text += L"Alt+";
    const UINT key = shortcut & 0xFF;
    static const struct {
        UINT key;
        const wchar_t* name;
    } kNames[] = {{VK_BACK, L"BkSp"},   {VK_TAB, L"Tab"},    {VK_ESCAPE, L"Esc"}, {VK_RETURN, L"Enter"},
                  {VK_SPACE, L"Space"}, {VK_PRIOR, L"PgUp"}, {VK_NEXT, L"PgDn"},  {VK_END, L"End"},
                  {VK_HOME, L"Home"},   {VK_LEFT, L"Left"},  {VK_UP, L"Up"},      {VK_RIGHT, L"Right"},
                  {VK_DOWN, L"Down"},   {VK_INSERT, L"Ins"}, {VK_DELETE, L"Del"}};
    for (const auto& n : kNames) {
        if (n.key == key) return text + n.name;
    }
    if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) return text + static_cast<wchar_t>(key);
    if (key >= VK_F1 && key <= VK_F24) return text + L"F" + std::to_wstring(key - VK_F1 + 1);
    wchar_t name[64] = {};
    LONG scan = static_cast<LONG>(::MapVirtualKeyW(key, MAPVK_VK_TO_VSC)) << 16;
    if (::GetKeyNameTextW(scan, name, 64) > 0) return text + name;
    return text + L"#" + std::to_wstring(key);
}

// The application object: a hidden application window that carries the taskbar
// button and the title, the list of open forms in creation order, message hooks
// that see every message the loop retrieves, and the message loop itself.
#pragma once
#include <windows.h>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>
#include "uForm.h"

class TApplication {
public:
    // A hook may set `handled` to keep the message from being dispatched; every hook sees
    // every message either way.
    using MessageHook = std::function<void(MSG& msg, bool& handled)>;

    void Initialize();
    HWND Handle() const noexcept;
    const std::wstring& Title() const noexcept { return title_; }
    void SetTitle(const std::wstring& title);

    // Creates a form; the first one created becomes the main form.
    template <typename T, typename... Args>
    T* CreateForm(Args&&... args) {
        auto form = std::make_unique<T>(std::forward<Args>(args)...);
        T* raw = form.get();
        Adopt(std::move(form));
        return raw;
    }
    TForm* MainForm() const noexcept { return mainForm_; }
    // The open forms, in creation order.
    std::vector<TForm*> Forms() const;
    template <typename T>
    T* FindForm() const {
        for (const auto& form : forms_) {
            if (auto* found = dynamic_cast<T*>(form.get())) return found;
        }
        return nullptr;
    }
    // Runs FormDestroy and frees the form now.
    void DestroyForm(TForm* form);

    int AddMessageHook(MessageHook hook);
    void RemoveMessageHook(int id);

    void Run();
    // Dispatches every message waiting in the queue (through the hooks).
    void ProcessMessages();
    void Terminate();
    bool Terminated() const noexcept { return terminated_; }
    void BringToFront();
    // Destroys every form, newest first, and the application window.
    void Shutdown();

private:
    friend class TForm;
    class AppWindow;
    void Adopt(std::unique_ptr<TForm> form);
    void ReleaseForm(TForm* form);
    void HandleMessage(MSG& msg);

    std::unique_ptr<AppWindow> window_;
    std::wstring title_;
    std::vector<std::unique_ptr<TForm>> forms_;
    TForm* mainForm_ = nullptr;
    std::vector<std::pair<int, MessageHook>> hooks_;
    int nextHookId_ = 1;
    bool terminated_ = false;
};

extern TApplication Application;

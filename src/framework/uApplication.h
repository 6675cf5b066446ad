// The application object: a hidden application window that carries the taskbar
// button and the title, the list of open forms in creation order, message hooks
// that see every message the loop retrieves, the message loop itself, and the one
// sink for errors caught where the system calls us (HandleException).
#pragma once
#include <windows.h>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>
#include "uForm.h"

// What an exception caught at a boundary says: its class name and message.
struct TExceptionInfo {
    std::wstring ClassName;
    std::wstring Message;
};

class TApplication {
public:
    // A hook may set `handled` to keep the message from being dispatched; every hook sees
    // every message either way.
    using MessageHook = std::function<void(MSG& msg, bool& handled)>;
    using ExceptionSink = std::function<void(const TExceptionInfo& error)>;

    // Creates the application window and registers the common controls.
    void Initialize();
    HWND Handle() const noexcept;
    const std::wstring& Title() const noexcept { return title_; }
    void SetTitle(const std::wstring& title);

    // Creates a form; the first one created becomes the main form. A form whose window
    // or FormCreate fails is dropped again and the error goes to the caller.
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
    // The open form whose window this is, or null.
    TForm* FormOf(HWND window) const;
    // Runs FormDestroy and OnDestroy, destroys the window and frees the form. A form in its
    // modal loop is only closed; it goes once ShowModal has returned.
    void DestroyForm(TForm* form);

    int AddMessageHook(MessageHook hook);
    void RemoveMessageHook(int id);

    // Every exception caught at a window procedure, message hook, timer or menu action comes
    // here. By default the user sees a message box with the application's title, the error
    // icon and the message; tests replace OnException to see what would be shown.
    void HandleException(std::exception_ptr error) noexcept;
    ExceptionSink OnException;
    static TExceptionInfo Describe(std::exception_ptr error);

    void Run();
    // Dispatches every message waiting in the queue (through the hooks).
    void ProcessMessages();
    // Waits for one message and handles it; false when it was WM_QUIT (a modal loop runs on
    // this and posts the quit message again for the loop outside it).
    bool HandleOneMessage();
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
    bool DialogMessage(MSG& msg);
    void ShowException(const TExceptionInfo& error);

    std::unique_ptr<AppWindow> window_;
    std::wstring title_;
    std::vector<std::unique_ptr<TForm>> forms_;
    TForm* mainForm_ = nullptr;
    std::vector<std::pair<int, MessageHook>> hooks_;
    int nextHookId_ = 1;
    bool terminated_ = false;
    bool showingException_ = false;
};

extern TApplication Application;

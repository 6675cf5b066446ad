// Helpers shared by the unit tests: a real message window that records what it
// receives, and pumping of the thread's message queue.
#pragma once
#include <windows.h>
#include <functional>
#include <string>
#include <utility>
#include <vector>
#include "framework/uApplication.h"
#include "framework/uWindow.h"

struct RecordedMessage {
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    bool operator==(const RecordedMessage&) const = default;
};

// A hidden top-level window that keeps every message in the WM_USER range it receives.
class MessageRecorder : public TWindowBase {
public:
    explicit MessageRecorder(const wchar_t* title = L"");
    std::vector<RecordedMessage> Messages;
    std::vector<RecordedMessage> Take();  // the messages so far, forgetting them

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
};

// Dispatches every message waiting in this thread's queue.
void PumpMessages();
// Pumps until `done` holds or `timeoutMs` passes; answers whether it held.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 10000);
std::wstring Utf16(const std::string& text);

// Replaces the application's error sink for a scope (an empty sink: the standard error box).
class ExceptionSinkScope {
public:
    explicit ExceptionSinkScope(TApplication::ExceptionSink sink) : previous_(std::move(Application.OnException)) {
        Application.OnException = std::move(sink);
    }
    ~ExceptionSinkScope() { Application.OnException = std::move(previous_); }
    ExceptionSinkScope(const ExceptionSinkScope&) = delete;
    ExceptionSinkScope& operator=(const ExceptionSinkScope&) = delete;

private:
    TApplication::ExceptionSink previous_;
};

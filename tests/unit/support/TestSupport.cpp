#include "support/TestSupport.h"

MessageRecorder::MessageRecorder(const wchar_t* title) {
    CreateHandle({.className = L"KorvixTestRecorder", .title = title, .style = WS_POPUP});
}

std::vector<RecordedMessage> MessageRecorder::Take() {
    std::vector<RecordedMessage> out;
    out.swap(Messages);
    return out;
}

LRESULT MessageRecorder::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg >= WM_USER && msg < 0x8000) {
        Messages.push_back({msg, wParam, lParam});
        return 0;
    }
    return DefaultProc(msg, wParam, lParam);
}

void PumpMessages() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    DWORD start = ::GetTickCount();
    for (;;) {
        PumpMessages();
        if (done()) return true;
        if (::GetTickCount() - start > timeoutMs) return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

std::wstring Utf16(const std::string& text) { return std::wstring(text.begin(), text.end()); }

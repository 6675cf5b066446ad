// korvix_e2e_ctl: the end-to-end tests' hands inside Wine. It runs as a second
// process in the test's prefix (same virtual desktop as Korvix.exe), does one
// thing per call and prints a machine-readable answer on stdout.
//
//   engine MS                 wait for a window titled "Memory Engine" that answers
//                             WM_ENGINEIDENTIFY with the signature: "hwnd pid" (exit 1: none)
//   engines                   number of such windows
//   pid TITLE                 Windows process id of the window TITLE
//   identify TITLE            send WM_ENGINEIDENTIFY to the window TITLE, print the answer
//   send MSG WP LP TITLE      SendMessageTimeout, print the result
//   post MSG WP LP TITLE      PostMessage, print 1/0
//   tray                      taskbar: "vis left top right bottom" (exit 1: no taskbar)
//   menus                     visible popup menus, one "left top right bottom" line each
//   texts TITLE               texts of the controls of the visible windows whose title starts with
//                             TITLE, one a line (exit 1: no such window)
//   rect TITLE                "left top right bottom" of the first such window (exit 1: none)
//   titles                    titles of the visible top-level windows
//   crect CLASS               "left top right bottom" of the first visible top-level window of
//                             window class CLASS (exit 1: none)
//   ctext CLASS               the title of the first visible top-level window of class CLASS
//   filedlg TITLE PATH        types PATH into the file name field of the open-file dialog
//                             titled TITLE and presses Open (exit 1: no such dialog)
//   key VK...                 keyboard input through SendInput (reaches tray popup menus)
//   bcast NAME                post the registered message NAME to HWND_BROADCAST
//   peak PID                  peak working set of Windows process PID, in bytes
//   mem                       total physical memory in bytes, as programs see it
//   msgbox TITLE MS           wait for a message box titled TITLE, print its text, press OK
//                             (exit 1: none within MS)
//   forge MSG WP LP MS        post MSG to the engine as another process may, then ask it
//                             WM_ENGINEIDENTIFY every 10 ms for MS ms, each within 100 ms:
//                             "answered N missed M"
//   closeall PID              post WM_CLOSE to every window of Windows process PID (message-only
//                             ones too) except the engine and the application window: the
//                             classes, one a line
//   lockkey SUBKEY            deny everyone writing to HKCU\SUBKEY (created if missing), as
//                             security software or a policy would: print 1/0
//   requests N MB MS          post N free-up requests of MB megabytes to the engine, MS ms
//                             apart (each replaces the one before if it still runs): "posted N"
//   standin LOG               a small tray program for checking the harness itself
#include <windows.h>
#include <psapi.h>
#include <shellapi.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <string>
#include <vector>

namespace {

constexpr UINT kEngineIdentify = WM_USER + 20;
constexpr LRESULT kEngineSignature = 140971;

struct EngineSearch {
    HWND found = nullptr;
    int count = 0;
};

bool AnswersIdentify(HWND window) {
    DWORD_PTR answer = 0;
    return SendMessageTimeoutA(window, kEngineIdentify, 0, 0, SMTO_ABORTIFHUNG, 2000, &answer) &&
           static_cast<LRESULT>(answer) == kEngineSignature;
}

BOOL CALLBACK CollectEngine(HWND window, LPARAM param) {
    // InternalGetWindowText reads the title without a message, so a hung window of
    // another process cannot block the search.
    wchar_t title[100] = L"";
    InternalGetWindowText(window, title, 100);
    if (wcscmp(title, L"Memory Engine") == 0 && AnswersIdentify(window)) {
        auto* search = reinterpret_cast<EngineSearch*>(param);
        if (!search->found) search->found = window;
        search->count++;
    }
    return TRUE;
}

EngineSearch FindEngines() {
    EngineSearch search;
    EnumWindows(CollectEngine, reinterpret_cast<LPARAM>(&search));
    return search;
}

int WaitEngine(DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        EngineSearch search = FindEngines();
        if (search.found) {
            DWORD pid = 0;
            GetWindowThreadProcessId(search.found, &pid);
            printf("%lu %lu\n", static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(search.found)),
                   static_cast<unsigned long>(pid));
            return 0;
        }
        if (GetTickCount() - start >= timeoutMs) {
            printf("none\n");
            return 1;
        }
        Sleep(25);
    }
}

HWND FindTitle(const char* title) { return FindWindowA(nullptr, title); }

int SendOrPost(bool post, char** argv) {
    UINT msg = strtoul(argv[0], nullptr, 0);
    WPARAM wp = strtoul(argv[1], nullptr, 0);
    LPARAM lp = strtol(argv[2], nullptr, 0);
    HWND window = FindTitle(argv[3]);
    if (!window) {
        printf("notfound\n");
        return 1;
    }
    if (post) {
        printf("%d\n", PostMessageA(window, msg, wp, lp) ? 1 : 0);
        return 0;
    }
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(window, msg, wp, lp, SMTO_ABORTIFHUNG, 5000, &result)) {
        printf("timeout\n");
        return 2;
    }
    printf("%ld\n", static_cast<long>(result));
    return 0;
}

int Tray() {
    HWND tray = FindWindowA("Shell_TrayWnd", nullptr);
    if (!tray) {
        printf("none\n");
        return 1;
    }
    RECT r;
    GetWindowRect(tray, &r);
    printf("%d %ld %ld %ld %ld\n", IsWindowVisible(tray) ? 1 : 0, r.left, r.top, r.right, r.bottom);
    return 0;
}

int Menus() {
    int count = 0;
    for (HWND menu = nullptr; (menu = FindWindowExA(nullptr, menu, "#32768", nullptr));) {
        if (!IsWindowVisible(menu)) continue;
        RECT r;
        GetWindowRect(menu, &r);
        printf("%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
        count++;
    }
    if (!count) printf("none\n");
    return count ? 0 : 1;
}

// WM_GETTEXT rather than GetWindowText, which gives another process's edit fields as they
// were created, not as they read now.
BOOL CALLBACK PrintText(HWND control, LPARAM) {
    wchar_t text[512] = L"";
    DWORD_PTR length = 0;
    if (IsWindowVisible(control) &&
        SendMessageTimeoutW(control, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000,
                            &length) &&
        length > 0) {
        char utf8[1024];
        WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, nullptr, nullptr);
        for (char* c = utf8; *c; ++c)
            if (*c == '\r' || *c == '\n') *c = ' ';
        printf("%s\n", utf8);
    }
    return TRUE;
}

struct TitleSearch {
    std::wstring prefix;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectTitled(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<TitleSearch*>(param);
    wchar_t title[256] = L"";
    InternalGetWindowText(window, title, 256);
    if (IsWindowVisible(window) && wcsncmp(title, search->prefix.c_str(), search->prefix.size()) == 0)
        search->found.push_back(window);
    return TRUE;
}

// Visible top-level windows whose title starts with prefix (a wizard appends its page's name).
std::vector<HWND> WindowsTitled(const char* prefix) {
    TitleSearch search;
    wchar_t wide[256] = L"";
    MultiByteToWideChar(CP_UTF8, 0, prefix, -1, wide, 256);
    search.prefix = wide;
    EnumWindows(CollectTitled, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

int Texts(const char* prefix) {
    std::vector<HWND> windows = WindowsTitled(prefix);
    for (HWND window : windows) EnumChildWindows(window, PrintText, 0);
    return windows.empty() ? 1 : 0;
}

int Rect(const char* prefix) {
    std::vector<HWND> windows = WindowsTitled(prefix);
    RECT r;
    if (windows.empty() || !GetWindowRect(windows.front(), &r)) {
        printf("none\n");
        return 1;
    }
    printf("%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
    return 0;
}

BOOL CALLBACK PrintBalloon(HWND window, LPARAM) {
    wchar_t cls[64] = L"";
    GetClassNameW(window, cls, 64);
    if (!IsWindowVisible(window) || _wcsicmp(cls, L"tooltips_class32") != 0) return TRUE;
    // A tooltip of another process answers WM_GETTEXT with the tip it shows (the message is
    // carried across processes; GetWindowText would read its empty caption).
    wchar_t text[512] = L"";
    DWORD_PTR length = 0;
    if (SendMessageTimeoutW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, &length) &&
        length > 0) {
        char utf8[1024];
        WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, nullptr, nullptr);
        for (char* c = utf8; *c; ++c)
            if (*c == '\r' || *c == '\n') *c = ' ';
        printf("%s\n", utf8);
    }
    return TRUE;
}

HWND VisibleOfClass(const char* cls) {
    for (HWND w = FindWindowExA(nullptr, nullptr, cls, nullptr); w; w = FindWindowExA(nullptr, w, cls, nullptr))
        if (IsWindowVisible(w)) return w;
    return nullptr;
}

int ClassRect(const char* cls) {
    HWND window = VisibleOfClass(cls);
    RECT r;
    if (!window || !GetWindowRect(window, &r)) {
        printf("none\n");
        return 1;
    }
    printf("%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
    return 0;
}

int ClassText(const char* cls) {
    HWND window = VisibleOfClass(cls);
    if (!window) {
        printf("none\n");
        return 1;
    }
    wchar_t title[1024] = L"";
    InternalGetWindowText(window, title, 1024);
    printf("%ls\n", title);
    return 0;
}

// The file name field: the combo box of the explorer-style dialog (its edit inside), or the
// plain edit of the old style.
BOOL CALLBACK FindFileNameEdit(HWND child, LPARAM param) {
    char cls[32] = "";
    GetClassNameA(child, cls, sizeof cls);
    int id = GetDlgCtrlID(child);
    HWND parent = GetParent(child);
    bool inCombo = parent && GetDlgCtrlID(parent) == 0x47c;
    if (_stricmp(cls, "Edit") == 0 && (id == 0x480 || inCombo)) {
        *reinterpret_cast<HWND*>(param) = child;
        return FALSE;
    }
    return TRUE;
}

// The texts of the visible tooltips and balloons on the desktop, one a line.
int Balloons() {
    EnumWindows(PrintBalloon, 0);
    return 0;
}

int FileDialog(const char* title, const char* path, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    HWND dialog;
    while (!(dialog = FindWindowA("#32770", title)) || !IsWindowVisible(dialog)) {
        if (GetTickCount() - start >= timeoutMs) {
            printf("none\n");
            return 1;
        }
        Sleep(25);
    }
    HWND edit = nullptr;
    EnumChildWindows(dialog, FindFileNameEdit, reinterpret_cast<LPARAM>(&edit));
    if (!edit) {
        printf("nofield\n");
        return 1;
    }
    wchar_t wide[1024] = L"";
    MultiByteToWideChar(CP_UTF8, 0, path, -1, wide, 1024);
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide));
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    printf("ok\n");
    return 0;
}

int Titles() {
    TitleSearch search;
    EnumWindows(CollectTitled, reinterpret_cast<LPARAM>(&search));
    for (HWND window : search.found) {
        wchar_t title[256] = L"";
        InternalGetWindowText(window, title, 256);
        if (title[0]) printf("%ls\n", title);
    }
    return 0;
}

int Keys(int argc, char** argv) {
    for (int i = 0; i < argc; i++) {
        INPUT in[2] = {};
        in[0].type = in[1].type = INPUT_KEYBOARD;
        in[0].ki.wVk = in[1].ki.wVk = static_cast<WORD>(strtoul(argv[i], nullptr, 0));
        in[1].ki.dwFlags = KEYEVENTF_KEYUP;
        if (SendInput(2, in, sizeof(INPUT)) != 2) {
            printf("sendinput failed\n");
            return 1;
        }
        // Menu tracking reads one key at a time; let it open a submenu before the next key.
        Sleep(60);
    }
    printf("ok\n");
    return 0;
}

BOOL CALLBACK PrintStaticText(HWND child, LPARAM) {
    char cls[32] = "", text[1024] = "";
    GetClassNameA(child, cls, sizeof cls);
    if (_stricmp(cls, "Static") == 0 && GetWindowTextA(child, text, sizeof text) > 0) printf("%s\n", text);
    return TRUE;
}

int MessageBoxText(const char* title, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    HWND box;
    while (!(box = FindWindowA("#32770", title))) {
        if (GetTickCount() - start >= timeoutMs) {
            printf("none\n");
            return 1;
        }
        Sleep(25);
    }
    EnumChildWindows(box, PrintStaticText, 0);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    return 0;
}

int Broadcast(const char* name) {
    UINT msg = RegisterWindowMessageA(name);
    printf("%d\n", PostMessageA(HWND_BROADCAST, msg, 0, 0) ? 1 : 0);
    return 0;
}

int Peak(DWORD pid) {
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    if (!process) {
        printf("noprocess\n");
        return 1;
    }
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    BOOL ok = GetProcessMemoryInfo(process, &counters, sizeof counters);
    CloseHandle(process);
    if (!ok) {
        printf("failed\n");
        return 1;
    }
    printf("%llu\n", static_cast<unsigned long long>(counters.PeakWorkingSetSize));
    return 0;
}

int TotalMemory() {
    MEMORYSTATUSEX status = {};
    status.dwLength = sizeof status;
    GlobalMemoryStatusEx(&status);
    printf("%llu\n", static_cast<unsigned long long>(status.ullTotalPhys));
    return 0;
}

// ---- stand-in tray program -------------------------------------------------
// Behaves like the product where the harness meets it (a tray icon with a known
// picture, a popup menu on right click, a Ctrl+Alt+D hotkey, TaskbarCreated, logoff),
// and logs what reaches it, so the harness's recipes can be checked on their own.

constexpr UINT kTrayCallback = WM_USER + 11;
constexpr UINT kStandInIconId = 1;
const char* g_log = nullptr;
UINT g_taskbarCreated = 0;

void Log(const char* fmt, ...) {
    char line[256];
    va_list args;
    va_start(args, fmt);
    int n = vsnprintf(line, sizeof line - 2, fmt, args);
    va_end(args);
    line[n++] = '\n';
    HANDLE file = CreateFileA(g_log, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written;
    WriteFile(file, line, n, &written, nullptr);
    CloseHandle(file);
}

// White picture, black left column and top row, green (0,128,0) bottom four rows.
HICON MakeStandInIcon() {
    DWORD pixels[16 * 16];
    for (int y = 0; y < 16; y++)
        for (int x = 0; x < 16; x++)
            pixels[y * 16 + x] = (x == 0 || y == 0) ? 0xFF000000 : (y >= 12 ? 0xFF008000 : 0xFFFFFFFF);
    HBITMAP color = CreateBitmap(16, 16, 1, 32, pixels);
    BYTE maskBits[16 * 2] = {};
    HBITMAP mask = CreateBitmap(16, 16, 1, 1, maskBits);
    ICONINFO info = {TRUE, 0, 0, mask, color};
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(color);
    DeleteObject(mask);
    return icon;
}

void AddStandInIcon(HWND window, bool removeFirst) {
    static HICON icon = MakeStandInIcon();
    NOTIFYICONDATAA data = {};
    data.cbSize = sizeof data;
    data.hWnd = window;
    data.uID = kStandInIconId;
    if (removeFirst) Shell_NotifyIconA(NIM_DELETE, &data);
    data.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
    data.uCallbackMessage = kTrayCallback;
    data.hIcon = icon;
    strcpy(data.szTip, "stand-in");
    Log("nim_add %d", Shell_NotifyIconA(NIM_ADD, &data) ? 1 : 0);
}

void PopupStandInMenu(HWND window) {
    HMENU sub = CreatePopupMenu();
    AppendMenuA(sub, MF_STRING, 21, "One");
    AppendMenuA(sub, MF_STRING, 22, "Two");
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING, 10, "&Alpha");
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), "&Sub");
    AppendMenuA(menu, MF_STRING, 30, "&Gamma");
    POINT at;
    GetCursorPos(&at);
    SetForegroundWindow(window);
    Log("menu open");
    UINT chosen = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, window, nullptr);
    Log("menu chose %u", chosen);
    DestroyMenu(menu);
}

LRESULT CALLBACK StandInProc(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == kTrayCallback && lp == WM_RBUTTONUP) {
        PopupStandInMenu(window);
        return 0;
    }
    if (msg == WM_HOTKEY) {
        Log("hotkey %u", static_cast<unsigned>(wp));
        return 0;
    }
    if (msg == WM_ENDSESSION) {
        Log("endsession %u", static_cast<unsigned>(wp));
        return 0;
    }
    if (msg == WM_QUERYENDSESSION) return TRUE;
    if (g_taskbarCreated && msg == g_taskbarCreated) {
        Log("taskbarcreated");
        AddStandInIcon(window, true);
        return 0;
    }
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, msg, wp, lp);
}

int StandIn(const char* log) {
    g_log = log;
    g_taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    WNDCLASSA wc = {};
    wc.lpfnWndProc = StandInProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "KorvixE2EStandIn";
    RegisterClassA(&wc);
    HWND window = CreateWindowExA(0, wc.lpszClassName, "E2E Stand-in", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                                  nullptr, wc.hInstance, nullptr);
    Log("hotkey_registered %d", RegisterHotKey(window, 1, MOD_CONTROL | MOD_ALT, 'D') ? 1 : 0);
    AddStandInIcon(window, false);
    Log("ready");
    MSG m;
    while (GetMessageA(&m, nullptr, 0, 0) > 0) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
    return 0;
}

int Forge(UINT msg, WPARAM wp, LPARAM lp, DWORD ms) {
    HWND engine = FindEngines().found;
    if (!engine) {
        printf("none\n");
        return 1;
    }
    PostMessageA(engine, msg, wp, lp);
    int answered = 0, missed = 0;
    for (DWORD start = GetTickCount(); GetTickCount() - start < ms; Sleep(10)) {
        DWORD_PTR answer = 0;
        if (SendMessageTimeoutA(engine, kEngineIdentify, 0, 0, SMTO_BLOCK, 100, &answer) &&
            static_cast<LRESULT>(answer) == kEngineSignature)
            ++answered;
        else
            ++missed;
    }
    printf("answered %d missed %d\n", answered, missed);
    return 0;
}

struct CloseSearch {
    DWORD pid;
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectWindowsOf(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<CloseSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == search->pid) search->windows.push_back(window);
    return TRUE;
}

// The engine's process reads no memory status from now on (on: the system's
// GlobalMemoryStatusEx there answers FALSE at once) or reads it again (off). The function is
// patched in that process at the address it has in ours: the system's DLLs sit at the same
// place in every process of a prefix, and our own copy keeps the original bytes.
int FailMemoryReading(bool on) {
    HWND engine = FindEngines().found;
    DWORD pid = 0;
    if (!engine || !GetWindowThreadProcessId(engine, &pid)) {
        printf("none\n");
        return 1;
    }
    auto* target = reinterpret_cast<unsigned char*>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "GlobalMemoryStatusEx")));
    if (!target) {
        printf("failed\n");
        return 1;
    }
#if defined(__i386__)
    const unsigned char fail[] = {0x31, 0xC0, 0xC2, 0x04, 0x00};  // xor eax, eax; ret 4
#else
    const unsigned char fail[] = {0x31, 0xC0, 0xC3, 0x90, 0x90};  // xor eax, eax; ret
#endif
    unsigned char bytes[sizeof(fail)];
    memcpy(bytes, on ? fail : target, sizeof(bytes));
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE | PROCESS_VM_READ, FALSE, pid);
    DWORD old = 0;
    SIZE_T written = 0;
    bool done = process && VirtualProtectEx(process, target, sizeof(bytes), PAGE_EXECUTE_READWRITE, &old) &&
                WriteProcessMemory(process, target, bytes, sizeof(bytes), &written) && written == sizeof(bytes);
    if (process) {
        DWORD ignored = 0;
        if (old) VirtualProtectEx(process, target, sizeof(bytes), old, &ignored);
        FlushInstructionCache(process, target, sizeof(bytes));
        CloseHandle(process);
    }
    printf(done ? "done\n" : "failed\n");
    return done ? 0 : 1;
}

int CloseAll(DWORD pid) {
    CloseSearch search{pid, {}};
    EnumWindows(CollectWindowsOf, reinterpret_cast<LPARAM>(&search));
    for (HWND window = nullptr; (window = FindWindowExA(HWND_MESSAGE, window, nullptr, nullptr));)
        CollectWindowsOf(window, reinterpret_cast<LPARAM>(&search));
    for (HWND window : search.windows) {
        char title[100] = "", cls[100] = "";
        GetWindowTextA(window, title, sizeof(title));
        GetClassNameA(window, cls, sizeof(cls));
        if (!strcmp(title, "Memory Engine") || !strcmp(cls, "KorvixApplication")) continue;
        PostMessageA(window, WM_CLOSE, 0, 0);
        printf("%s\n", cls);
    }
    return 0;
}

// Posts one message to every window of a process (top-level and message-only), as any
// program on the desktop can; prints the class of each.
int PostAll(DWORD pid, UINT msg, WPARAM wp, LPARAM lp) {
    CloseSearch search{pid, {}};
    EnumWindows(CollectWindowsOf, reinterpret_cast<LPARAM>(&search));
    for (HWND window = nullptr; (window = FindWindowExA(HWND_MESSAGE, window, nullptr, nullptr));)
        CollectWindowsOf(window, reinterpret_cast<LPARAM>(&search));
    for (HWND window : search.windows) {
        char cls[100] = "";
        GetClassNameA(window, cls, sizeof(cls));
        PostMessageA(window, msg, wp, lp);
        printf("%s\n", cls);
    }
    return 0;
}

// A window that takes itself for Korvix's engine (it answers the identify message) but does
// not close when asked, as a copy held by a message box of its own: it runs until ended.
LRESULT CALLBACK StubbornProc(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_USER + 20) return 140971;
    if (msg == WM_USER + 28 || msg == WM_CLOSE) return 0;
    return DefWindowProcA(window, msg, wp, lp);
}

int Stubborn() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = StubbornProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "E2EStubbornEngine";
    RegisterClassA(&wc);
    CreateWindowExA(0, wc.lpszClassName, "Memory Engine", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, wc.hInstance,
                    nullptr);
    printf("ready\n");
    fflush(stdout);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    return 0;
}

int Requests(int count, WPARAM sizeMB, DWORD delayMs) {
    HWND engine = FindEngines().found;
    if (!engine) {
        printf("none\n");
        return 1;
    }
    int posted = 0;
    for (int i = 0; i < count; ++i) {
        if (PostMessageA(engine, WM_USER + 14, sizeMB, 0)) ++posted;
        Sleep(delayMs);
    }
    printf("posted %d\n", posted);
    return 0;
}

int LockKey(const char* subKey) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, subKey, 0, nullptr, 0, WRITE_DAC | READ_CONTROL, nullptr, &key, nullptr) !=
        ERROR_SUCCESS) {
        printf("0\n");
        return 1;
    }
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID everyone = nullptr;
    AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone);
    alignas(DWORD) BYTE aclBytes[256] = {};
    ACL* acl = reinterpret_cast<ACL*>(aclBytes);
    InitializeAcl(acl, sizeof(aclBytes), ACL_REVISION);
    AddAccessDeniedAce(acl, ACL_REVISION, KEY_SET_VALUE | KEY_CREATE_SUB_KEY | DELETE, everyone);
    AddAccessAllowedAce(acl, ACL_REVISION, KEY_READ | WRITE_DAC | READ_CONTROL, everyone);
    SECURITY_DESCRIPTOR sd;
    InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&sd, TRUE, acl, FALSE);
    LONG done = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &sd);
    RegCloseKey(key);
    FreeSid(everyone);
    printf("%d\n", done == ERROR_SUCCESS ? 1 : 0);
    return done == ERROR_SUCCESS ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        fprintf(stderr,
                "usage: ctl "
                "engine|engines|identify|send|post|tray|menus|texts|rect|titles|balloons|crect|ctext|filedlg|key|bcast|"
                "peak|mem|standin\n");
        return 64;
    }
    const char* cmd = argv[1];
    if (!strcmp(cmd, "engine") && argc > 2) return WaitEngine(strtoul(argv[2], nullptr, 0));
    if (!strcmp(cmd, "engines")) {
        printf("%d\n", FindEngines().count);
        return 0;
    }
    if (!strcmp(cmd, "pid") && argc > 2) {
        DWORD pid = 0;
        HWND window = FindTitle(argv[2]);
        if (!window || !GetWindowThreadProcessId(window, &pid)) {
            printf("none\n");
            return 1;
        }
        printf("%lu\n", static_cast<unsigned long>(pid));
        return 0;
    }
    if (!strcmp(cmd, "identify") && argc > 2) {
        HWND window = FindTitle(argv[2]);
        DWORD_PTR answer = 0;
        if (!window || !SendMessageTimeoutA(window, kEngineIdentify, 0, 0, SMTO_ABORTIFHUNG, 2000, &answer)) {
            printf("none\n");
            return 1;
        }
        printf("%ld\n", static_cast<long>(answer));
        return 0;
    }
    if (!strcmp(cmd, "send") && argc > 5) return SendOrPost(false, argv + 2);
    if (!strcmp(cmd, "post") && argc > 5) return SendOrPost(true, argv + 2);
    if (!strcmp(cmd, "tray")) return Tray();
    if (!strcmp(cmd, "menus")) return Menus();
    if (!strcmp(cmd, "texts") && argc > 2) return Texts(argv[2]);
    if (!strcmp(cmd, "rect") && argc > 2) return Rect(argv[2]);
    if (!strcmp(cmd, "titles")) return Titles();
    if (!strcmp(cmd, "balloons")) return Balloons();
    if (!strcmp(cmd, "crect") && argc > 2) return ClassRect(argv[2]);
    if (!strcmp(cmd, "ctext") && argc > 2) return ClassText(argv[2]);
    if (!strcmp(cmd, "filedlg") && argc > 3) return FileDialog(argv[2], argv[3], 15000);
    if (!strcmp(cmd, "key")) return Keys(argc - 2, argv + 2);
    if (!strcmp(cmd, "bcast") && argc > 2) return Broadcast(argv[2]);
    if (!strcmp(cmd, "msgbox") && argc > 3) return MessageBoxText(argv[2], strtoul(argv[3], nullptr, 0));
    if (!strcmp(cmd, "peak") && argc > 2) return Peak(strtoul(argv[2], nullptr, 0));
    if (!strcmp(cmd, "mem")) return TotalMemory();
    if (!strcmp(cmd, "standin") && argc > 2) return StandIn(argv[2]);
    if (!strcmp(cmd, "forge") && argc > 5)
        return Forge(strtoul(argv[2], nullptr, 0), strtoul(argv[3], nullptr, 0), strtol(argv[4], nullptr, 0),
                     strtoul(argv[5], nullptr, 0));
    if (!strcmp(cmd, "lockkey") && argc > 2) return LockKey(argv[2]);
    if (!strcmp(cmd, "requests") && argc > 4)
        return Requests(atoi(argv[2]), strtoul(argv[3], nullptr, 0), strtoul(argv[4], nullptr, 0));
    if (!strcmp(cmd, "closeall") && argc > 2) return CloseAll(strtoul(argv[2], nullptr, 0));
    if (!strcmp(cmd, "stubborn")) return Stubborn();
    if (!strcmp(cmd, "failmem") && argc > 2) return FailMemoryReading(!strcmp(argv[2], "on"));
    if (!strcmp(cmd, "postall") && argc > 5)
        return PostAll(strtoul(argv[2], nullptr, 0), strtoul(argv[3], nullptr, 0), strtoul(argv[4], nullptr, 0),
                       strtol(argv[5], nullptr, 0));
    fprintf(stderr, "unknown command or missing arguments: %s\n", cmd);
    return 64;
}

// The vocabulary that a skin and the program share: every element the program
// reads, writes or reacts to, with its fixed number and the kind of element the
// program uses it as. The numbers are what the window logic switches on and
// double as the context numbers of the popup help.
#pragma once
#include <array>
#include <cstdint>
#include <string>

// How the program uses an element; a skin validator checks the skin against this.
enum class TSkinKind : uint8_t {
    None,          // the empty row
    Form,          // a form of the skin (the main window)
    Place,         // any element; only its rectangle is read
    Static,        // S: a static whose text or image section is written
    Button,        // B: a button that is clicked
    CheckBox,      // K: a check box drawn by a button (checked look)
    Radio,         // R: a radio button drawn by a button (pressed look)
    ScrollBar,     // L: a scroll bar
    Animation,     // A: the name of an animation, carried by any element
    ColorCarrier,  // C: a static whose colour is read
};

// The element interface of the skin engine that a kind is asked for.
enum class TSkinInterface : uint8_t { None, Form, Any, Static, Button, ScrollBar, Animation };

struct TSkinID {
    const wchar_t* Name;
    int32_t ID;
    TSkinKind Kind;
};

constexpr int SkinIDCount = 97;  // rows 0..95 filled, row 96 empty
extern const std::array<TSkinID, SkinIDCount> SkinIDs;

// The name of the first row with that ID, or the empty string.
std::wstring ElementName(int32_t id);
// The ID of the first row whose name equals `name` exactly (case-sensitive), or 0.
int32_t ElementID(const std::wstring& name);
// The kind of the element of that ID, or None.
TSkinKind ElementKind(int32_t id);
TSkinInterface SkinInterfaceOf(TSkinKind kind);
// One letter per kind, as the element table is written down (S, B, K, R, L, A, C; F form, P place).
wchar_t KindLetter(TSkinKind kind);

// The element IDs the window logic names.
enum : int32_t {
    idKorvix = 1,
    idChart = 101,
    idStatusStatic = 102,
    idManual = 103,
    idRegular = 104,
    idCritical = 105,
    idMonitor = 106,
    idStartup = 107,
    idAbout = 108,
    idHelp = 109,
    idContextHelp = 110,
    idClose = 111,
    idHeader = 112,
    idMisc = 113,
    idTabClose = 114,
    idManualScroll = 301,
    idManualAmount = 302,
    idManualActivate = 303,
    idChartBackColor = 401,
    idChartForeColor = 402,
    idChartCpuColor = 403,
    idChartLineColor = 404,
    idChartFontColor = 405,
    idChartLine2Color = 406,
    idSwitchSkin = 501,
    idPreset1 = 601,
    idPreset2 = 602,
    idPreset3 = 603,
    idSetPreset1 = 604,
    idSetPreset2 = 605,
    idSetPreset3 = 606,
    idSetHotkey1 = 607,
    idSetHotkey2 = 608,
    idSetHotkey3 = 609,
    idSetValue1 = 610,
    idSetValue2 = 611,
    idSetValue3 = 612,
    idIntervallScroll = 701,
    idIntervallAmount = 702,
    idRegularScroll = 801,
    idRegularAdjustScroll = 802,
    idRegularAmount = 803,
    idRegularAdjust = 804,
    idRegularOnCheck = 805,
    idNextRegularText = 806,
    idCriticalScroll = 901,
    idCriticalAmount = 902,
    idCriticalAdjustScroll = 903,
    idCriticalAdjust = 904,
    idCriticalOnCheck = 905,
    idStartupScroll = 1001,
    idStartupAmount = 1002,
    idStartupAdjustScroll = 1003,
    idStartupAdjust = 1004,
    idStartupOnCheck = 1005,
    idMemoryTrayIconOff = 1101,
    idMemoryTrayIconBar = 1102,
    idMemoryTrayIconChart = 1103,
    idMemoryTrayIconNumber = 1104,
    idCpuTrayIconOff = 1105,
    idCpuTrayIconBar = 1106,
    idCpuTrayIconChart = 1107,
    idCpuTrayIconNumber = 1108,
    idEnforceTrayIconCheck = 1109,
    idShowUsedMemory = 1110,
    idShowFreeMemory = 1111,
    idAboutImage = 1201,
    idAboutProgramName = 1202,
    idAboutProgramVersion = 1203,
    idAboutClose = 1204,
    idBackgroundOnCheck = 1301,
    idDefaultSettings = 1302,
    idIdleCpuScroll = 1401,
    idIdleTimeScroll = 1402,
    idIdleCpuText = 1403,
    idIdleTimeText = 1404,
    idIdleForceCheck = 1405,
};

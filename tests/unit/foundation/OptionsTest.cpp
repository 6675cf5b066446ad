#include <gtest/gtest.h>
#include <memory>
#include "foundation/Fixtures.h"
#include "framework/uException.h"
#include "framework/uMessageBox.h"
#include "framework/uText.h"
#include "legacy/uMessages.h"
#include "probes/jovCPUUsage.h"
#include "support/TestSupport.h"

namespace {
const std::wstring Key = OptionsKey;

class OptionsTest : public MachineTest {
protected:
    void SetUp() override {
        MachineTest::SetUp();
        InitializeCPUUsage();
    }
    void TearDown() override {
        options_.reset();
        MachineTest::TearDown();
    }
    TKorvixOptions& Load() {
        options_ = std::make_unique<TKorvixOptions>();
        return *options_;
    }
    // The change flags the recorder has received, in order.
    static std::vector<WPARAM> Received(MessageRecorder& recorder) {
        PumpMessages();
        std::vector<WPARAM> flags;
        for (const RecordedMessage& m : recorder.Take()) {
            EXPECT_EQ(m.msg, static_cast<UINT>(WM_OPTIONSCHANGED));
            flags.push_back(m.wParam);
        }
        return flags;
    }
    std::unique_ptr<TKorvixOptions> options_;
};

using Flags = std::vector<WPARAM>;
}  // namespace

TEST_F(OptionsTest, FirstRunAppliesTheMemoryDependentDefaults) {
    TKorvixOptions& o = Load();
    EXPECT_EQ(o.Manual(), 256);
    EXPECT_EQ(o.Amount1(), 256u);
    EXPECT_EQ(o.RegularFreeUpMB(), 256);
    EXPECT_EQ(o.StartupFreeUpMB(), 256);
    EXPECT_EQ(o.Amount2(), 204u);
    EXPECT_EQ(o.Amount3(), 102u);
    EXPECT_EQ(o.CriticalFreeUpMB(), 307u);
    EXPECT_EQ(o.CriticalTriggerMB(), 409u);
    EXPECT_EQ(o.RegularInterval(), 60);
    EXPECT_EQ(o.StartupWait(), 5);
    EXPECT_EQ(o.ChartInterval(), 1000);
    EXPECT_EQ(o.MemoryIconStyle(), 2);
    EXPECT_EQ(o.CPUIconStyle(), 2);
    EXPECT_FALSE(o.CPUMonitoring());
    EXPECT_TRUE(o.StartupIdleEnforce());
    EXPECT_EQ(o.Skin(), L"default.skn");
    EXPECT_EQ(o.Hotkey1(), 49220);
    EXPECT_EQ(o.Hotkey2(), 49222);
    EXPECT_EQ(o.Hotkey3(), 49223);
    EXPECT_TRUE(o.CriticalIdle() && o.RegularIdle() && o.StartupIdle());
    MessageRecorder listener;
    o.RegisterListener(listener.Handle());
    EXPECT_EQ(Received(listener), Flags{ocAll});
}

TEST_F(OptionsTest, UseDefaultsOffReadsEachMissingValueAsItsLoadDefault) {
    WriteRegBool(Key, L"Use Defaults", false);
    TKorvixOptions& o = Load();
    EXPECT_EQ(o.CriticalFreeUpMB(), 51u);
    EXPECT_EQ(o.CriticalTriggerMB(), 459u);
    EXPECT_EQ(o.Amount1(), 255u);
    EXPECT_EQ(o.Amount2(), 204u);
    EXPECT_EQ(o.Amount3(), 153u);
    EXPECT_EQ(o.RegularInterval(), 1440);
    EXPECT_EQ(o.Manual(), 1);
    EXPECT_EQ(o.ChartInterval(), 2000);
    EXPECT_EQ(o.MemoryIconStyle(), 1);
    EXPECT_EQ(o.CPUIconStyle(), 1);
    EXPECT_EQ(o.StartupWait(), 0);
    EXPECT_FALSE(o.StartupIdleEnforce());
    EXPECT_EQ(o.RegularFreeUpMB(), 256);
}

TEST_F(OptionsTest, SettersKeepValuesInRange) {
    TKorvixOptions& o = Load();
    const struct {
        const char* what;
        void (*set)(TKorvixOptions&, int32_t);
        int32_t (*get)(const TKorvixOptions&);
        int32_t in, out;
    } cases[] = {
#define C(P, in, out)                                       \
    {#P, [](TKorvixOptions& x, int32_t v) { x.Set##P(v); }, \
     [](const TKorvixOptions& x) { return static_cast<int32_t>(x.P()); }, in, out}
        C(ChartInterval, 100, 250),
        C(ChartInterval, 100000, 60000),
        C(ChartInterval, 777, 777),
        C(MemoryIconStyle, 0, 1),
        C(MemoryIconStyle, 4, 3),
        C(CPUIconStyle, -1, 1),
        C(CriticalIdlePercent, 0, 1),
        C(RegularIdlePercent, 101, 100),
        C(StartupIdlePercent, 50, 50),
        C(CriticalIdleSeconds, 0, 1),
        C(RegularIdleSeconds, 61, 60),
        C(StartupIdleSeconds, 30, 30),
        C(RegularInterval, 0, 1),
        C(RegularInterval, 1800, 1440),
        C(StartupWait, -1, 0),
        C(StartupWait, 121, 120),
        C(Manual, 0, 1),
        C(Manual, 513, 512),
        C(StartupFreeUpMB, 0, 1),
        C(StartupFreeUpMB, 9999, 512),
        // A position of 0 or less would free all of memory or more.
        C(RegularFreeUpMB, -5, 1),
        C(RegularFreeUpMB, 0, 1),
        C(RegularFreeUpMB, 9999, 512),
        // A shortcut is 16 bits: anything else is none.
        C(Hotkey1, -1, 0),
        C(Hotkey2, 0x10000, 0),
        C(Hotkey3, 0xE0FF, 0xE0FF),
#undef C
    };
    for (const auto& c : cases) {
        c.set(o, c.in);
        EXPECT_EQ(c.get(o), c.out) << c.what << " = " << c.in;
    }
}

TEST_F(OptionsTest, CriticalAmountAndTriggerPullEachOtherAlong) {
    TKorvixOptions& o = Load();
    MessageRecorder listener;
    o.RegisterListener(listener.Handle());
    Received(listener);
    o.SetCriticalTriggerMB(100);  // below the free-up position 307
    EXPECT_EQ(o.CriticalTriggerMB(), 100u);
    EXPECT_EQ(o.CriticalFreeUpMB(), 100u);
    o.SetCriticalFreeUpMB(450);  // above the trigger
    EXPECT_EQ(o.CriticalFreeUpMB(), 450u);
    EXPECT_EQ(o.CriticalTriggerMB(), 450u);
    o.SetCriticalFreeUpMB(9999);
    EXPECT_EQ(o.CriticalFreeUpMB(), 512u);
    EXPECT_EQ(o.CriticalTriggerMB(), 512u);
    EXPECT_EQ(Received(listener), (Flags{ocCritical, ocCritical, ocCritical}));  // one flag covers both values
}

TEST_F(OptionsTest, StoredPairWithFreeUpAboveTriggerLoadsAsTheTrigger) {
    WriteRegBool(Key, L"Use Defaults", false);
    WriteRegInteger(Key, L"CriticalFreeUpMB", 400);
    WriteRegInteger(Key, L"CriticalTriggerMB", 300);
    TKorvixOptions& o = Load();
    EXPECT_EQ(o.CriticalFreeUpMB(), 300u);
    EXPECT_EQ(o.CriticalTriggerMB(), 300u);
}

TEST_F(OptionsTest, RejectedAmountsChangeNothingAndPostNothing) {
    TKorvixOptions& o = Load();
    MessageRecorder listener;
    o.RegisterListener(listener.Handle());
    Received(listener);
    o.SetAmount2(512);
    o.SetAmount2(100000);
    o.SetAmount(2, static_cast<uint32_t>(-1));
    EXPECT_EQ(o.Amount2(), 204u);
    EXPECT_TRUE(Received(listener).empty());
    o.SetAmount2(511);
    EXPECT_EQ(o.Amount2(), 511u);
    o.SetAmount2(511);  // accepted again: notifies again
    EXPECT_EQ(Received(listener), (Flags{ocManual, ocManual}));
}

TEST_F(OptionsTest, StoredAmountsOutOfRangeAreIgnoredAtLoad) {
    WriteRegBool(Key, L"Use Defaults", false);
    WriteRegInteger(Key, L"Amount1", 512);
    WriteRegInteger(Key, L"Amount2", -3);
    WriteRegInteger(Key, L"Amount3", 100);
    TKorvixOptions& o = Load();
    EXPECT_EQ(o.Amount1(), 0u);
    EXPECT_EQ(o.Amount2(), 0u);
    EXPECT_EQ(o.Amount3(), 100u);
}

TEST_F(OptionsTest, ManualAndHotkeysNotifyOnlyOnAChangeOthersAlways) {
    TKorvixOptions& o = Load();
    MessageRecorder listener;
    o.RegisterListener(listener.Handle());
    Received(listener);
    o.SetManual(256);  // unchanged
    o.SetHotkey1(49220);
    o.SetChartInterval(1000);
    o.SetMemoryIcon(true);
    o.SetSkin(L"default.skn");
    o.SetRegular(true);
    o.SetStartup(true);
    EXPECT_EQ(Received(listener), (Flags{ocDisplay, ocDisplay, ocDisplay, ocRegular, ocStartup}));
    o.SetManual(300);
    o.SetHotkey2(0x4000 | 'K');
    EXPECT_EQ(Received(listener), (Flags{ocManual, ocManual}));
}

TEST_F(OptionsTest, TenListenersAtMostAndUnregisteredOnesHearNothing) {
    TKorvixOptions& o = Load();
    std::vector<std::unique_ptr<MessageRecorder>> listeners;
    for (int i = 0; i < 11; ++i) {
        listeners.push_back(std::make_unique<MessageRecorder>());
        o.RegisterListener(listeners.back()->Handle());
    }
    o.Notify(ocRegular);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(Received(*listeners[i]), (Flags{ocAll, ocRegular})) << i;
    EXPECT_TRUE(Received(*listeners[10]).empty());
    o.UnregisterListener(listeners[3]->Handle());
    o.UnregisterListener(listeners[10]->Handle());  // not registered: nothing happens
    o.SetBackgroundActivity(false);
    EXPECT_TRUE(Received(*listeners[3]).empty());
    EXPECT_EQ(Received(*listeners[4]), Flags{ocDisplay});
    o.RegisterListener(listeners[10]->Handle());  // takes the freed slot
    EXPECT_EQ(Received(*listeners[10]), Flags{ocAll});
}

TEST_F(OptionsTest, ApplyDefaultsPostsExactlyOneMessageForEverything) {
    TKorvixOptions& o = Load();
    o.SetChartInterval(5000);
    o.SetCPUMonitoring(true);
    MessageRecorder listener;
    o.RegisterListener(listener.Handle());
    Received(listener);
    o.ApplyDefaults();
    EXPECT_EQ(Received(listener), Flags{ocAll});
    EXPECT_EQ(o.ChartInterval(), 1000);
    EXPECT_FALSE(o.CPUMonitoring());
    EXPECT_FALSE(o.Updating());
}

TEST_F(OptionsTest, CpuMonitoringOwnsTheProcessorHistoryAndSampling) {
    TKorvixOptions& o = Load();
    o.SetCPUMonitoring(true);
    ASSERT_TRUE(CpuHistory);
    EXPECT_EQ(CPUUsageStartCount(), 1);
    o.SetCPUMonitoring(true);  // the current state: nothing
    EXPECT_EQ(CPUUsageStartCount(), 1);
    SampleProbes();
    EXPECT_EQ(CpuHistory->FillCount(), 1);
    EXPECT_LE(CpuHistory->Last(), 100u);
    o.SetCPUMonitoring(false);
    EXPECT_FALSE(CpuHistory);
    EXPECT_EQ(CPUUsageStartCount(), 0);
}

TEST_F(OptionsTest, SwitchingTheMemoryViewFillsUnsampledSlotsToReadZero) {
    TKorvixOptions& o = Load();
    MemoryHistory->Push(100 * 1048576ULL);
    o.SetShowUsedMemory(false);
    EXPECT_EQ(MemoryHistory->GetMB(0, true), 0);      // unsampled: 0 MB free
    EXPECT_EQ(MemoryHistory->GetMB(999, true), 412);  // sampled: untouched
    o.SetShowUsedMemory(true);
    EXPECT_EQ(MemoryHistory->GetMB(0, false), 0);  // unsampled: 0 MB used
}

TEST_F(OptionsTest, SavedOptionsSurviveAndBadStoredValuesAreCorrected) {
    {
        TKorvixOptions& o = Load();
        o.SetChartInterval(3000);
        o.SetMemoryIconStyle(3);
        o.SetSkin(L"C:\\Skins\\blue.skn");
        o.SetHotkey3(0x2000 | 'Q');
        o.SetBackgroundActivity(false);
        auto item = std::make_unique<TFreeAndRunItem>();
        item->Name = L"Editor";
        o.AddFreeAndRun(std::move(item));
        options_.reset();  // the destructor saves
    }
    EXPECT_FALSE(ReadRegBool(Key, L"Use Defaults", true));
    EXPECT_TRUE(ReadRegBool(Key, L"CriticalIdle", false));
    TKorvixOptions& o = Load();
    EXPECT_EQ(o.ChartInterval(), 3000);
    EXPECT_EQ(o.MemoryIconStyle(), 3);
    EXPECT_EQ(o.Skin(), L"C:\\Skins\\blue.skn");
    EXPECT_EQ(o.Hotkey3(), 0x2000 | 'Q');
    EXPECT_FALSE(o.BackgroundActivity());
    ASSERT_EQ(o.FreeAndRunList().Count(), 1);
    EXPECT_EQ(o.FreeAndRunList().Items(0).Name, L"Editor");

    options_.reset();
    WriteRegInteger(Key, L"Chart Interval", 5);
    WriteRegString(Key, L"MemoryIconStyle", L"3");  // wrong type: load default 1
    WriteRegInteger(Key, L"CriticalIdleSeconds", 1000);
    Load();
    EXPECT_EQ(options_->ChartInterval(), 250);
    EXPECT_EQ(options_->MemoryIconStyle(), 1);
    EXPECT_EQ(options_->CriticalIdleSeconds(), 60);
    options_->SaveOptions();
    EXPECT_EQ(ReadRegInteger(Key, L"Chart Interval", 0), 250);
    EXPECT_EQ(ReadRegInteger(Key, L"MemoryIconStyle", 0), 1);
}

TEST_F(OptionsTest, TheRunValueFollowsTheStartupSwitch) {
    TKorvixOptions& o = Load();
    o.SetStartup(true);
    o.SaveOptions();
    const std::wstring command = ReadRegString(RunKey, RunValueName, L"");
    EXPECT_EQ(command, L"\"" + ProgramPath() + L"\" autostart");
    EXPECT_EQ(TKorvixOptions::AutostartCommand(), command);
    o.SetStartup(false);
    o.SaveOptions();
    EXPECT_EQ(ReadRegString(RunKey, RunValueName, L"absent"), L"absent");
}

TEST_F(OptionsTest, ACopyThatSkipsTheFinalSaveWritesNothingAtTheEnd) {
    TKorvixOptions& o = Load();
    o.SetStartup(true);
    o.SetChartInterval(4000);
    o.SaveOptions();
    o.SetChartInterval(9000);
    TKorvixOptions::RemoveAutostart();
    o.SkipFinalSave();
    options_.reset();
    EXPECT_EQ(ReadRegInteger(Key, L"Chart Interval", 0), 4000);
    EXPECT_EQ(ReadRegString(RunKey, RunValueName, L"absent"), L"absent");
}

// Security software or a policy may keep the Run key closed (a deny entry in its access list).
class WriteProtectedKey {
public:
    explicit WriteProtectedKey(const wchar_t* subKey) {
        ::RegCreateKeyExW(HKEY_CURRENT_USER, subKey, 0, nullptr, 0, WRITE_DAC | READ_CONTROL, nullptr, &key_, nullptr);
        SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
        ::AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone_);
        ::InitializeAcl(reinterpret_cast<ACL*>(acl_), sizeof(acl_), ACL_REVISION);
        ::AddAccessDeniedAce(reinterpret_cast<ACL*>(acl_), ACL_REVISION, KEY_SET_VALUE | KEY_CREATE_SUB_KEY | DELETE,
                             everyone_);
        ::AddAccessAllowedAce(reinterpret_cast<ACL*>(acl_), ACL_REVISION, KEY_READ | WRITE_DAC | READ_CONTROL,
                              everyone_);
        SetDacl(reinterpret_cast<ACL*>(acl_));
    }
    ~WriteProtectedKey() {
        SetDacl(nullptr);  // no list: everyone may do everything again
        ::RegCloseKey(key_);
        ::FreeSid(everyone_);
    }
    WriteProtectedKey(const WriteProtectedKey&) = delete;
    WriteProtectedKey& operator=(const WriteProtectedKey&) = delete;

private:
    void SetDacl(ACL* acl) {
        SECURITY_DESCRIPTOR sd;
        ::InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
        ::SetSecurityDescriptorDacl(&sd, TRUE, acl, FALSE);
        ::RegSetKeySecurity(key_, DACL_SECURITY_INFORMATION, &sd);
    }
    HKEY key_ = nullptr;
    PSID everyone_ = nullptr;
    alignas(DWORD) BYTE acl_[256] = {};
};

struct RecordedBoxes {
    static inline std::vector<std::wstring> texts;
    static int Record(HWND, const std::wstring& text, const std::wstring&, UINT) {
        texts.push_back(text);
        return IDOK;
    }
};

TEST_F(OptionsTest, AClosedRunKeyCostsNeitherTheOptionsNorTheListAndIsToldOnce) {
    const std::wstring runSubKey = SplitRegistryPath(RunKey).subKey;
    WriteProtectedKey closed(runSubKey.c_str());
    ASSERT_THROW(WriteRegString(RunKey, L"Korvix probe", L"x"), ERegistryError) << "the key is not closed";
    RecordedBoxes::texts.clear();
    MessageBoxFunc previous = SetMessageBoxFunc(&RecordedBoxes::Record);

    TKorvixOptions& o = Load();
    o.SetStartup(true);
    o.SetChartInterval(3000);
    auto item = std::make_unique<TFreeAndRunItem>();
    item->FileToRun = L"C:\\Tools\\editor.exe";
    o.AddFreeAndRun(std::move(item));
    EXPECT_FALSE(o.SaveOptionsOrTell());
    EXPECT_FALSE(o.SaveOptionsOrTell());
    SetMessageBoxFunc(previous);

    EXPECT_EQ(ReadRegInteger(Key, L"Chart Interval", 0), 3000);
    EXPECT_EQ(ReadRegInteger(Key, L"farCount", 0), 1);
    EXPECT_EQ(ReadRegString(Key, L"1farFileToRun", L""), L"C:\\Tools\\editor.exe");
    EXPECT_FALSE(ReadRegBool(Key, L"Use Defaults", true));
    ASSERT_EQ(RecordedBoxes::texts.size(), 1u) << "told once";
    EXPECT_EQ(RecordedBoxes::texts[0].rfind(AutostartFailedText(L""), 0), 0u) << Narrow(RecordedBoxes::texts[0]);
}

// Stops a save at one chosen write, as a kill would.
struct SaveCut {
    static inline int writes = 0;
    static inline int cutAt = -1;
    static void Hook(const std::wstring&, const std::wstring&) {
        if (writes++ == cutAt) throw ERegistryError(L"killed");
    }
};

// Whichever write a save is cut at, the next start finds either the old or the new values,
// never the load defaults of a half-written key, and never a count past the entries written.
TEST_F(OptionsTest, ASaveCutShortAtAnyWriteLosesNothing) {
    auto saveNewSettings = [&] {
        TKorvixOptions& o = Load();  // a first run: defaults, RegularInterval 60
        o.SetRegularInterval(90);
        for (int i = 0; i < 2; ++i) {
            auto item = std::make_unique<TFreeAndRunItem>();
            item->FileToRun = L"C:\\entry" + std::to_wstring(i) + L".exe";
            o.AddFreeAndRun(std::move(item));
        }
        o.SkipFinalSave();
        o.SaveSettings();
    };
    SaveCut::writes = 0;
    SaveCut::cutAt = -1;
    RegistryWriteHook previous = SetRegistryWriteHook(&SaveCut::Hook);
    saveNewSettings();
    const int total = SaveCut::writes;
    ASSERT_GT(total, 40);
    for (int cut = 0; cut < total; ++cut) {
        ClearSettings();
        SaveCut::writes = 0;
        SaveCut::cutAt = cut;
        EXPECT_THROW(saveNewSettings(), ERegistryError);
        SaveCut::cutAt = -1;
        TKorvixOptions& next = Load();
        next.SkipFinalSave();
        EXPECT_TRUE(next.RegularInterval() == 60 || next.RegularInterval() == 90)
            << "cut at write " << cut << ": " << next.RegularInterval();
        const int count = next.FreeAndRunList().Count();
        EXPECT_TRUE(count == 0 || count == 2) << "cut at write " << cut;
        for (int i = 0; i < count; ++i)
            EXPECT_FALSE(next.FreeAndRunList().Items(i).FileToRun.empty()) << "cut at write " << cut;
    }
    SetRegistryWriteHook(previous);
}

TEST_F(OptionsTest, SkinFileNameAnswersOnlyExistingFiles) {
    TKorvixOptions& o = Load();
    EXPECT_EQ(o.SkinFileName(), L"");  // no default.skn beside the test program
    const std::wstring beside = ProgramFolder() + L"korvix-test.skn";
    HANDLE file = ::CreateFileW(beside.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    ::CloseHandle(file);
    o.SetSkin(L"korvix-test.skn");
    EXPECT_EQ(o.SkinFileName(), beside);
    o.SetSkin(beside);
    EXPECT_EQ(o.SkinFileName(), beside);
    ::DeleteFileW(beside.c_str());
    EXPECT_EQ(o.SkinFileName(), L"");
}

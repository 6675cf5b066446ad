#include "ui/uSkinService.h"
#include "engine/fEngineForm.h"
#include "framework/uDpi.h"
#include "framework/uText.h"
#include "skin/uSkinSource.h"
#include "tray/cPChart2.h"
#include "ui/uSkinHelper.h"
#include "ui/uSkinNames.h"

TSkinService::TSkinService() : source_(std::make_shared<TSkinSource>()) {}

TSkinService::~TSkinService() = default;

void TSkinService::Serve(TSkin& skin) { skin.SetSource(source_); }

void TSkinService::ShareDialogSkinOf(TfrmEngine* engine) {
    holder_ = engine;
    if (engine) Serve(engine->Skin);
}

int TSkinService::Reads() const noexcept { return source_->Reads(); }

void TSkinService::UseDialogSkin(const std::wstring& path) {
    if (!holder_) throw ESkinError(L"There is no engine window to hold the skin");
    holder_->SetSkinFile(path);
}

TSkin* TSkinService::DialogSkin() const noexcept {
    return holder_ && holder_->Skin.Loaded() ? &holder_->Skin : nullptr;
}

std::wstring TSkinService::DialogSkinFile() const { return holder_ ? holder_->SkinFile() : std::wstring(); }

std::wstring TSkinService::ErrorText(const std::wstring& fileName, const std::wstring& detail) {
    std::wstring text =
        ReplaceAll(L"There was an error loading the skin (%1). Please load a different skin.", L"%1", fileName);
    if (!detail.empty()) text += L"\r\n\r\n" + detail;
    return text;
}

void TSkinService::ApplyChartColors(const TSkinObject& root, TPerformanceChart& chart) {
    auto color = [&root](int32_t id, COLORREF current) {
        TSkinObject element;
        try {
            element = root ? root.Find(ElementName(id)) : TSkinObject();
        } catch (const Exception&) {
            return current;  // a skin gone meanwhile keeps the chart as it is
        }
        return static_cast<COLORREF>(SkinColor(element, current));
    };
    chart.SetColor(color(idChartBackColor, chart.Color()));
    chart.SetDataColor(color(idChartForeColor, chart.DataColor()));
    chart.SetCPUColor(color(idChartCpuColor, chart.CPUColor()));
    chart.SetAdjustColor(color(idChartLineColor, chart.AdjustColor()));
    chart.SetAdjustColor2(color(idChartLine2Color, chart.AdjustColor2()));
    chart.SetFontColor(color(idChartFontColor, chart.FontColor()));
}

HFONT TSkinService::MessageFont(UINT dpi, int points) {
    UniqueFont& font = fonts_[{dpi, points}];
    if (font) return font.get();
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    LOGFONTW face{};
    if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
        face = metrics.lfMessageFont;
        // The metrics are at the system's scale; the window may be on a monitor of another.
        UINT systemDpi = WindowDpi(nullptr);
        if (systemDpi != dpi && systemDpi != 0) face.lfHeight = ::MulDiv(face.lfHeight, int(dpi), int(systemDpi));
    } else {
        ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(face), &face);
        face.lfHeight = -::MulDiv(8, int(dpi), 72);
    }
    if (points > 0) face.lfHeight = -::MulDiv(points, int(dpi), 72);
    font.reset(::CreateFontIndirectW(&face));
    return font.get();
}

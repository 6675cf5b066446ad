#include "skin/uSkin.h"
#include <map>
#include "framework/uHandles.h"
#include "skin/uSkinBinding.h"
#include "skin/uSkinRender.h"
#include "skin/uSkinSource.h"

namespace {
std::string ReadSkinText(const std::wstring& fileName) {
    // The options give an empty name for a skin file that does not exist.
    if (fileName.empty()) throw ESkinError(L"The skin file was not found");
    UniqueKernelHandle file(::CreateFileW(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) throw ESkinError(L"Cannot open the skin file " + fileName);
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size)) throw ESkinError(L"Cannot read the skin file " + fileName);
    if (size.QuadPart > LONGLONG(SkinLimits::FileBytes))
        throw ESkinError(L"The skin file " + fileName + L" is not valid: line 1: the file is larger than 16 MB");
    std::string text(size_t(size.QuadPart), '\0');
    DWORD read = 0;
    if (!text.empty() &&
        (!::ReadFile(file.get(), text.data(), DWORD(text.size()), &read, nullptr) || read != text.size()))
        throw ESkinError(L"Cannot read the skin file " + fileName);
    return text;
}
}  // namespace

std::shared_ptr<const SkinModel> ReadSkin(const std::wstring& fileName) {
    std::string text = ReadSkinText(fileName);
    try {
        return std::make_shared<const SkinModel>(ParseSkin(text));
    } catch (const ESkinError& e) {
        throw ESkinError(L"The skin file " + fileName + L" is not valid: " + e.Message());
    }
}

struct TSkin::Impl {
    std::shared_ptr<TSkinSource> source;
    std::shared_ptr<const SkinModel> model;
    std::shared_ptr<TSkinPainter> painter;
    std::shared_ptr<TSkinTree> skinObject;
    std::wstring fileName;
    std::map<HWND, std::unique_ptr<TSkinBinding>> windows;

    void Bind(TSkin* self, HWND window, const SkinForm* form) {
        if (!::IsWindow(window)) throw ESkinError(L"Cannot skin a window that does not exist");
        if (!painter) throw ESkinError(L"No skin is loaded");
        windows.erase(window);
        TSkinEventSink sink{self, [this](HWND gone) { windows.erase(gone); }};
        windows[window] =
            form ? CreateFormBinding(window, painter, sink, *form) : CreateDialogBinding(window, painter, sink);
    }
};

TSkin::TSkin() : impl_(std::make_unique<Impl>()) {}

TSkin::~TSkin() { impl_->windows.clear(); }

void TSkin::Load(const std::wstring& fileName) {
    Unload();
    TLoadedSkin loaded;
    if (impl_->source) {
        loaded = impl_->source->Open(fileName);
    } else {
        loaded.model = ReadSkin(fileName);
        loaded.painter = std::make_shared<TSkinPainter>(loaded.model);
    }
    impl_->painter = std::move(loaded.painter);
    impl_->model = std::move(loaded.model);
    impl_->fileName = fileName;
}

void TSkin::SetSource(std::shared_ptr<TSkinSource> source) noexcept { impl_->source = std::move(source); }

void TSkin::Unload() noexcept {
    if (impl_->skinObject) impl_->skinObject->alive = false;
    impl_->skinObject.reset();
    impl_->painter.reset();
    impl_->model.reset();
    impl_->fileName.clear();
}

bool TSkin::Loaded() const noexcept { return impl_->model != nullptr; }

const std::wstring& TSkin::FileName() const noexcept { return impl_->fileName; }

TSkinObject TSkin::SkinObject() {
    if (!impl_->model) throw ESkinError(L"No skin is loaded");
    if (!impl_->skinObject) impl_->skinObject = BuildSkinTree(impl_->model);
    return TSkinAccess::Object(impl_->skinObject, 0);
}

void TSkin::SkinWindow(HWND window) { impl_->Bind(this, window, nullptr); }

void TSkin::ApplyForm(HWND window, const std::wstring& formName) {
    if (!impl_->model) throw ESkinError(L"No skin is loaded");
    const SkinForm* form = impl_->model->FindForm(formName);
    if (!form) throw ESkinError(L"The skin has no form named " + formName);
    impl_->Bind(this, window, form);
}

void TSkin::UnskinWindow(HWND window) noexcept { impl_->windows.erase(window); }

TSkinObject TSkin::WindowObject(HWND window) {
    auto it = impl_->windows.find(window);
    if (it == impl_->windows.end()) throw ESkinError(L"The window is not drawn by this skin");
    return TSkinAccess::Object(it->second->Tree(), 0);
}

void TSkin::SetHelpMode(HWND window, bool on) noexcept {
    auto it = impl_->windows.find(window);
    if (it != impl_->windows.end()) it->second->Tree()->helpMode = on;
}

#include "uHelpText.h"
#include <windows.h>
#include <algorithm>
#include <objidl.h>
#include <vector>
#include "framework/uHandles.h"
#include "framework/uSystemLibrary.h"
#include "framework/uText.h"

// The system's compiled-help storage (itss.dll). Its interface is not in the SDK headers;
// the method order is the library's own.
const CLSID CLSID_ITStorage = {0x5d02926a, 0x212e, 0x11d0, {0x9d, 0xf9, 0x00, 0xa0, 0xc9, 0x22, 0xe6, 0xec}};
const IID IID_IITStorage = {0x88cc31de, 0x27ab, 0x11d0, {0x9d, 0xf9, 0x00, 0xa0, 0xc9, 0x22, 0xe6, 0xec}};

// Outside the anonymous namespace on purpose: there the compiler would see that nothing in this
// program implements the interface and drop the calls. COM interfaces are released, never
// deleted, so they have no virtual destructor.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
struct IITStorage : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE StgCreateDocfile(const WCHAR*, DWORD, DWORD, IStorage**) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgCreateDocfileOnILockBytes(ILockBytes*, DWORD, DWORD, IStorage**) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgIsStorageFile(const WCHAR*) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgIsStorageILockBytes(ILockBytes*) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgOpenStorage(const WCHAR* name, IStorage* priority, DWORD mode, SNB exclude,
                                                     DWORD reserved, IStorage** storage) = 0;
    // Further methods follow in the library; none is called.
};
#pragma GCC diagnostic pop

namespace {

using TDllGetClassObject = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);

// Releases a COM interface when it leaves scope.
template <typename T>
class ComRef {
public:
    ComRef() = default;
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    ~ComRef() {
        if (p_) p_->Release();
    }
    T* operator->() const { return p_; }
    T* get() const { return p_; }
    T** put() { return &p_; }
    void** putVoid() { return reinterpret_cast<void**>(&p_); }

private:
    T* p_ = nullptr;
};

constexpr ULONG MaxStoredFile = 4 * 1024 * 1024;

std::optional<std::string> ReadStream(IStream* stream) {
    std::string data;
    char buffer[4096];
    for (;;) {
        ULONG read = 0;
        HRESULT hr = stream->Read(buffer, sizeof(buffer), &read);
        if (FAILED(hr)) return std::nullopt;
        data.append(buffer, read);
        if (data.size() > MaxStoredFile) return std::nullopt;
        if (read < sizeof(buffer)) return data;
    }
}

std::string TrimRight(std::string line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) line.pop_back();
    return line;
}

// The number of a ".topic" line, or none for another line or a symbolic topic.
std::optional<int32_t> TopicNumber(const std::string& line, bool& isTopic) {
    isTopic = false;
    if (line.size() < 6 || _strnicmp(line.c_str(), ".topic", 6) != 0) return std::nullopt;
    if (line.size() > 6 && line[6] != ' ' && line[6] != '\t') return std::nullopt;
    isTopic = true;
    size_t pos = line.find_first_not_of(" \t", 6);
    if (pos == std::string::npos) return std::nullopt;
    size_t end = std::min(line.find_first_not_of("0123456789", pos), line.size());
    if (end == pos || end - pos > 9) return std::nullopt;
    if (line.find_first_not_of(" \t", end) != std::string::npos) return std::nullopt;
    return static_cast<int32_t>(std::stol(line.substr(pos, end - pos)));
}
}  // namespace

std::optional<std::string> ReadCompiledHelpFile(const std::wstring& helpFile, const std::wstring& storedName) {
    UniqueModule itss(LoadSystemLibrary(L"itss.dll"));
    if (!itss) return std::nullopt;
    auto getClassObject = reinterpret_cast<TDllGetClassObject>(::GetProcAddress(itss.get(), "DllGetClassObject"));
    if (!getClassObject) return std::nullopt;
    // The interfaces below are released before the library, in reverse order of declaration.
    ComRef<IClassFactory> factory;
    if (FAILED(getClassObject(CLSID_ITStorage, IID_IClassFactory, factory.putVoid()))) return std::nullopt;
    ComRef<IITStorage> storages;
    if (FAILED(factory->CreateInstance(nullptr, IID_IITStorage, storages.putVoid()))) return std::nullopt;
    ComRef<IStorage> storage;
    if (FAILED(storages->StgOpenStorage(helpFile.c_str(), nullptr, STGM_READ | STGM_SHARE_DENY_WRITE, nullptr, 0,
                                        storage.put()))) {
        return std::nullopt;
    }
    ComRef<IStream> stream;
    if (FAILED(storage->OpenStream(storedName.c_str(), nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, stream.put()))) {
        return std::nullopt;
    }
    return ReadStream(stream.get());
}

std::map<int32_t, std::wstring> ParsePopupTopics(const std::string& text) {
    std::map<int32_t, std::wstring> topics;
    std::optional<int32_t> current;
    std::vector<std::string> lines;
    auto finish = [&] {
        while (!lines.empty() && lines.back().empty()) lines.pop_back();
        size_t first = 0;
        while (first < lines.size() && lines[first].empty()) ++first;
        if (current && first < lines.size() && !topics.count(*current)) {
            std::string joined;
            for (size_t i = first; i < lines.size(); ++i) joined += (i > first ? "\r\n" : "") + lines[i];
            topics[*current] = Widen(joined);
        }
        lines.clear();
    };
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        std::string line = TrimRight(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        bool isTopic = false;
        std::optional<int32_t> number = TopicNumber(line, isTopic);
        if (isTopic) {
            finish();
            current = number;
        } else {
            lines.push_back(line);
        }
        if (end == std::string::npos) break;
        start = end + 1;
    }
    finish();
    return topics;
}

std::optional<std::wstring> ReadPopupText(const std::wstring& helpFile, int32_t context) {
    std::optional<std::string> file = ReadCompiledHelpFile(helpFile, L"cshelp.txt");
    if (!file) return std::nullopt;
    std::map<int32_t, std::wstring> topics = ParsePopupTopics(*file);
    auto it = topics.find(context);
    if (it == topics.end()) return std::nullopt;
    return it->second;
}

#include "skin/uSkinSource.h"
#include "skin/uSkinRender.h"

namespace {
bool Stamp(const std::wstring& fileName, FILETIME& written, ULONGLONG& size) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (fileName.empty() || !::GetFileAttributesExW(fileName.c_str(), GetFileExInfoStandard, &data)) return false;
    written = data.ftLastWriteTime;
    size = (ULONGLONG(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return true;
}
}  // namespace

TLoadedSkin TSkinSource::Open(const std::wstring& fileName) {
    FILETIME written{};
    ULONGLONG size = 0;
    const bool stamped = Stamp(fileName, written, size);
    if (stamped) {
        auto it = entries_.find(fileName);
        if (it != entries_.end() && ::CompareFileTime(&it->second.written, &written) == 0 && it->second.size == size) {
            TLoadedSkin held{it->second.model.lock(), it->second.painter.lock()};
            if (held.model && held.painter) return held;
        }
    }
    // Read only once the file is known to be new: a file that fails is not remembered.
    ++reads_;
    TLoadedSkin loaded;
    loaded.model = ReadSkin(fileName);
    loaded.painter = std::make_shared<TSkinPainter>(loaded.model);
    if (stamped) entries_[fileName] = Entry{written, size, loaded.model, loaded.painter};
    // Entries whose skins nobody holds any more are dropped.
    for (auto it = entries_.begin(); it != entries_.end();)
        it = it->second.model.expired() ? entries_.erase(it) : std::next(it);
    return loaded;
}

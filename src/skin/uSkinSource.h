// Skin files read and decoded once: every TSkin that loads through the same source shares the
// decoded skin of a file (its model, images and painter) while any of them holds it. A file
// that changed on disk since (its size or the time of its last write) is read again.
#pragma once
#include <windows.h>
#include <map>
#include <memory>
#include <string>
#include "skin/uSkinModel.h"
#include "skin/uSkinPaint.h"

struct TLoadedSkin {
    std::shared_ptr<const SkinModel> model;
    std::shared_ptr<TSkinPainter> painter;
};

class TSkinSource {
public:
    TSkinSource() = default;
    TSkinSource(const TSkinSource&) = delete;
    TSkinSource& operator=(const TSkinSource&) = delete;

    // The decoded skin of the file; throws ESkinError (with the line of a fault) as ReadSkin.
    TLoadedSkin Open(const std::wstring& fileName);
    // How many times a file was read and decoded.
    int Reads() const noexcept { return reads_; }

private:
    struct Entry {
        FILETIME written{};
        ULONGLONG size = 0;
        std::weak_ptr<const SkinModel> model;
        std::weak_ptr<TSkinPainter> painter;
    };
    std::map<std::wstring, Entry> entries_;
    int reads_ = 0;
};

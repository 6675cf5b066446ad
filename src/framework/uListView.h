// The list view control in report view with one selected item at a time, items that
// carry a value of the caller (LPARAM), small icons from an image list the caller owns,
// and drawing suspended while many items change; and that image list.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <functional>
#include <string>
#include "uControls.h"
#include "uHandles.h"

// An image list of small icons; icons added are copied, the caller keeps its own.
class TImageList {
public:
    TImageList(int width, int height);
    HIMAGELIST Handle() const noexcept { return list_.get(); }
    // The index of the new image, or -1.
    int AddIcon(HICON icon);
    int Count() const;
    void Clear();

private:
    UniqueImageList list_;
};

class TListView : public TControl {
public:
    TListView(HWND parent, int id, const RECT& bounds);

    // An item became selected or lost the selection; choosing another item reports the
    // loss of the old one first.
    std::function<void(TListView& sender, int index, bool selected)> OnSelectItem;
    // A key went down while the list had the focus (Delete removes an entry, say).
    std::function<void(TListView& sender, WORD key)> OnKeyDown;

    void AddColumn(const std::wstring& caption, int width);
    // The index of the new item, appended at the end.
    int AddItem(const std::wstring& caption, int image = -1, LPARAM data = 0);
    void SetItemText(int index, const std::wstring& caption);
    std::wstring ItemText(int index) const;
    LPARAM ItemData(int index) const;
    // The index of the item carrying `data`, or -1.
    int FindData(LPARAM data) const;
    void DeleteItem(int index);
    void Clear();
    int Count() const;
    int Selected() const;
    // -1 clears the selection; a selected item is also focused and scrolled into view.
    void Select(int index);

    // The list no longer redraws until the matching EndUpdate; pairs nest.
    void BeginUpdate();
    void EndUpdate();
    // Not owned: the list must outlive this control's use of it.
    void SetSmallImages(const TImageList& images);

protected:
    LRESULT WMNotify(const NMHDR& header) override;

private:
    int updates_ = 0;
};

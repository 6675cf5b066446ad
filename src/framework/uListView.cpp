#include "uListView.h"
#include <vector>

// ---- TImageList ----
TImageList::TImageList(int width, int height)
    : list_(::ImageList_Create(width, height, ILC_COLOR32 | ILC_MASK, 4, 4)) {}

int TImageList::AddIcon(HICON icon) { return list_ && icon ? ::ImageList_AddIcon(list_.get(), icon) : -1; }

int TImageList::Count() const { return list_ ? ::ImageList_GetImageCount(list_.get()) : 0; }

void TImageList::Clear() {
    if (list_) ::ImageList_RemoveAll(list_.get());
}

// ---- TListView ----
// LVS_SHAREIMAGELISTS: the image list belongs to its TImageList, not to the control.
TListView::TListView(HWND parent, int id, const RECT& bounds)
    : TControl({.parent = parent,
                .id = id,
                .className = CommonControlClass(WC_LISTVIEWW),
                .style = WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS,
                .exStyle = WS_EX_CLIENTEDGE,
                .bounds = bounds}) {
    ListView_SetExtendedListViewStyle(Handle(), LVS_EX_FULLROWSELECT);
}

void TListView::AddColumn(const std::wstring& caption, int width) {
    std::vector<wchar_t> text(caption.begin(), caption.end());
    text.push_back(L'\0');
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.cx = width;
    column.pszText = text.data();
    const int count = Header_GetItemCount(ListView_GetHeader(Handle()));
    ListView_InsertColumn(Handle(), count, &column);
}

int TListView::AddItem(const std::wstring& caption, int image, LPARAM data) {
    std::vector<wchar_t> text(caption.begin(), caption.end());
    text.push_back(L'\0');
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_PARAM | (image >= 0 ? LVIF_IMAGE : 0);
    item.iItem = Count();
    item.pszText = text.data();
    item.iImage = image;
    item.lParam = data;
    return ListView_InsertItem(Handle(), &item);
}

void TListView::SetItemText(int index, const std::wstring& caption) {
    std::vector<wchar_t> text(caption.begin(), caption.end());
    text.push_back(L'\0');
    ListView_SetItemText(Handle(), index, 0, text.data());
}

std::wstring TListView::ItemText(int index) const {
    wchar_t text[1024] = {};
    ListView_GetItemText(Handle(), index, 0, text, 1024);
    return text;
}

LPARAM TListView::ItemData(int index) const {
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = index;
    return ListView_GetItem(Handle(), &item) ? item.lParam : 0;
}

int TListView::FindData(LPARAM data) const {
    LVFINDINFOW find{};
    find.flags = LVFI_PARAM;
    find.lParam = data;
    return ListView_FindItem(Handle(), -1, &find);
}

void TListView::DeleteItem(int index) { ListView_DeleteItem(Handle(), index); }
void TListView::Clear() { ListView_DeleteAllItems(Handle()); }
int TListView::Count() const { return ListView_GetItemCount(Handle()); }
int TListView::Selected() const { return ListView_GetNextItem(Handle(), -1, LVNI_SELECTED); }

void TListView::Select(int index) {
    if (index < 0) {
        ListView_SetItemState(Handle(), -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
        return;
    }
    ListView_SetItemState(Handle(), index, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_EnsureVisible(Handle(), index, FALSE);
}

void TListView::BeginUpdate() {
    if (updates_++ == 0) ::SendMessageW(Handle(), WM_SETREDRAW, FALSE, 0);
}

void TListView::EndUpdate() {
    if (updates_ == 0 || --updates_ > 0) return;
    ::SendMessageW(Handle(), WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(Handle(), nullptr, TRUE);
}

void TListView::SetSmallImages(const TImageList& images) {
    ListView_SetImageList(Handle(), images.Handle(), LVSIL_SMALL);
}

LRESULT TListView::WMNotify(const NMHDR& header) {
    switch (header.code) {
        case LVN_ITEMCHANGED: {
            const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
            const bool flipped = (change.uOldState ^ change.uNewState) & LVIS_SELECTED;
            if ((change.uChanged & LVIF_STATE) && flipped && OnSelectItem)
                OnSelectItem(*this, change.iItem, (change.uNewState & LVIS_SELECTED) != 0);
            return 0;
        }
        case LVN_KEYDOWN:
            if (OnKeyDown) OnKeyDown(*this, reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey);
            return 0;
    }
    return 0;
}

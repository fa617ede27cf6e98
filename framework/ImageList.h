// Image list, owned: destroyed with the object; moved to hand it on.
#pragma once
#include <windows.h>
#include <commctrl.h>

class CImageList {
public:
    CImageList() = default;
    ~CImageList();
    CImageList(CImageList&& other) noexcept;
    CImageList& operator=(CImageList&& other) noexcept;
    CImageList(const CImageList&) = delete;
    CImageList& operator=(const CImageList&) = delete;

    bool Create(int cx, int cy, UINT flags, int initial, int grow);  // ILC_* flags
    int Add(HBITMAP bitmap, COLORREF mask);                          // masked by colour; index of the first image or -1
    bool DeleteImageList();
    HIMAGELIST m_hImageList = nullptr;
    operator HIMAGELIST() const { return m_hImageList; }
};

#include "ImageList.h"

#include <utility>

CImageList::~CImageList() { DeleteImageList(); }

CImageList::CImageList(CImageList&& other) noexcept : m_hImageList(other.m_hImageList) { other.m_hImageList = nullptr; }

CImageList& CImageList::operator=(CImageList&& other) noexcept {
    if (this != &other) {
        DeleteImageList();
        m_hImageList = std::exchange(other.m_hImageList, nullptr);
    }
    return *this;
}

bool CImageList::Create(int cx, int cy, UINT flags, int initial, int grow) {
    DeleteImageList();
    m_hImageList = ImageList_Create(cx, cy, flags, initial, grow);
    return m_hImageList != nullptr;
}

int CImageList::Add(HBITMAP bitmap, COLORREF mask) {
    if (!m_hImageList || !bitmap) return -1;
    return ImageList_AddMasked(m_hImageList, bitmap, mask);
}

bool CImageList::DeleteImageList() {
    if (!m_hImageList) return false;
    ImageList_Destroy(m_hImageList);
    m_hImageList = nullptr;
    return true;
}

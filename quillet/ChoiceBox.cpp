#include "ChoiceBox.h"

namespace {
// Posted by the box to itself once a dropped list has closed.
constexpr UINT WM_CHOICE_SETTLE = WM_APP + 2;
}  // namespace

BEGIN_MESSAGE_MAP(CChoiceBox, CComboBox)
    ON_CONTROL_REFLECT(CBN_DROPDOWN, OnDropDown)
    ON_CONTROL_REFLECT(CBN_SELCHANGE, OnSelChange)
    ON_CONTROL_REFLECT(CBN_SELENDOK, OnSelEndOk)
    ON_CONTROL_REFLECT(CBN_SELENDCANCEL, OnSelEndCancel)
    ON_CONTROL_REFLECT(CBN_CLOSEUP, OnCloseUp)
    ON_MESSAGE(WM_CHOICE_SETTLE, OnSettle)
END_MESSAGE_MAP()

void CChoiceBox::OnDropDown() {
    m_dropped = true;
    m_chosen = false;
}

// While the list is dropped a change is only the highlight moving.
void CChoiceBox::OnSelChange() {
    if (m_dropped || GetDroppedState()) return;
    const int position = GetCurSel();
    if (position != CB_ERR) OnChoose(position);
}

// CBN_SELENDOK and CBN_SELENDCANCEL also come on the closed box (an arrow key, the keyboard
// leaving it): only a dropped list's end counts.
void CChoiceBox::OnSelEndOk() {
    if (!m_dropped) return;
    m_chosen = true;
    SettleLater();
}

void CChoiceBox::OnSelEndCancel() {
    if (!m_dropped) return;
    m_chosen = false;
    SettleLater();
}

void CChoiceBox::OnCloseUp() {
    if (m_dropped) SettleLater();
}

void CChoiceBox::SettleLater() { PostMessage(WM_CHOICE_SETTLE); }

LRESULT CChoiceBox::OnSettle(WPARAM, LPARAM) {
    if (!m_dropped || GetDroppedState()) return 0;  // settled already, or the list still shows
    const bool chosen = m_chosen;
    // Cleared before the choice is taken: opening it takes the keyboard away from the box,
    // which then tells of a cancel that must find no list.
    m_dropped = m_chosen = false;
    const int position = GetCurSel();
    if (chosen && position != CB_ERR) OnChoose(position);
    return 0;
}

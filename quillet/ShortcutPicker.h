// The picker (IDC_PICKER): a drop-down list of the shortcuts' names in the store's order.
// Item text = the shortcut's name, item data = its id in the store. Positions (0-based)
// are what the strip and the program messages speak in; ids are what the store speaks in.
#pragma once
#include "ChoiceBox.h"
#include "PickerList.h"

class CShortcutPicker : public CChoiceBox {
public:
    CShortcutPicker() = default;
    ~CShortcutPicker() override;

    // Appends the name (the box is not sorted) with the id as item data.
    bool AddItem(const char* name, int id);
    bool DeleteItem(int position);
    // Puts `name` in place of the item at `position`, keeping its id, and selects it.
    bool ReplaceItem(int position, const char* name);
    int IdAt(int position) const;  // -1 for an invalid position or on failure
    int CurrentPosition() const;   // -1 when empty or nothing is selected

    bool PreTranslateMessage(MSG* msg) override;
    bool IsValidPosition(int position) const { return position >= 0 && position < GetCount(); }

protected:
    LRESULT OnCtlColorListBox(WPARAM wParam, LPARAM lParam);
    LRESULT OnDestroy(WPARAM wParam, LPARAM lParam);
    void OnChoose(int position) override;  // opens the shortcut there
    DECLARE_MESSAGE_MAP()

private:
    CPickerList m_list;  // the dropped list, bound at its first colour request
};

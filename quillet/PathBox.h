// The path box (IDC_PATH_BOX), shown in manual open mode: the user types or pastes a key
// path or a file path and presses Enter. Paths that opened stay in its list (the history)
// for the rest of the run; choosing one opens it again.
#pragma once
#include <string>

#include "ChoiceBox.h"

class CPathBox : public CChoiceBox {
public:
    CPathBox() = default;
    ~CPathBox() override;

    bool PreTranslateMessage(MSG* msg) override;

    // Position of `text` in the history, letter case of ASCII letters ignored, or -1.
    int FindInHistory(const std::string& text) const;

protected:
    void OnChoose(int position) override;  // opens the path there

private:
    void OpenTyped();
};

// The two ways the toolbar opens a location text: a file or folder in Explorer, anything else
// as a key path in the registry editor (with the value selected when its last part names one).
#include "OpenTarget.h"

#include "CommonRes.h"
#include "CommonStrings.h"
#include "RegKeyTool.h"
#include "ShellTool.h"

bool OpenTarget(const char* text, HWND owner) {
    if (!text || !*text) return false;
    CShellTool shell;
    if (CShellTool::FileExists(text)) {
        shell.SelectInExplorer(text);
        return true;
    }
    CRegKeyTool keys;
    keys.SetOwner(owner);
    if (!keys.LocationExists(text)) {
        WarnNoTarget(owner);
        return false;
    }
    // A key, or a value of one; the navigator rewrites the text to the long form itself.
    keys.OpenLocationInRegEdit(text);
    return true;
}

void WarnNoTarget(HWND owner) {
    std::string message = LoadCommonString(IDS_COMMON_INVALID_TARGET);
    std::string caption = LoadCommonString(IDS_COMMON_CAPTION_MANUAL_OPEN);
    MessageBoxA(owner, message.c_str(), caption.c_str(), MB_OK | MB_ICONEXCLAMATION);
}

void OpenTargetLenient(const char* text, HWND owner) {
    CShellTool shell;
    if (CShellTool::FileExists(text)) {
        shell.SelectInExplorer(text);
        return;
    }
    // A copied line may carry a label before the key path; the shortcut rule drops it.
    CRegKeyTool keys;
    keys.SetOwner(owner);
    Shortcut shortcut;
    if (keys.KeyPathToShortcut(text, shortcut)) keys.OpenLocationInRegEdit(shortcut.location.c_str());
}

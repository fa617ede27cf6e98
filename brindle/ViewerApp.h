// The viewer as a program: start-up (the frame with its view) and the About command.
#pragma once
#include "Framework.h"

class CViewerApp : public CWinApp {
public:
    bool InitInstance() override;

protected:
    void OnAppAbout();
    DECLARE_MESSAGE_MAP()
};

// The application object: runs the strip as a modal dialog from start to exit.
#pragma once
#include "WinApp.h"

class CQuilletApp : public CWinApp {
public:
    bool InitInstance() override;
};

// The program's entry point lives in the framework: a program defines its application
// object and nothing else.
#include "WinApp.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE prev, LPSTR cmdLine, int cmdShow) {
    return AfxWinMain(instance, prev, cmdLine, cmdShow);
}

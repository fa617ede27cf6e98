// Timings for the benchmark (bench/brindle), off unless the environment variable
// QB_BENCH_REPORT names a file. The view calls the two marks; after the first complete
// paint that follows a load, the report measures mouse moves over the view and a drag of
// the vertical scroll thumb, writes everything to that file as name=value lines and ends
// the program. Nothing here runs in normal use.
#pragma once

#include <windows.h>

namespace benchreport {

bool Enabled();
// At the start of loading a file (before the name test).
void LoadStarted();
// When the file has been read into the document (before the view lays it out).
void FileRead();
// At the end of every WM_PAINT of the view; only the first one after a load counts.
void PaintEnded(HWND view);

}  // namespace benchreport

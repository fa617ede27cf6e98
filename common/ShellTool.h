// Files and programs: existence, Explorer, starting programs, whole-file reads and writes.
#pragma once
#include <windows.h>

#include <cstddef>
#include <functional>

class CShellTool {
public:
    CShellTool() = default;
    virtual ~CShellTool();
    CShellTool(const CShellTool&) = delete;
    CShellTool& operator=(const CShellTool&) = delete;

    static bool FileExists(const char* path);
    bool SelectInExplorer(const char* path);
    HANDLE RunProgram(const char* file, int showCmd);
    // Starts a program through the shell without the shell's own error box: every caller
    // tells a failure its own way, or not at all. True when the shell started it; `process`
    // is then its handle (the caller's to close), or null when the shell gives none.
    static bool Start(const char* file, int showCmd, HANDLE& process);
    // The whole file followed by a zero byte, owned by the tool; null on failure.
    char* LoadFile(const char* path);
    void FreeBuffer();
    bool SaveFile(const char* path, const void* data, size_t length);
    // The same save, the content written by `write` into the new file (false: a failure,
    // with the system's error code set); the old file stays as it was unless all went well.
    static bool SaveFileWith(const char* path, const std::function<bool(HANDLE file)>& write);

private:
    HGLOBAL m_block = nullptr;
};

// Files and programs: existence, Explorer, starting programs, whole-file reads and writes.
#pragma once
#include <windows.h>

#include <cstddef>

class CShellTool {
public:
    CShellTool() = default;
    virtual ~CShellTool();
    CShellTool(const CShellTool&) = delete;
    CShellTool& operator=(const CShellTool&) = delete;

    static bool FileExists(const char* path);
    bool SelectInExplorer(const char* path);
    HANDLE RunProgram(const char* file, int showCmd);
    // The whole file followed by a zero byte, owned by the tool; null on failure.
    char* LoadFile(const char* path);
    void FreeBuffer();
    bool SaveFile(const char* path, const void* data, size_t length);

private:
    HGLOBAL m_block = nullptr;
};

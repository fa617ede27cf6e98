// A kernel handle owned by exactly one object: closed when the owner goes, moved, never copied.
#pragma once
#include <windows.h>

#include <utility>

class CUniqueHandle {
public:
    CUniqueHandle() = default;
    explicit CUniqueHandle(HANDLE h) : m_h(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
    ~CUniqueHandle() { Close(); }
    CUniqueHandle(CUniqueHandle&& other) noexcept : m_h(std::exchange(other.m_h, nullptr)) {}
    CUniqueHandle& operator=(CUniqueHandle&& other) noexcept {
        if (this != &other) {
            Close();
            m_h = std::exchange(other.m_h, nullptr);
        }
        return *this;
    }
    CUniqueHandle(const CUniqueHandle&) = delete;
    CUniqueHandle& operator=(const CUniqueHandle&) = delete;

    HANDLE Get() const { return m_h; }
    explicit operator bool() const { return m_h != nullptr; }
    void Close() {
        if (m_h) CloseHandle(std::exchange(m_h, nullptr));
    }

private:
    HANDLE m_h = nullptr;
};

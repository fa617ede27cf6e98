// Room for a run of units that only grows, filled and copied here rather than by the C
// runtime. The comparison copies or folds a name, a path or some data out of most lines of
// both files, a few dozen bytes at a time; the Windows build takes memcpy and memset from a
// DLL that under Wine copies such short runs a few bytes a step, and a growing std::string or
// std::vector fills each unit it adds before it is written. No windows.h.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Copies n bytes, 16 a step; the last few in pieces of a fixed size, which the compiler copies itself.
inline void CopyBytes(void* to, const void* from, size_t n) {
    unsigned char* out = static_cast<unsigned char*>(to);
    const unsigned char* in = static_cast<const unsigned char*>(from);
#if defined(__SSE2__)
    for (; n >= 16; n -= 16, out += 16, in += 16)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_loadu_si128(reinterpret_cast<const __m128i*>(in)));
#else
    for (; n >= 16; n -= 16, out += 16, in += 16) std::memcpy(out, in, 16);
#endif
    if (n >= 8) std::memcpy(out, in, 8), out += 8, in += 8, n -= 8;
    if (n >= 4) std::memcpy(out, in, 4), out += 4, in += 4, n -= 4;
    if (n >= 2) std::memcpy(out, in, 2), out += 2, in += 2, n -= 2;
    if (n) *out = *in;
}

template <typename Unit>
class CBuffer {
public:
    void Clear() { m_size = 0; }
    size_t Size() const { return m_size; }
    bool Empty() const { return m_size == 0; }
    Unit* Data() { return m_room.data(); }
    const Unit* Data() const { return m_room.data(); }
    Unit& operator[](size_t i) { return m_room[i]; }
    Unit Back() const { return m_room[m_size - 1]; }
    std::basic_string_view<Unit> View() const { return {m_room.data(), m_size}; }

    // n more units at the end, left for the caller to fill.
    Unit* Extend(size_t n) {
        if (m_room.size() - m_size < n) m_room.resize(std::max(m_room.size() * 2, m_size + n));
        Unit* at = m_room.data() + m_size;
        m_size += n;
        return at;
    }
    void Shrink(size_t size) { m_size = std::min(size, m_size); }
    void PushBack(Unit unit) { *Extend(1) = unit; }
    void Append(const Unit* units, size_t n) {
        if (n > 0) CopyBytes(Extend(n), units, n * sizeof(Unit));
    }
    void Assign(std::basic_string_view<Unit> units) {
        m_size = 0;
        Append(units.data(), units.size());
    }
    void Swap(CBuffer& other) {
        m_room.swap(other.m_room);
        std::swap(m_size, other.m_size);
    }

private:
    std::vector<Unit> m_room;
    size_t m_size = 0;
};

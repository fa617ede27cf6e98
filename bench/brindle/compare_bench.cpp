// The comparison's measuring program for bench/brindle/compare_run.sh: the engine that the
// viewer links (brindle_compare) on two export files, natively, and the baseline it is held
// against, in the same program: reading the newer file in the same pieces and splitting it
// into lines. Each mode runs as a process of its own, so that its peak memory is its own.
//
//   compare_bench compare OLDER NEWER [OUT]
//                                       the comparison: its time, peak memory, result, counts;
//                                       the result saved to OUT (UTF-16 with its mark) if named
//   compare_bench split FILE            reading and splitting FILE, UTF-16 or ANSI
//
// Figures go to standard output as name=value lines.
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "ExportCompare.h"

namespace {

class CFileSource : public CExportSource {
public:
    explicit CFileSource(const char* path) : m_fd(open(path, O_RDONLY)) {
        if (m_fd >= 0) m_size = static_cast<uint64_t>(lseek(m_fd, 0, SEEK_END));
    }
    ~CFileSource() override {
        if (m_fd >= 0) close(m_fd);
    }
    bool Opened() const { return m_fd >= 0; }
    uint64_t Size() const override { return m_size; }
    bool Read(uint64_t offset, void* buffer, size_t n, size_t& got) override {
        const ssize_t r = pread(m_fd, buffer, n, static_cast<off_t>(offset));
        got = r > 0 ? static_cast<size_t>(r) : 0;
        return r >= 0;
    }

private:
    int m_fd;
    uint64_t m_size = 0;
};

// Code page 936's shape: a byte from 0x81 up and the next one make one character.
size_t DecodeAnsi(const char* s, size_t n, char16_t* out, void*) {
    size_t units = 0;
    for (size_t i = 0; i < n; ++i) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        out[units++] = c >= 0x81 && i + 1 < n
                           ? static_cast<char16_t>(0x4E00 + ((c - 0x81) << 8) + static_cast<unsigned char>(s[++i]))
                           : c;
    }
    return units;
}

double Since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

long PeakBytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss * 1024L;
}

int Compare(const char* older, const char* newer, const char* out) {
    CFileSource a(older), b(newer);
    if (!a.Opened() || !b.Opened()) return std::fprintf(stderr, "cannot open the files\n"), 1;
    CExportCompare compare(DecodeAnsi, nullptr);
    std::u16string result;
    const auto start = std::chrono::steady_clock::now();
    // Notes of the viewer's lengths, so that the comment lines cost what they cost there.
    const CompareNotes notes{u"older: name",   u"newer: name",      u"keys: +%1 -%2 ~%3; values: +%4 -%5 ~%6",
                             u"same",          u"no key shared",    u"older cut: %1",
                             u"newer cut: %1", u"odd byte",         u"zero",
                             u"last line",     u"text: %1",         u"was: %1",
                             u" (%1 more)",    u" (%1 more bytes)", u"branch: %1 keys, %2 values"};
    const bool ok = compare.Run(a, b, notes, result);
    const double ms = Since(start);
    const CompareCounts& c = compare.Counts();
    std::printf("ok=%d\nerror=%d\ncompare_ms=%.1f\npeak_bytes=%ld\nresult_units=%zu\n", ok, compare.Error(), ms,
                PeakBytes(), result.size());
    std::printf("counts=keys +%llu -%llu ~%llu, values +%llu -%llu ~%llu\n",
                static_cast<unsigned long long>(c.keysAdded), static_cast<unsigned long long>(c.keysRemoved),
                static_cast<unsigned long long>(c.keysChanged), static_cast<unsigned long long>(c.valuesAdded),
                static_cast<unsigned long long>(c.valuesRemoved), static_cast<unsigned long long>(c.valuesChanged));
    if (FILE* file = out ? std::fopen(out, "wb") : nullptr) {
        std::fwrite("\xFF\xFE", 1, 2, file);
        for (char16_t c : result) std::fwrite(&c, 2, 1, file);  // a little-endian host
        std::fclose(file);
    }
    return ok ? 0 : 1;
}

// As the engine's first reading takes the newer file, without the rest: pieces of 1 MiB,
// lines found at CR and LF.
int Split(const char* path) {
    CFileSource file(path);
    if (!file.Opened()) return std::fprintf(stderr, "cannot open %s\n", path), 1;
    std::vector<char> piece(1 << 20);
    const auto start = std::chrono::steady_clock::now();
    size_t got = 0, lines = 0;
    bool utf16 = false;
    for (uint64_t offset = 0; file.Read(offset, piece.data(), piece.size(), got) && got > 0; offset += got) {
        if (offset == 0) utf16 = got >= 2 && piece[0] == '\xFF' && piece[1] == '\xFE';
        if (utf16) {
            const char16_t* units = reinterpret_cast<const char16_t*>(piece.data());
            for (size_t i = 0; i < got / 2; ++i) lines += units[i] == u'\n' || units[i] == u'\r';
        } else {
            for (size_t i = 0; i < got; ++i) lines += piece[i] == '\n' || piece[i] == '\r';
        }
    }
    std::printf("split_ms=%.1f\nline_ends=%zu\npeak_bytes=%ld\n", Since(start), lines, PeakBytes());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if ((argc == 4 || argc == 5) && std::strcmp(argv[1], "compare") == 0)
        return Compare(argv[2], argv[3], argc == 5 ? argv[4] : nullptr);
    if (argc == 3 && std::strcmp(argv[1], "split") == 0) return Split(argv[2]);
    std::fprintf(stderr, "compare_bench compare OLDER NEWER [OUT] | compare_bench split FILE\n");
    return 2;
}

#include "TextFile.h"

#include <windows.h>

#include <algorithm>
#include <memory>

#include "LinkDoc.h"
#include "LinkRectList.h"
#include "LinkText.h"
#include "ShellTool.h"
#include "TextDecode.h"
#include "WinHandle.h"

namespace {

// Big enough that reading costs few calls, small enough that a piece is still in the cache
// when it is converted and split into lines.
constexpr DWORD kPiece = 1 << 20;

// Reads until n bytes arrived or the file ends; false on an error of the system.
bool ReadUpTo(HANDLE file, void* dst, DWORD n, DWORD& got) {
    got = 0;
    while (got < n) {
        DWORD now = 0;
        if (!ReadFile(file, static_cast<char*>(dst) + got, n - got, &now, nullptr)) return false;
        if (now == 0) break;
        got += now;
    }
    return true;
}

}  // namespace

CodePageConversion CodePageConversion::For(unsigned codePage) {
    CPINFO info{};
    // Unknown: the most any code page needs for one UTF-16 unit (UTF-8's four for a pair).
    const size_t largest = GetCPInfo(codePage, &info) && info.MaxCharSize >= 1 ? info.MaxCharSize : 4;
    const bool utf8 = codePage == CP_UTF8 || (codePage == CP_ACP && GetACP() == CP_UTF8);
    return CodePageConversion{codePage, std::max<size_t>(largest, 2), utf8};
}

size_t WideRunToCodePage(const char16_t* src, size_t n, char* dst, void* context, bool* lost) {
    const CodePageConversion& to = *static_cast<const CodePageConversion*>(context);
    BOOL usedDefault = FALSE;
    // All the room the decoder gives: a conversion that did not fit would write nothing.
    const int wrote = WideCharToMultiByte(to.codePage, to.utf8 ? 0 : WC_NO_BEST_FIT_CHARS,
                                          reinterpret_cast<const wchar_t*>(src), static_cast<int>(n), dst,
                                          static_cast<int>(n * to.maxBytes), nullptr, to.utf8 ? nullptr : &usedDefault);
    *lost = usedDefault != FALSE || wrote <= 0;
    return wrote > 0 ? static_cast<size_t>(wrote) : 0;
}

bool PassesLoadTests(const char* path) {
    return path && *path && (HasExtension(path, ".REG") || HasExtension(path, ".TXT")) && CShellTool::FileExists(path);
}

LoadResult LoadTextFileInto(const char* path, CLinkDoc& doc, CLinkRectList& links) {
    if (!PassesLoadTests(path)) return LoadResult::NotLoaded;
    return LoadTestedFileInto(path, doc, links);
}

bool LoadWideTextInto(const std::u16string& text, CLinkDoc& doc) {
    CodePageConversion toAnsi = CodePageConversion::For(CP_ACP);
    CTextDecoder decoder(doc, TextEncoding::Utf16, WideRunToCodePage, &toAnsi, toAnsi.maxBytes);
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    const size_t n = text.size() * sizeof(char16_t);
    // In pieces, each converted while it is in the cache.
    if (decoder.Begin(n))
        for (size_t at = 0; at < n && decoder.Feed(bytes + at, std::min<size_t>(kPiece, n - at));) at += kPiece;
    return decoder.Finish();
}

LoadResult LoadTestedFileInto(const char* path, CLinkDoc& doc, CLinkRectList& links) {
    // From here on a failure leaves the viewer empty.
    links.Clear();
    doc.Clear();

    // Not shared: nobody may change the file while it is read.
    CUniqueHandle file(CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return LoadResult::NotLoaded;
    LARGE_INTEGER length;
    if (!GetFileSizeEx(file.Get(), &length)) return LoadResult::ReadError;

    unsigned char mark[2] = {0, 0};
    DWORD got = 0;
    if (!ReadUpTo(file.Get(), mark, 2, got)) return LoadResult::ReadError;
    const TextEncoding encoding = DetectEncoding(mark, got);
    uint64_t dataSize = static_cast<uint64_t>(length.QuadPart);
    if (encoding == TextEncoding::Utf16) {
        dataSize -= 2;
    } else if (got > 0) {
        LARGE_INTEGER start = {};
        if (!SetFilePointerEx(file.Get(), start, nullptr, FILE_BEGIN)) return LoadResult::ReadError;
    }

    CodePageConversion toAnsi = CodePageConversion::For(CP_ACP);
    CTextDecoder decoder(doc, encoding, WideRunToCodePage, &toAnsi, toAnsi.maxBytes);
    if (!decoder.Begin(dataSize)) {
        decoder.Finish();
        return LoadResult::NotLoaded;  // no memory for it
    }
    // ANSI too is read through this piece rather than straight into the document: under
    // Wine, reading into pages never touched before costs more than copying the piece.
    std::unique_ptr<unsigned char[]> piece(new (std::nothrow) unsigned char[kPiece]);
    if (!piece) {
        doc.Clear();
        return LoadResult::NotLoaded;
    }

    // Reading stops at the end of the data or at the first zero, where the text ends.
    uint64_t left = dataSize;
    while (left > 0 && !decoder.Ended()) {
        const DWORD want = left < kPiece ? static_cast<DWORD>(left) : kPiece;
        if (!ReadUpTo(file.Get(), piece.get(), want, got)) {
            const DWORD error = GetLastError();  // for the caller's error report
            doc.Clear();
            SetLastError(error);
            return LoadResult::ReadError;
        }
        decoder.Feed(piece.get(), got);
        if (got < want) break;  // the file is shorter than it said
        left -= got;
    }
    const bool loaded = decoder.Finish();
    return loaded ? LoadResult::Loaded : LoadResult::NotLoaded;
}

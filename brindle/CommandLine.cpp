#include "CommandLine.h"

#include <windows.h>
#include <shellapi.h>

#include <string_view>
#include <vector>

#include "LinkText.h"

namespace {

// The system's split of a command line into arguments: quotes, and backslashes before them.
std::vector<std::wstring> Arguments(const wchar_t* line) {
    int count = 0;
    LPWSTR* list = ::CommandLineToArgvW(line, &count);
    std::vector<std::wstring> arguments;
    if (!list) return arguments;
    arguments.assign(list, list + count);
    ::LocalFree(list);
    return arguments;
}

bool IsSwitch(const std::wstring& argument, const wchar_t* name) {
    return ::CompareStringOrdinal(argument.c_str(), -1, name, -1, TRUE) == CSTR_EQUAL;
}

}  // namespace

ViewerRequest ReadViewerCommandLine(const char* ansi, const wchar_t* wide) {
    ViewerRequest request;
    if (wide && *wide) {
        const std::vector<std::wstring> arguments = Arguments(wide);
        if (arguments.size() >= 2 && IsSwitch(arguments[1], L"/preview")) {
            request.kind = arguments.size() == 3 ? ViewerRequest::Kind::Preview : ViewerRequest::Kind::CompareUsage;
            if (arguments.size() == 3) request.older = arguments[2];
            return request;
        }
        if (arguments.size() >= 2 && IsSwitch(arguments[1], L"/compare")) {
            if (arguments.size() == 3) {
                request.kind = ViewerRequest::Kind::CompareLive;
                request.older = arguments[2];
                return request;
            }
            if (arguments.size() < 4) {
                request.kind = ViewerRequest::Kind::CompareUsage;
                return request;
            }
            request.kind = ViewerRequest::Kind::Compare;
            request.older = arguments[2];
            request.newer = arguments[3];
            return request;
        }
    }
    std::string_view argument;
    if (!ansi || !*ansi || !CommandLineArgument(ansi, argument)) return request;
    request.kind = ViewerRequest::Kind::OpenFile;
    request.file.assign(argument);
    return request;
}

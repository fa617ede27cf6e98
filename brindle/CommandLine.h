// What the viewer is asked to do when it starts, read once from its command line.
#pragma once

#include <string>

struct ViewerRequest {
    enum class Kind {
        Nothing,       // no file named, or none that the lone-path rule finds
        OpenFile,      // file
        Compare,       // older, newer
        CompareLive,   // older: the export, against the registry as it is now
        Preview,       // older: the file whose import is previewed
        CompareUsage,  // /compare without its files, /preview without its one: the usage is told
    };
    Kind kind = Kind::Nothing;
    std::string file;  // ANSI, as the command line gives it
    std::wstring older, newer;
};

// `ansi` and `wide` are the one command line as the process got it (GetCommandLineA/W). A
// first argument /compare (any letter case) asks for the comparison of the next two (of the
// next one with the registry), /preview for the import preview of the next one, each taken by
// the system's usual rules for quotes and backslashes; a first argument that names no
// switch cannot change what worked before, so everything else is one file path, read by the
// viewer's own rule: after the quoted program path and the one character after it, a quoted
// argument up to its closing quote, or one up to the next blank (so two blanks: nothing).
ViewerRequest ReadViewerCommandLine(const char* ansi, const wchar_t* wide);

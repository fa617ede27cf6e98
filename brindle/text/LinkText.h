// The viewer's text rules: what kind of link a line is, the file-name test and the
// command-line argument. Pure byte-string functions in the ANSI code page 936, no windows.h,
// so they are unit-tested and fuzzed natively.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// LINE_TEXT, LINE_KEY or LINE_FILE for one line, judged as a whole: a registry key path
// (root name with its backslash at the start, or a .reg section header in brackets) or a
// path with a drive letter. Leading single-byte white space is ignored.
int32_t ClassifyLine(std::string_view line);

// True when both are non-empty and the last four bytes of the path (all of it when shorter),
// upper-cased, equal the extension upper-cased (".REG", ".TXT").
bool HasExtension(const char* path, const char* extension);

// The file named on a command line that starts with the program's own path in double quotes:
// after the quote that ends that path, one character is skipped; a quote then starts a
// quoted argument, anything else an argument that runs to the next blank. Returns false when
// there is no argument (empty line, nothing after the program path, an empty argument).
// A program path without quotes runs to the first blank. Never reads past
// the end of `commandLine`: an argument whose closing quote is missing runs to the end, and
// a program path whose closing quote is missing gives no argument.
bool CommandLineArgument(std::string_view commandLine, std::string_view& argument);

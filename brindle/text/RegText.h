// The lines of a registry export as the line menu reads them, in the ANSI code page 936 (the
// import rules themselves, over UTF-16, are brindle/export's): which text is an export, which
// line opens a key and which sets a value, under what name, and which values run on over
// several lines. No windows.h: unit-tested natively.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

class CLinkDoc;

// What a line of an export is by its first byte after blanks and tabs: none (a blank line),
// '[' a section header, '"' or '@' a value line, anything else (a comment, hex data).
enum class RegLine { Blank, Section, Value, Other };
RegLine RegLineOf(std::string_view line);

// The first line of an export: "Windows Registry Editor Version 5.00" or "REGEDIT4" after
// blanks and tabs, and nothing after it.
bool IsExportHeader(std::string_view line);

// Whether the line runs on over the next one, as the editor wraps hex data: its last character
// other than a blank or a tab is a backslash, not the second byte of a double-byte character.
bool RunsOn(std::string_view line);

// The name of the value a value line sets: "name" with its escapes undone as import undoes them
// (\" and \\, \n and \r too), or @; then '=' after blanks. "" for the default value (@, or "").
// False for any other line, and for a name import refuses (no closing quote, \0).
bool ValueNameOf(std::string_view line, std::string& name);

// What the menu of a line offers, and what its items act on.
struct LineMenuTarget {
    bool openKey = false;    // a key line
    bool openValue = false;  // a value line of an export under a key, no character of it lost
    bool copy = false;       // a key line, or a value line of an export under a key
    bool value = false;      // the path names a value
    std::string key;         // the key's path as the line, or its section header, writes it
    std::string name;        // the value's name, "" for the default value
    // What is copied: the key's path, or the key's path and the value's name after a backslash.
    std::string CopyText() const { return value ? key + '\\' + name : key; }
};
LineMenuTarget MenuTargetOf(const CLinkDoc& doc, int32_t line);

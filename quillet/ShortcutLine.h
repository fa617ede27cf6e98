// The shortcut line, the text form of one shortcut in the list, in the shortcut file and in
// the manager's replacement text: location, one byte 0x03, name. Also the rules of the
// shortcut file's name. Pure text (no windows.h), so these rules are unit-tested and fuzzed
// on the build machine.
#pragma once

#include <string>
#include <string_view>

#include "Shortcut.h"

// The byte between location and name. A control character, so it cannot be typed into
// either field by accident; a name may still hold further ones.
constexpr char kShortcutSeparator = '\x03';

// A location or name as it enters the list: CR, LF and 0x03 would split a line of the file
// or move the separator (a Favorites value name can hold them), so each becomes a blank.
// The text ends at its first zero byte, as a C string would.
std::string ShortcutFieldText(std::string_view field);

// location + 0x03 + name, each part as ShortcutFieldText makes it.
std::string MakeShortcutLine(std::string_view location, std::string_view name);

// Splits at the first 0x03: the bytes before it are the location, all bytes after it (later
// 0x03 bytes included) the name. True only when the line is well formed (a 0x03 and both
// parts non-empty); `out` is then filled, otherwise left alone.
bool SplitShortcutLine(std::string_view line, Shortcut& out);

// The syntax check a line must pass to enter the list from text: well formed, and the
// location a key path that begins with its root name and has a non-empty sub-key. The key
// need not exist. (The store makes the same check through its registry tool.)
bool IsShortcutLineSyntaxValid(std::string_view line);

// White space that the loader trims from both ends of a line: space, tab, CR, LF, VT, FF.
bool IsShortcutBlank(char c);
std::string_view TrimShortcutBlanks(std::string_view piece);

// The shortcut file beside the program: `modulePath` with everything after the last "." of
// its file name replaced by "ini". The "." is looked for only after the last backslash, so a
// dot in a folder name is never used. False, with `out` untouched, when the path has no
// backslash or the file name no ".". Backslashes are found character by character (code
// page 936), so a double-byte character ending in 0x5C is not taken for one.
bool ShortcutFilePathFor(std::string_view modulePath, std::string& out);

// Resource ids of the viewer. Included by brindle.rc, by the C++ code and by the tests; the
// framework's own ids (the application title AFX_IDS_APP_TITLE, ID_APP_ABOUT, ID_APP_EXIT,
// the pane AFX_IDW_PANE_FIRST) come from AfxRes.h.
#pragma once
#include "AfxRes.h"

// Resources named by the frame: menu, accelerators, icon and title string share this one id.
#define IDR_MAINFRAME        128
#define IDD_ABOUTBOX         100
#define IDD_COMPARE_PROGRESS 101   // the small window of a long comparison: a bar and Cancel
#define IDC_COMPARE_BAR      1001  // its bar
#define IDC_LINKHAND         130   // cursor: the hand shown over a link

// Strings.
#define IDS_OPEN_FILTER    129  // filter of the file-open dialog, '|'-separated
#define IDS_VIEW_FONT      131  // face name of the view's two fonts
#define IDS_FIND_NOT_FOUND 132  // Find found nothing; %1 is the text searched for
// Comparing two exports and saving: the Open dialogs' titles, the comment lines at the head of
// a comparison (%1 a file's name; the counts' %1 to %6, see CompareNotes), the Save dialog's
// filter, the messages (%1 a file's name, %2 the system's reason).
#define IDS_COMPARE_OLDER_TITLE        140
#define IDS_COMPARE_NEWER_TITLE        141
#define IDS_COMPARE_NOTE_OLDER         142
#define IDS_COMPARE_NOTE_NEWER         143
#define IDS_COMPARE_NOTE_COUNTS        144
#define IDS_COMPARE_NOTE_SAME          145
#define IDS_COMPARE_NOTE_NO_SHARED_KEY 146
#define IDS_COMPARE_OPEN_FAILED        147
#define IDS_COMPARE_NOT_AN_EXPORT      148
#define IDS_COMPARE_READ_FAILED        149
#define IDS_COMPARE_NO_MEMORY          150
#define IDS_COMPARE_USAGE              151  // /compare without its two files
#define IDS_SAVE_FILTER                152
#define IDS_SAVE_FAILED                153
#define IDS_SAVE_ASK_NO_SHARED_KEY     154
#define IDS_COMPARE_EMPTY_FILE         155
#define IDS_SAVE_ASK_CUT               156  // an export is cut short or broken
// Comment lines of a comparison (CompareNotes): an export cut short or broken (%1 how, one of
// the three after), and under value lines and `[-KEY]` (%1 data, a count; the branch's %2 values).
#define IDS_COMPARE_NOTE_OLDER_CUT  157
#define IDS_COMPARE_NOTE_NEWER_CUT  158
#define IDS_COMPARE_CUT_ODD_BYTE    159
#define IDS_COMPARE_CUT_ZERO        160
#define IDS_COMPARE_CUT_LAST_LINE   161
#define IDS_COMPARE_NOTE_TEXT       162
#define IDS_COMPARE_NOTE_WAS        163
#define IDS_COMPARE_NOTE_MORE_CHARS 164
#define IDS_COMPARE_NOTE_MORE_BYTES 165
#define IDS_COMPARE_NOTE_BRANCH     166
// Comparing an export with the registry as it is now: the Open dialog's title, the messages (%1
// the file's name), and the head's lines of the registry's side (%1 a time, a key path or a
// count; the user's %2 SID, a value's %2 name), in the order CompareController.cpp lists them.
#define IDS_LIVE_OPEN_TITLE        170
#define IDS_LIVE_PATCH             171  // a patch handed to the comparison: the preview offered
#define IDS_LIVE_NO_BRANCH         172
#define IDS_LIVE_NOTE_NEWER        173
#define IDS_LIVE_NOTE_OLDER        174
#define IDS_LIVE_NOTE_USER         175
#define IDS_LIVE_NOTE_BRANCH       176
#define IDS_LIVE_NOTE_ABSENT       177
#define IDS_LIVE_NOTE_DENIED       178
#define IDS_LIVE_NOTE_GONE         179
#define IDS_LIVE_NOTE_NO_ROOT      180
#define IDS_LIVE_NOTE_NOT_LOADED   181
#define IDS_LIVE_NOTE_LOOP         182
#define IDS_LIVE_NOTE_UNSETTLED    183
#define IDS_LIVE_NOTE_UNRESTORABLE 184
#define IDS_LIVE_NOTE_DELETES      185

// The import preview: the Open dialog's title, the head's lines (%1 the file, a key path, a
// time; %2 and %3 counts or a second path) and the question before a backup that cannot bring
// everything back is saved.
#define IDS_PREVIEW_OPEN_TITLE       186
#define IDS_PREVIEW_NOTE_AFTER       187  // the newer side: the registry once the file is imported
#define IDS_PREVIEW_NOTE_AFTER_OLDER 188  // the same as the older side (the backup)
#define IDS_PREVIEW_NOTE_LINES       189
#define IDS_PREVIEW_NOTE_TWO_ROOTS   190
#define IDS_PREVIEW_NOTE_BACKUP      191
#define IDS_PREVIEW_NOTE_UNRESTORED  192
#define IDS_PREVIEW_ASK_UNRESTORED   193
#define IDS_PREVIEW_NOTE_MORE_PAIRS  194
#define IDS_PREVIEW_NOTE_SAME        195  // importing changes nothing here
#define IDS_LIVE_NOTE_SAME           196  // the registry is as the export has it

// Commands of the menu IDR_MAINFRAME that the view handles.
#define ID_FILE_OPENTEXT      32771
#define ID_EDIT_PASTETEXT     32772
#define ID_FILE_COMPARE       32773  // two exports: what turns the older into the newer
#define ID_FILE_SWAPCOMPARE   32774  // the comparison shown, the other way round
#define ID_FILE_COMPARELIVE   32776  // an export against the registry as it is now
#define ID_FILE_IMPORTPREVIEW 32777  // what importing a .reg file would change here
#define ID_FILE_SAVETEXTAS    32775  // Ctrl+S: what is shown, to a file
#define ID_EDIT_FINDTEXT      32781  // Ctrl+F: the Find dialog
#define ID_EDIT_FINDNEXTMATCH 32782  // F3
#define ID_EDIT_FINDPREVMATCH 32783  // Shift+F3

// The line menu (a right-click on a line, the menu key, Shift+F10); each item's text is the
// string with its id.
#define ID_LINE_OPENKEY   32791  // the key of a key line, as a click opens it
#define ID_LINE_OPENVALUE 32792  // the value of a value line, in the key of its section
#define ID_LINE_COPYPATH  32793  // the key's path, or the key's path and the value's name

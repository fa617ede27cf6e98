// String ids of the shared key-path and opener code. Each program's resource script
// includes CommonStrings.rc; the range 3000-3099 is kept free in both programs for it.
#pragma once

#define IDS_COMMON_RUN_EDITOR_FAILED   3000
#define IDS_COMMON_OPEN_EDITOR_FAILED  3001
#define IDS_COMMON_INVALID_EDITOR      3002
#define IDS_COMMON_INVALID_TARGET      3003
#define IDS_COMMON_CAPTION_ERROR       3004
#define IDS_COMMON_CAPTION_MANUAL_OPEN 3005
#define IDS_COMMON_EDITOR_ELEVATED     3006  // the toolbar only: the editor refused our keys

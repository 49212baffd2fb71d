// The entry list pane: its template, its keys and its list. The buttons'
// (and the _Operation menu's) commands are the pane's own ids.
#ifndef VELMORA_ENTRY_PANE_RES_H
#define VELMORA_ENTRY_PANE_RES_H

#include "../pane/pane_command_ids.h"

#define IDD_ENTRYPANE 130
#define IDR_PANEACCEL 209
#define IDC_ENTRYLIST 1003

#endif

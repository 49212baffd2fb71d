// The change history and its Undo.
#ifndef VELMORA_HISTORY_DIALOG_RES_H
#define VELMORA_HISTORY_DIALOG_RES_H

#define IDD_HISTORY 241

#define IDC_HISTORY_LIST 1110
#define IDC_HISTORY_UNDO 1111

#endif

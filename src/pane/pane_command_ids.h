// The pane's command identifiers, the one place they are defined: its
// buttons, its context menu, its keys and the main window's _Operation menu
// all send them. Plain #defines, because the resource compiler reads this
// file too (src/res/entry_pane_res.h); C++ code uses pane_command::k*.
#ifndef VELMORA_PANE_COMMAND_IDS_H
#define VELMORA_PANE_COMMAND_IDS_H

#define IDC_REMOVE 1007
#define IDC_REFRESH 1008
#define IDC_ADDNEW 1009
#define IDC_MODIFY 1010
#define IDC_PROPERTY 1011
#define IDC_ABOUTFILE 1012
#define IDC_ENABLE 1013
#define IDC_DISABLE 1015
#define IDC_OPENLOCATION 1016
#define IDC_SEARCHONLINE 1017
#define IDC_OPENSTARTUPSETTINGS 1018

#endif

// The main window: its template, menu, commands and tree; the program's icon
// and the tree's image strip.
#ifndef VELMORA_MAIN_FRAME_RES_H
#define VELMORA_MAIN_FRAME_RES_H

#include "entry_pane_res.h"

#define IDI_VELMORA 128
#define IDB_TREEIMAGES 202

#define IDD_MAINFRAME 129
#define IDR_MAINMENU 201

// Frame commands
#define ID_APP_EXIT_CMD 2
#define ID_HELP_PAGE 9
#define ID_WEBSITE 32774
#define ID_SUPPORT 32775
#define ID_LOGVIEWER 32781
#define ID_HISTORY 32782
#define ID_EXPORT 32790
#define ID_RESTART_ADMIN 32791
#define ID_RESET_COLUMNS 32792
#define ID_THEME_SYSTEM 32793
#define ID_THEME_LIGHT 32794
#define ID_THEME_DARK 32795
#define ID_APP_ABOUT_CMD 57664
// View > Language: one item per language present, from the first on.
#define ID_LANGUAGE_FIRST 33100
#define ID_LANGUAGE_LAST 33163

// Category tree
#define IDC_CATEGORYTREE 41931

// Filter and status bar
#define IDC_FILTERLABEL 41932
#define IDC_FILTER 41933
#define IDC_STATUSBAR 41934
#define IDC_HIDEWINDOWS 41941
#define IDC_SHOWNEW 41942
#define IDC_NOTSTARTING 41943

#endif

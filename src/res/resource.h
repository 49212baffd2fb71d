#pragma once
// Resource and control identifiers. The numbers are fixed: dialogs, menus and
// commands are known by them across the program.

// Icons and bitmaps
#define IDI_VELMORA 128
#define IDB_TREEIMAGES 202
#define IDI_ADDENTRY 204
#define IDI_MODIFYENTRY 206
#define IDI_PROPERTYENTRY 208

// Dialogs
#define IDD_MAINFRAME 129
#define IDD_ENTRYPANE 130
#define IDD_ADDENTRY 203
#define IDD_MODIFYENTRY 205
#define IDD_PROPERTYENTRY 207
#define IDD_FILEINFO 220
#define IDD_ABOUT 236
#define IDD_LOGVIEWER 240

// Menus
#define IDR_MAINMENU 201
#define IDR_PANEACCEL 209

// Frame commands
#define ID_APP_EXIT_CMD 2
#define ID_HELP_PAGE 9
#define ID_WEBSITE 32774
#define ID_SUPPORT 32775
#define ID_LOGVIEWER 32781
#define ID_APP_ABOUT_CMD 57664

// Entry list pane: buttons (also the _Operation menu's commands) and list
#define IDC_ENTRYLIST 1003
#define IDC_REMOVE 1007
#define IDC_REFRESH 1008
#define IDC_ADDNEW 1009
#define IDC_MODIFY 1010
#define IDC_PROPERTY 1011
#define IDC_ABOUTFILE 1012
#define IDC_ENABLE 1013
#define IDC_DISABLE 1015

// Category tree
#define IDC_CATEGORYTREE 41931

// Add, Modify and Property dialogs
#define IDC_ENTRY_NAME 1008
#define IDC_ENTRY_PATH 1009
#define IDC_ENTRY_BROWSE 1010
#define IDC_ENTRY_TYPE 1011
#define IDC_ENTRY_SECTION 1012

// File information dialog
#define IDC_FILEINFO_PATH 1041
#define IDC_FILEINFO_SEARCH 1060
#define IDC_FILEINFO_BROWSE 1061
#define IDC_FILEINFO_ICON 1062
#define IDC_FILEINFO_LIST 1063

// About dialog
#define IDC_ABOUT_THANKSLIST 1084
#define IDC_ABOUT_WEBSITE 1085
#define IDC_ABOUT_SUPPORT 1086
#define IDC_ABOUT_NAME 1087
#define IDC_ABOUT_VERSION 1088

// Log viewer
#define IDC_LOGVIEWER_LIST 1100

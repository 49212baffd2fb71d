// The Add, Modify and Property dialogs.
#ifndef VELMORA_ENTRY_DIALOG_RES_H
#define VELMORA_ENTRY_DIALOG_RES_H

#define IDD_ADDENTRY 203
#define IDD_MODIFYENTRY 205
#define IDD_PROPERTYENTRY 207

#define IDI_ADDENTRY 204
#define IDI_MODIFYENTRY 206
#define IDI_PROPERTYENTRY 208

#define IDC_ENTRY_NAME 1008
#define IDC_ENTRY_PATH 1009
#define IDC_ENTRY_BROWSE 1010
#define IDC_ENTRY_TYPE 1011
#define IDC_ENTRY_SECTION 1012
#define IDC_ENTRY_NOTE 1013
// Add only, instead of the section line when the pane has several places.
#define IDC_ENTRY_PLACE 1014

#endif

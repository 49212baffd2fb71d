#ifndef VELMORA_RESOURCE_H
#define VELMORA_RESOURCE_H
// Every resource and control identifier, for the main .rc and for code that
// meets more than one window (tests, the main window). The numbers are
// fixed: dialogs, menus and commands are known by them across the program.
// Each window's own ids are in its *_res.h beside its .rc.
#include "about_res.h"
#include "entry_dialog_res.h"
#include "entry_pane_res.h"
#include "file_info_res.h"
#include "log_viewer_res.h"
#include "main_frame_res.h"
#endif

// The built-in log's viewer.
#ifndef VELMORA_LOG_VIEWER_RES_H
#define VELMORA_LOG_VIEWER_RES_H

#define IDD_LOGVIEWER 240

#define IDC_LOGVIEWER_LIST 1100

#endif

#pragma once
// A fixture for the layer check: a win32 part using what it may.
#include "core/text.h"
#include "entry_pane_res.h"
#include "pane/win32/list_view_rows.h"
#include "platform/win32/handles.h"
#include "programlist/program_list.h"

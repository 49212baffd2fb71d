# Refuses an include that runs against the layers. Run as a script:
#   cmake -DLAYER=pane -DWIN32_PART=OFF -DALLOWED="core;lang;pane" -DFILES="a.cpp;b.h"
#         -DSTAMP=out.ok -P check_layers.cmake
# A portable file may include the folders in ALLOWED; a win32/ part may also
# include their win32/ parts, platform/win32 and the resource headers (names
# without a folder). Families are never in each other's ALLOWED.
string(REPLACE "," ";" ALLOWED "${ALLOWED}")  # commas too, for callers that cannot pass a list
set(ok_dirs "")
foreach(dir ${ALLOWED})
  list(APPEND ok_dirs "${dir}")
  if(WIN32_PART)
    list(APPEND ok_dirs "${dir}/win32")
  endif()
endforeach()
if(WIN32_PART)
  list(APPEND ok_dirs "platform/win32" ".")  # "." : the resource headers
endif()

set(bad "")
foreach(file ${FILES})
  file(STRINGS "${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  foreach(line ${lines})
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*)\".*" "\\1" included "${line}")
    get_filename_component(dir "${included}" DIRECTORY)
    if(dir STREQUAL "")
      set(dir ".")
    endif()
    list(FIND ok_dirs "${dir}" at)
    if(at EQUAL -1)
      string(APPEND bad "\n  ${file}: #include \"${included}\"")
    endif()
  endforeach()
endforeach()
if(bad)
  message(FATAL_ERROR "Include against the layers: ${LAYER} may use only ${ALLOWED}${bad}")
endif()
if(STAMP)
  file(TOUCH "${STAMP}")
endif()

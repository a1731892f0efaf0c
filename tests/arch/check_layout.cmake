cmake_minimum_required(VERSION 3.25)
# Keeps the layering honest without a compiler's help:
#  - the core library includes no widget or GUI header, of Qt or of ours;
#  - no subsystem folder reaches into app/, which holds the main window.
# Run by ctest with SRC_DIR, CORE_SOURCES, WIDGET_SOURCES and QT_GUI_INCLUDE_DIRS.

set(problems "")
foreach(list CORE_SOURCES WIDGET_SOURCES QT_GUI_INCLUDE_DIRS)
  string(REPLACE "|" ";" ${list} "${${list}}")
endforeach()

# Qt headers that need more than QtCore.
set(gui_headers "")
foreach(dir IN LISTS QT_GUI_INCLUDE_DIRS)
  # The targets' include folders take in QtCore's too.
  if(NOT dir MATCHES "Qt(Gui|Widgets)/?$")
    continue()
  endif()
  file(GLOB names RELATIVE "${dir}" "${dir}/Q*")
  list(APPEND gui_headers ${names})
endforeach()
list(REMOVE_DUPLICATES gui_headers)

# Our own widget-layer headers.
set(widget_headers "")
foreach(source IN LISTS WIDGET_SOURCES)
  string(REGEX REPLACE "\\.cpp$" ".h" header "${source}")
  if(EXISTS "${SRC_DIR}/${header}")
    list(APPEND widget_headers "${header}")
  endif()
endforeach()

# A core source and the header beside it.
set(core_files "")
foreach(source IN LISTS CORE_SOURCES)
  if(source MATCHES "\\.cpp$")
    list(APPEND core_files "${source}")
    string(REGEX REPLACE "\\.cpp$" ".h" header "${source}")
    if(EXISTS "${SRC_DIR}/${header}")
      list(APPEND core_files "${header}")
    endif()
  endif()
endforeach()

foreach(file IN LISTS core_files)
  file(STRINGS "${SRC_DIR}/${file}" includes REGEX "^[ \t]*#[ \t]*include")
  foreach(line IN LISTS includes)
    if(line MATCHES "<(Q[A-Za-z0-9]+)>" AND CMAKE_MATCH_1 IN_LIST gui_headers)
      string(APPEND problems "${file}: the core library includes the GUI header <${CMAKE_MATCH_1}>\n")
    elseif(line MATCHES "\"([^\"]+)\"" AND CMAKE_MATCH_1 IN_LIST widget_headers)
      string(APPEND problems "${file}: the core library includes the widget-layer header ${CMAKE_MATCH_1}\n")
    endif()
  endforeach()
endforeach()

file(GLOB_RECURSE subsystem_files RELATIVE "${SRC_DIR}" "${SRC_DIR}/*.h" "${SRC_DIR}/*.cpp")
foreach(file IN LISTS subsystem_files)
  if(file MATCHES "^app/" OR NOT file MATCHES "/")
    continue()
  endif()
  file(STRINGS "${SRC_DIR}/${file}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"app/")
  foreach(line IN LISTS includes)
    string(APPEND problems "${file}: a subsystem folder includes the main window's folder: ${line}\n")
  endforeach()
endforeach()

if(problems)
  message(FATAL_ERROR "Layering broken:\n${problems}")
endif()
list(LENGTH core_files core_count)
list(LENGTH subsystem_files all_count)
message(STATUS "Layering holds: ${core_count} core files, ${all_count} source files checked")

# Joins the pieces of the web player (resources/web/, in the order of
# parts.txt) into the one script pages load, zqmPlayer.js, wrapped in a
# function so that its names stay out of the page's global scope. Run by the
# build as
#   cmake -DPARTS_DIR=resources/web -DOUTPUT=zqmPlayer.js -P join_web_player.cmake

foreach(_required PARTS_DIR OUTPUT)
  if(NOT DEFINED ${_required})
    message(FATAL_ERROR "join_web_player.cmake needs -D${_required}=...")
  endif()
endforeach()

file(STRINGS "${PARTS_DIR}/parts.txt" _lines)
set(_text "// zqmPlayer.js: plays a ZQ48 package in a canvas (and decodes its video in a worker).\n")
string(APPEND _text "(() => {\n'use strict';\n")
foreach(_line IN LISTS _lines)
  string(STRIP "${_line}" _name)
  if(_name STREQUAL "" OR _name MATCHES "^#")
    continue()
  endif()
  file(READ "${PARTS_DIR}/${_name}" _part)
  string(APPEND _text "\n// ---- ${_name}\n${_part}")
endforeach()
string(APPEND _text "})();\n")
file(WRITE "${OUTPUT}" "${_text}")

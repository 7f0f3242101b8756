# Checks that the built library exports exactly the ten entry points under their plain
# names, and (for the DLL) that it is a PE image of the expected machine.
#   cmake -DTOOL=<objdump|nm> -DLIBRARY=<path> [-DFORMAT=pei-i386] [-DSTRINGS=<strings>]
#         -P check_exports.cmake
# With STRINGS, the DLL's version record is checked too.
set(expected CheckCommand CheckURL CleanProfile End GetAboutString GetBookmarkBarText
             GetProfilePath GetSettings Override Start)

if(TOOL MATCHES "objdump")
  execute_process(COMMAND ${TOOL} -p ${LIBRARY} OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${TOOL} failed on ${LIBRARY}")
  endif()
  if(FORMAT AND NOT dump MATCHES "file format ${FORMAT}")
    message(FATAL_ERROR "${LIBRARY} is not of format ${FORMAT}")
  endif()
  # The name table lists one export per line: "\t[   0] +base[   1] Name"
  # The DLL loads with nothing beside it: it imports from system DLLs only, never from the
  # compiler's runtime (libgcc, libstdc++, libwinpthread).
  string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
  foreach(import ${imports})
    if(import MATCHES "DLL Name: lib")
      message(FATAL_ERROR "${LIBRARY} needs a runtime DLL beside it: ${import}")
    endif()
  endforeach()
  # The table ends at the first blank line; what follows (relocations ...) is not ours.
  string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table[^\n]*\n(([^\n]+\n)*)" table "${dump}")
  set(table "${CMAKE_MATCH_1}")
  string(REGEX MATCHALL "\\[ *[0-9]+\\] ([A-Za-z_@0-9]+)" lines "${table}")
  set(actual "")
  foreach(line ${lines})
    string(REGEX REPLACE "\\[ *[0-9]+\\] " "" name "${line}")
    list(APPEND actual ${name})
  endforeach()
else()
  execute_process(COMMAND ${TOOL} -D --defined-only --extern-only ${LIBRARY}
                  OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${TOOL} failed on ${LIBRARY}")
  endif()
  string(REGEX MATCHALL " [TtDdBbRrVvWw] [^\n]+" lines "${dump}")
  set(actual "")
  foreach(line ${lines})
    string(REGEX REPLACE "^ [A-Za-z] " "" name "${line}")
    # The C runtime's own markers are not exports of ours.
    if(NOT name MATCHES "^(_init|_fini|_edata|_end|__bss_start)$")
      list(APPEND actual ${name})
    endif()
  endforeach()
endif()

list(SORT actual)
list(SORT expected)
if(NOT actual STREQUAL expected)
  message(FATAL_ERROR "exports of ${LIBRARY}:\n  got:      ${actual}\n  expected: ${expected}")
endif()
message(STATUS "${LIBRARY}: exactly the ten exports")

if(STRINGS)
  execute_process(COMMAND ${STRINGS} -el ${LIBRARY} OUTPUT_VARIABLE texts RESULT_VARIABLE rc)
  foreach(text "Zelk Dynamic Link Library" "1, 4, 1, 1" "FileDescription" "ProductName")
    string(FIND "${texts}" "${text}" at)
    if(rc OR at LESS 0)
      message(FATAL_ERROR "the version record of ${LIBRARY} lacks \"${text}\"")
    endif()
  endforeach()
  message(STATUS "${LIBRARY}: version record 1, 4, 1, 1 of Zelk Dynamic Link Library")
endif()

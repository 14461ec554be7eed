# Fails when a file of one floor of src/ includes a header of a higher floor: a lower floor
# reports up through Qt signals or an interface the higher one implements, never by including
# it. The build runs this for each floor's library whenever one of its files changes.
#   cmake -DFLOOR=widgets -DSOURCE_DIR=<source root> -DSTAMP=<file to touch> -P CheckLayers.cmake

set(floors platform i18n settings widgets dialogs launcher app)
list(FIND floors "${FLOOR}" own)
if(own EQUAL -1)
    message(FATAL_ERROR "CheckLayers: no floor named \"${FLOOR}\"; the floors are ${floors}")
endif()

file(GLOB_RECURSE files "${SOURCE_DIR}/src/${FLOOR}/*.h" "${SOURCE_DIR}/src/${FLOOR}/*.cpp")
set(faults)
foreach(file IN LISTS files)
    file(STRINGS "${file}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    file(RELATIVE_PATH shown "${SOURCE_DIR}" "${file}")
    foreach(line IN LISTS includes)
        string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*)\".*$" "\\1" included "${line}")
        if(included MATCHES "(^|/)\\.\\./")
            list(APPEND faults "${shown} includes \"${included}\": name a header from src/, not by \"../\"")
            continue()
        endif()
        if(NOT included MATCHES "^([A-Za-z0-9_]+)/")
            continue()
        endif()
        list(FIND floors "${CMAKE_MATCH_1}" floor)
        if(floor GREATER own)
            list(APPEND faults "${shown} includes \"${included}\", a header of ${CMAKE_MATCH_1}, above ${FLOOR}: "
                               "report up through a signal or an interface that ${CMAKE_MATCH_1} implements")
        endif()
    endforeach()
endforeach()

if(faults)
    list(JOIN faults "\n  " text)
    message(FATAL_ERROR "Floors of src/ (${floors}, lowest first) include only their own or lower ones:\n  ${text}")
endif()
file(WRITE "${STAMP}" "")

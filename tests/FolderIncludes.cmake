# The folders import one way: records <- printing; records <- widgets <- reservation, customer,
# history, recordcheck, backup, salon, dayboard, trash, photos <- karte <- mainwindow; printing,
# widgets <- calls, kaikei <- mainwindow. Linking catches a call against that direction; this
# catches an include of a header alone (an inline function, a constant) before it can tie two folders together.
#   cmake -DSOURCE_DIR=<repository> -P FolderIncludes.cmake

cmake_policy(SET CMP0057 NEW)

set(allowed_records records generated)
set(allowed_widgets records widgets)
set(allowed_reservation records widgets reservation)
set(allowed_customer records widgets customer)
set(allowed_printing records printing)
set(allowed_backup records widgets backup)
set(allowed_history records widgets history)
set(allowed_recordcheck records widgets recordcheck)
set(allowed_salon records widgets salon)
set(allowed_dayboard records widgets dayboard)
set(allowed_calls records widgets printing calls)
set(allowed_trash records widgets trash)
set(allowed_photos records widgets photos)
set(allowed_karte records widgets photos karte)
set(allowed_kaikei records widgets printing kaikei)
set(allowed_mainwindow records widgets reservation customer history recordcheck printing backup
    salon dayboard calls trash karte kaikei mainwindow generated)

set(failures "")
foreach(folder records widgets reservation customer history recordcheck printing backup salon
        dayboard calls trash photos karte kaikei mainwindow)
    file(GLOB sources "${SOURCE_DIR}/${folder}/*.cpp" "${SOURCE_DIR}/${folder}/*.h")
    foreach(source IN LISTS sources)
        file(STRINGS "${source}" includes REGEX "^#include \"")
        foreach(include IN LISTS includes)
            string(REGEX REPLACE "^#include \"([^/\"]*)/.*" "\\1" included "${include}")
            if(NOT included IN_LIST allowed_${folder})
                string(APPEND failures "\n${source}: ${include}")
            endif()
        endforeach()
    endforeach()
endforeach()

if(failures)
    message(FATAL_ERROR "Includes against the folder order:${failures}")
endif()

# Record files hold customers' personal data. This check keeps the program's sources free of the
# two ways such text could leave it: no call that starts a process or a shell (system, popen,
# exec*, posix_spawn, QProcess), and no web address other than the two fixed help links handed
# to the desktop. It reads the sources as text, so a comment that shows such a call fails it too.
#   cmake -DSOURCE_DIR=<repository> -P NoRecordTextOutside.cmake

set(areas records widgets printing backup history mainwindow reservation customer kaikei)
set(process_call "(^|[^A-Za-z0-9_])((system|popen|execl|execle|execlp|execv|execve|execvp|execvpe|posix_spawnp?)[ \t]*\\(|QProcess)")
# The one place that opens an address, and the only addresses given to it.
set(url_opener "QDesktopServices::openUrl\\(url\\);")
set(link_use "openWebLink\\((const QUrl& url|mainwindow::HomepageUrl|mainwindow::BbsUrl)\\)")

set(failures "")
foreach(area IN LISTS areas)
    file(GLOB_RECURSE sources "${SOURCE_DIR}/${area}/*.cpp" "${SOURCE_DIR}/${area}/*.h")
    foreach(source IN LISTS sources)
        file(STRINGS "${source}" lines)
        foreach(line IN LISTS lines)
            if(line MATCHES "${process_call}")
                string(APPEND failures "\n${source}: starts a process: ${line}")
            endif()
            if(line MATCHES "openUrl" AND NOT line MATCHES "${url_opener}")
                string(APPEND failures "\n${source}: opens an address: ${line}")
            endif()
            if(line MATCHES "openWebLink\\(" AND NOT line MATCHES "${link_use}")
                string(APPEND failures "\n${source}: opens an address that is not a fixed link: ${line}")
            endif()
        endforeach()
    endforeach()
endforeach()

if(failures)
    message(FATAL_ERROR "Record text could reach a shell or a URL:${failures}")
endif()

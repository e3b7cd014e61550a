# Installs the build into a fresh prefix, then runs the installed qbtool and
# program from there: the page made from the installed templates must show
# the demo book's transactions, and the program must open a book named on its
# command line. Run by CTest with BUILD and PREFIX set.
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${PREFIX}
                RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "install failed: ${rc}")
endif()
foreach(f bin/quillbrook bin/qbtool share/quillbrook/rpt/Trans-daywise.rpt share/quillbrook/help/index.html
          share/quillbrook/data/demo.qbf share/applications/quillbrook.desktop
          share/mime/packages/quillbrook.xml share/icons/hicolor/256x256/apps/quillbrook.png)
    if(NOT EXISTS ${PREFIX}/${f})
        message(FATAL_ERROR "not installed: ${f}")
    endif()
endforeach()

# A day of the demo book with a known transaction, read from the installed book.
file(COPY ${PREFIX}/share/quillbrook/data/demo.qbf DESTINATION ${PREFIX}/work)
execute_process(COMMAND ${PREFIX}/bin/qbtool dump ${PREFIX}/work/demo.qbf
                OUTPUT_VARIABLE xml RESULT_VARIABLE rc)
string(REGEX MATCH "dt=\"([0-9]+)\"[^>]*Nar=\"Coffee and a sandwich\"" found "${xml}")
set(day ${CMAKE_MATCH_1})
if(NOT rc EQUAL 0 OR NOT day)
    message(FATAL_ERROR "qbtool dump of the installed demo book failed: ${rc}")
endif()
execute_process(COMMAND ${PREFIX}/bin/qbtool report ${PREFIX}/work/demo.qbf day --date ${day}
                WORKING_DIRECTORY ${PREFIX}/work
                OUTPUT_VARIABLE page ERROR_VARIABLE err RESULT_VARIABLE rc)
if(NOT rc EQUAL 0 OR NOT page MATCHES "Coffee and a sandwich")
    message(FATAL_ERROR "installed qbtool made no day page: ${rc} ${err}")
endif()

execute_process(COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen HOME=${PREFIX}/work
                        XDG_CONFIG_HOME=${PREFIX}/work/config QB_SCREENSHOT=${PREFIX}/work/shot.png
                        ${PREFIX}/bin/quillbrook ${PREFIX}/work/demo.qbf
                WORKING_DIRECTORY ${PREFIX}/work
                OUTPUT_VARIABLE shown RESULT_VARIABLE rc TIMEOUT 60)
if(NOT rc EQUAL 0 OR NOT shown MATCHES "Quillbrook 2.0 \\[ demo \\]")
    message(FATAL_ERROR "the installed program did not open the book: ${rc} ${shown}")
endif()

# The installed qbtool exports the installed demo book as a journal.
execute_process(COMMAND ${PREFIX}/bin/qbtool export ${PREFIX}/work/demo.qbf --format ledger
                OUTPUT_VARIABLE journal RESULT_VARIABLE rc)
if(NOT rc EQUAL 0 OR NOT journal MATCHES "\\([0-9]+\\) Coffee and a sandwich\n")
    message(FATAL_ERROR "the installed qbtool did not export the demo book: ${rc}")
endif()

# Finds Qt 6 modules and, when one is missing, stops with the Debian package that provides it,
# so that a configure failure says what to install instead of which CMake file was not found.
# Qt6Charts needs Qt6OpenGL's CMake files, which qt6-charts-dev does not pull in.
set(QB_QT_DEBIAN_PACKAGES
    Core=qt6-base-dev Gui=qt6-base-dev Widgets=qt6-base-dev Test=qt6-base-dev
    PrintSupport=qt6-base-dev OpenGL=libqt6opengl6-dev Charts=qt6-charts-dev)

function(qb_find_qt)
    foreach(module IN LISTS ARGN)
        find_package(Qt6 QUIET COMPONENTS ${module})
        if(NOT Qt6${module}_FOUND)
            set(package "")
            foreach(pair IN LISTS QB_QT_DEBIAN_PACKAGES)
                if(pair MATCHES "^${module}=(.*)$")
                    set(package ${CMAKE_MATCH_1})
                endif()
            endforeach()
            if(module STREQUAL "Charts" AND NOT Qt6OpenGL_FOUND)
                find_package(Qt6 QUIET COMPONENTS OpenGL)
                if(NOT Qt6OpenGL_FOUND)
                    set(package "libqt6opengl6-dev (needed by Qt6Charts)")
                endif()
            endif()
            message(FATAL_ERROR "Qt6${module} was not found. On Debian install the package "
                "${package} (scripts/install-deps.sh installs everything the build needs).")
        endif()
    endforeach()
endfunction()

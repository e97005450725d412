# What a Windows build made on Linux needs besides the compiler: the tests run under Wine,
# and the installer and zip are made from the built programs.

# The mingw runtime DLLs the programs load, where the cross compiler keeps them.
set(TALODESK_MINGW_RUNTIME_DIRS)
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                    OUTPUT_VARIABLE found OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT IS_ABSOLUTE "${found}" OR NOT EXISTS "${found}")
        message(FATAL_ERROR "The cross compiler does not know where ${dll} is")
    endif()
    get_filename_component(dir "${found}" DIRECTORY)
    list(APPEND TALODESK_MINGW_RUNTIME_DIRS "${dir}")
endforeach()
list(REMOVE_DUPLICATES TALODESK_MINGW_RUNTIME_DIRS)

set(TALODESK_QT_BIN_DIR "${QT6_INSTALL_PREFIX}/${QT6_INSTALL_BINS}")
set(TALODESK_QT_PLUGIN_DIR "${QT6_INSTALL_PREFIX}/${QT6_INSTALL_PLUGINS}")

# Wine sees the Linux file system as drive Z:.
function(talodesk_wine_paths out)
    set(paths)
    foreach(path ${ARGN})
        string(REPLACE "/" "\\" path "Z:${path}")
        list(APPEND paths "${path}")
    endforeach()
    list(JOIN paths ";" joined)
    set(${out} "${joined}" PARENT_SCOPE)
endfunction()
talodesk_wine_paths(TALODESK_WINE_DLL_PATH ${TALODESK_QT_BIN_DIR} ${TALODESK_MINGW_RUNTIME_DIRS})
talodesk_wine_paths(TALODESK_WINE_PLUGIN_PATH ${TALODESK_QT_PLUGIN_DIR})
set(TALODESK_WINE_PREFIX "${CMAKE_BINARY_DIR}/wine")
configure_file(${CMAKE_CURRENT_LIST_DIR}/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run.sh @ONLY
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run.sh)

# Installer and zip: build/windows/package/Talodesk-Setup-<version>.exe and
# Talodesk-<version>-windows-x64.zip, holding the programs and the DLLs they load.
add_custom_target(talodesk-package
    COMMAND bash ${CMAKE_SOURCE_DIR}/packaging/windows/package.sh
            --version ${PROJECT_VERSION}
            --out ${CMAKE_BINARY_DIR}/package
            --programs $<TARGET_FILE:talodesk> $<TARGET_FILE:talodesk-sql>
            --dll-dirs ${TALODESK_QT_BIN_DIR} ${TALODESK_MINGW_RUNTIME_DIRS}
            --plugin-dir ${TALODESK_QT_PLUGIN_DIR}
    DEPENDS talodesk talodesk-sql
    VERBATIM)

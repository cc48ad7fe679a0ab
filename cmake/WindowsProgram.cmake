# The Windows program folder: beside the executables, the Qt libraries and plugins they load and the
# MinGW-w64 runtime, so that the folder runs on a Windows PC as it is, without an installer; then
# the folder packed as Tessellor-<version>-win64.zip, and the per-user installer of the same folder.

# The Qt the build found: its DLLs are in bin/, its plugins in plugins/.
get_target_property(_qt_core_dll Qt6::Core IMPORTED_LOCATION_RELEASE)
if(NOT _qt_core_dll)
    get_target_property(_qt_core_dll Qt6::Core IMPORTED_LOCATION)
endif()
get_filename_component(TESSELLOR_QT_BIN ${_qt_core_dll} DIRECTORY)
get_filename_component(TESSELLOR_QT_PLUGINS ${TESSELLOR_QT_BIN}/../plugins ABSOLUTE)

# The runtime the compiler links against: libstdc++, libgcc and winpthreads.
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libstdc++-6.dll
                OUTPUT_VARIABLE _stdcxx OUTPUT_STRIP_TRAILING_WHITESPACE)
get_filename_component(TESSELLOR_MINGW_GCC_DIR ${_stdcxx} DIRECTORY)
set(TESSELLOR_MINGW_RUNTIME ${TESSELLOR_MINGW_GCC_DIR}/libstdc++-6.dll ${TESSELLOR_MINGW_GCC_DIR}/libgcc_s_seh-1.dll)
find_file(TESSELLOR_WINPTHREAD libwinpthread-1.dll PATHS /usr/x86_64-w64-mingw32/lib NO_DEFAULT_PATH REQUIRED)
list(APPEND TESSELLOR_MINGW_RUNTIME ${TESSELLOR_WINPTHREAD})
# Where a test run under Wine finds the same libraries: Wine's search path for DLLs, as Windows paths
# on Wine's drive Z: (the root of the file system), parted by escaped semicolons for a test's
# environment list.
set(TESSELLOR_WINE_DLL_PATH "Z:${TESSELLOR_QT_BIN}\\;Z:${TESSELLOR_MINGW_GCC_DIR}\\;Z:/usr/x86_64-w64-mingw32/lib")

set(TESSELLOR_QT_DLLS Core Gui Widgets Xml Network) # Network for the sources module only
list(TRANSFORM TESSELLOR_QT_DLLS PREPEND ${TESSELLOR_QT_BIN}/Qt6)
list(TRANSFORM TESSELLOR_QT_DLLS APPEND .dll)

add_custom_command(TARGET program_folder POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E make_directory ${TESSELLOR_PROGRAM_DIR}/platforms ${TESSELLOR_PROGRAM_DIR}/styles
    COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:tessellor-cli> ${TESSELLOR_QT_DLLS}
                                                  ${TESSELLOR_MINGW_RUNTIME} ${TESSELLOR_PROGRAM_DIR}/
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${TESSELLOR_QT_PLUGINS}/platforms/qwindows.dll
                                                  ${TESSELLOR_PROGRAM_DIR}/platforms/
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${TESSELLOR_QT_PLUGINS}/styles/qwindowsvistastyle.dll
                                                  ${TESSELLOR_PROGRAM_DIR}/styles/
    VERBATIM)

# The zip holds the folder under its own name, so that unpacking gives one folder.
set(TESSELLOR_ZIP_NAME Tessellor-${PROJECT_VERSION}-win64)
find_program(TESSELLOR_STRIP x86_64-w64-mingw32-strip REQUIRED)
add_custom_target(windows_zip
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${CMAKE_BINARY_DIR}/zip
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${TESSELLOR_PROGRAM_DIR} ${CMAKE_BINARY_DIR}/zip/${TESSELLOR_ZIP_NAME}
    # Symbols are of no use on the engineer's PC; without them the folder is a third of the size.
    COMMAND sh -c "find '${CMAKE_BINARY_DIR}/zip' -name '*.exe' -o -name '*.dll' | xargs ${TESSELLOR_STRIP} --strip-unneeded"
    # The project's own executables and DLLs carry the signature (when a certificate is given); the
    # libraries of Qt and MinGW-w64 are not the project's and stay as they are.
    COMMAND ${CMAKE_COMMAND} -E chdir ${CMAKE_BINARY_DIR}/zip/${TESSELLOR_ZIP_NAME}
            ${CMAKE_SOURCE_DIR}/scripts/windows_sign.sh Tessellor.exe tessellor-cli.exe Ethernet_Update.exe tessellor_nmea.dll
    COMMAND ${CMAKE_COMMAND} -E chdir ${CMAKE_BINARY_DIR}/zip
            ${CMAKE_COMMAND} -E tar cf ${CMAKE_BINARY_DIR}/${TESSELLOR_ZIP_NAME}.zip --format=zip ${TESSELLOR_ZIP_NAME}
    DEPENDS program_folder
    COMMENT "Packing ${TESSELLOR_ZIP_NAME}.zip"
    VERBATIM)

# The per-user installer beside the zip, from the same (stripped, signed) folder; signed in turn.
set(TESSELLOR_SETUP_NAME ${TESSELLOR_ZIP_NAME}-setup.exe)
find_program(TESSELLOR_MAKENSIS makensis REQUIRED)
add_custom_target(windows_installer
    COMMAND ${CMAKE_COMMAND} -DFOLDER=${CMAKE_BINARY_DIR}/zip/${TESSELLOR_ZIP_NAME}
            -DOUTPUT=${CMAKE_BINARY_DIR}/installer-files.nsh -P ${CMAKE_SOURCE_DIR}/cmake/WindowsInstallerFiles.cmake
    COMMAND ${TESSELLOR_MAKENSIS} -V2 -DVERSION=${PROJECT_VERSION} -DFILES=${CMAKE_BINARY_DIR}/installer-files.nsh
            -DOUTFILE=${CMAKE_BINARY_DIR}/${TESSELLOR_SETUP_NAME} ${CMAKE_SOURCE_DIR}/cmake/windows-installer.nsi
    COMMAND ${CMAKE_SOURCE_DIR}/scripts/windows_sign.sh ${CMAKE_BINARY_DIR}/${TESSELLOR_SETUP_NAME}
    DEPENDS windows_zip
    COMMENT "Building ${TESSELLOR_SETUP_NAME}"
    VERBATIM)

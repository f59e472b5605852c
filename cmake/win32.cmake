# The Windows tree: setup.exe, the product library and the tests that run under Wine.

set(KOVRA_PAYLOAD "" CACHE FILEPATH "SZDD payload linked as TEMPLATE 144")
if(NOT KOVRA_PAYLOAD)
    set(KOVRA_PAYLOAD ${CMAKE_SOURCE_DIR}/resources/placeholder.sz_)
endif()

# Programs for Windows 95/NT 4.0: no exceptions, no RTTI, static runtime. No
# -fdata-sections: with it the zero-filled state record lands in .data, 14 KB of file.
set(KOVRA_WIN_FLAGS -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables
    -ffunction-sections -Os -Wall -Wextra)
add_compile_definitions(WINVER=0x0400 _WIN32_WINNT=0x0400 _WIN32_IE=0x0300 STRICT)

add_library(kovra_core STATIC ${KOVRA_CORE_SOURCES})
target_include_directories(kovra_core PUBLIC ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/resources)
target_compile_options(kovra_core PRIVATE ${KOVRA_WIN_FLAGS})
target_link_libraries(kovra_core PUBLIC comctl32 ole32 uuid lz32 shell32 advapi32 gdi32 user32 kernel32)

# The payload resource is generated so that windres picks up whichever file was built.
file(TO_CMAKE_PATH "${KOVRA_PAYLOAD}" KOVRA_PAYLOAD_PATH)
file(WRITE ${CMAKE_BINARY_DIR}/payload.rc.in "144 TEMPLATE \"@KOVRA_PAYLOAD_PATH@\"\n")
configure_file(${CMAKE_BINARY_DIR}/payload.rc.in ${CMAKE_BINARY_DIR}/payload.rc @ONLY)
set_source_files_properties(${CMAKE_BINARY_DIR}/payload.rc PROPERTIES OBJECT_DEPENDS ${KOVRA_PAYLOAD})

set_source_files_properties(${CMAKE_SOURCE_DIR}/resources/setup.rc PROPERTIES OBJECT_DEPENDS "${KOVRA_RESOURCE_FILES}")

# The setup starts in its own WinMainCRTStartup (setup/main.cpp). A fixed
# image base needs no relocation table: Windows 95 ignores it anyway.
set(KOVRA_EXE_LINK_FLAGS -static -s -nostartfiles -Wl,-e,_WinMainCRTStartup -Wl,--gc-sections
    -Wl,--subsystem,windows:4.0 -Wl,--disable-dynamicbase,--disable-reloc-section)

# setup.exe, and setup_nopayload.exe without its payload: the size figure and
# the base of the broken copies that the tests make.
function(kovra_add_setup name)
    add_executable(${name} WIN32 setup/main.cpp resources/setup.rc ${ARGN})
    target_compile_options(${name} PRIVATE ${KOVRA_WIN_FLAGS})
    target_link_libraries(${name} PRIVATE kovra_core)
    target_link_options(${name} PRIVATE ${KOVRA_EXE_LINK_FLAGS})
endfunction()
kovra_add_setup(setup ${CMAKE_BINARY_DIR}/payload.rc)
kovra_add_setup(setup_nopayload)

# The tools' formats, for the payloads that the Wine tests build.
add_library(kovra_tools_formats STATIC ${KOVRA_TOOLS_FORMAT_SOURCES})
target_include_directories(kovra_tools_formats PUBLIC ${CMAKE_SOURCE_DIR})
# The archive writer takes the setup's entry-name rules from the product.
target_link_libraries(kovra_tools_formats PUBLIC kovra_core)

# The uninstaller, which the demo payload carries: scripts/build.sh builds it
# before the host tree makes the payload from the programs folder. No C
# runtime at all, and no time stamp, so that the payload stays the same bytes.
add_executable(uninst WIN32 ${KOVRA_UNINSTALL_SOURCES})
target_compile_options(uninst PRIVATE ${KOVRA_WIN_FLAGS})
# The library's own routines must not be turned back into calls to themselves.
set_source_files_properties(${CMAKE_SOURCE_DIR}/uninstall/runtime.cpp PROPERTIES
    COMPILE_OPTIONS "-fno-builtin;-fno-tree-loop-distribute-patterns")
target_link_libraries(uninst PRIVATE kovra_core gcc)
target_link_options(uninst PRIVATE ${KOVRA_EXE_LINK_FLAGS} -nodefaultlibs -Wl,--no-insert-timestamp)
set_target_properties(uninst PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/programs)

include(cmake/wine_tests.cmake)

add_test(NAME setup.imports COMMAND ${CMAKE_SOURCE_DIR}/tests/check-imports.sh $<TARGET_FILE:setup>)
add_test(NAME uninst.imports COMMAND ${CMAKE_SOURCE_DIR}/tests/check-imports.sh $<TARGET_FILE:uninst>)
# Checks of the built files themselves: they need no Wine.
set_tests_properties(setup.imports uninst.imports PROPERTIES LABELS static)

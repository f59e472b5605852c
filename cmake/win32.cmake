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

file(GLOB KOVRA_CORE_SOURCES CONFIGURE_DEPENDS
    ${CMAKE_SOURCE_DIR}/setup/*.cpp
    ${CMAKE_SOURCE_DIR}/pages/*.cpp
    ${CMAKE_SOURCE_DIR}/engine/*.cpp
    ${CMAKE_SOURCE_DIR}/integration/*.cpp
    ${CMAKE_SOURCE_DIR}/support/*.cpp)
list(REMOVE_ITEM KOVRA_CORE_SOURCES ${CMAKE_SOURCE_DIR}/setup/main.cpp)

add_library(kovra_core STATIC ${KOVRA_CORE_SOURCES})
target_include_directories(kovra_core PUBLIC ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/resources)
target_compile_options(kovra_core PRIVATE ${KOVRA_WIN_FLAGS})
target_link_libraries(kovra_core PUBLIC comctl32 ole32 uuid lz32 shell32 advapi32 gdi32 user32 kernel32)

# The payload resource is generated so that windres picks up whichever file was built.
file(TO_CMAKE_PATH "${KOVRA_PAYLOAD}" KOVRA_PAYLOAD_PATH)
file(WRITE ${CMAKE_BINARY_DIR}/payload.rc.in "144 TEMPLATE \"@KOVRA_PAYLOAD_PATH@\"\n")
configure_file(${CMAKE_BINARY_DIR}/payload.rc.in ${CMAKE_BINARY_DIR}/payload.rc @ONLY)
set_source_files_properties(${CMAKE_BINARY_DIR}/payload.rc PROPERTIES OBJECT_DEPENDS ${KOVRA_PAYLOAD})

file(GLOB KOVRA_RC_DEPS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/*)
set_source_files_properties(${CMAKE_SOURCE_DIR}/resources/setup.rc PROPERTIES OBJECT_DEPENDS "${KOVRA_RC_DEPS}")

# The setup starts in its own WinMainCRTStartup (setup/main.cpp). A fixed
# image base needs no relocation table: Windows 95 ignores it anyway.
set(KOVRA_EXE_LINK_FLAGS -static -s -nostartfiles -Wl,-e,_WinMainCRTStartup -Wl,--gc-sections
    -Wl,--subsystem,windows:4.0 -Wl,--disable-dynamicbase,--disable-reloc-section)

add_executable(setup WIN32 setup/main.cpp resources/setup.rc ${CMAKE_BINARY_DIR}/payload.rc)
target_compile_options(setup PRIVATE ${KOVRA_WIN_FLAGS})
target_link_libraries(setup PRIVATE kovra_core)
target_link_options(setup PRIVATE ${KOVRA_EXE_LINK_FLAGS})

# setup.exe without its payload, for the size figure and as the base of broken copies.
add_executable(setup_nopayload WIN32 setup/main.cpp resources/setup.rc)
target_compile_options(setup_nopayload PRIVATE ${KOVRA_WIN_FLAGS})
target_link_libraries(setup_nopayload PRIVATE kovra_core)
target_link_options(setup_nopayload PRIVATE ${KOVRA_EXE_LINK_FLAGS})

include(cmake/wine_tests.cmake)

add_test(NAME setup.imports COMMAND ${CMAKE_SOURCE_DIR}/tests/check-imports.sh $<TARGET_FILE:setup>)
# Checks of the built files themselves: they need no Wine.
set_tests_properties(setup.imports PROPERTIES LABELS static)

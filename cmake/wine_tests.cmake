# Tests that run under Wine: one program per file, each in a fresh prefix
# (tests/wine/wine-run.sh), so a test that changes the machine cannot leak
# into the next one.

set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
add_subdirectory(${GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# Windows paths of the programs under test, as Wine's Z: drive sees them.
function(kovra_wine_path out unix_path)
    string(REPLACE "/" "\\\\" p "${unix_path}")
    set(${out} "Z:${p}" PARENT_SCOPE)
endfunction()

kovra_wine_path(SETUP_EXE_WIN ${CMAKE_BINARY_DIR}/setup.exe)
kovra_wine_path(SETUP_NOPAYLOAD_EXE_WIN ${CMAKE_BINARY_DIR}/setup_nopayload.exe)
kovra_wine_path(SOURCE_DIR_WIN ${CMAKE_SOURCE_DIR})
# The folder of the payload that setup.exe links: with the host build's demo
# payload it also holds the archive and the SZDD edge cases.
get_filename_component(KOVRA_PAYLOAD_FOLDER "${KOVRA_PAYLOAD}" DIRECTORY)
kovra_wine_path(PAYLOAD_DIR_WIN ${KOVRA_PAYLOAD_FOLDER})

# The tests' support library: files and folders, payloads made with the
# tools' writers, the UI driver and its copies of setup.exe.
add_library(kovra_test_support STATIC ${KOVRA_TEST_PAYLOAD_SOURCES} ${KOVRA_TEST_SUPPORT_SOURCES})
target_include_directories(kovra_test_support PUBLIC ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests/support)
target_link_libraries(kovra_test_support PUBLIC kovra_tools_formats user32 gdi32 kernel32)

# Every test program may copy setup.exe (with a payload of its own or a
# broken one), so each waits for both builds of it.
function(kovra_add_wine_test name src)
    add_executable(${name} ${src})
    target_link_libraries(${name} PRIVATE kovra_test_support kovra_core gtest_main lz32 comctl32)
    target_link_options(${name} PRIVATE -static)
    target_compile_definitions(${name} PRIVATE
        KOVRA_SETUP_EXE="${SETUP_EXE_WIN}"
        KOVRA_SETUP_NOPAYLOAD_EXE="${SETUP_NOPAYLOAD_EXE_WIN}"
        KOVRA_SOURCE_DIR_WIN="${SOURCE_DIR_WIN}"
        KOVRA_PAYLOAD_DIR_WIN="${PAYLOAD_DIR_WIN}")
    add_dependencies(${name} setup setup_nopayload)
    # No time limit of its own: the caller's (ctest --timeout) fits the
    # machine, a real one or an emulated one several times slower.
    add_test(NAME ${name} COMMAND ${name})
endfunction()

foreach(src ${KOVRA_WINE_TESTS})
    get_filename_component(name ${src} NAME_WE)
    kovra_add_wine_test(wine.${name} ${src})
endforeach()
# End-to-end: setup.exe driven through its wizard.
foreach(src ${KOVRA_E2E_TESTS})
    get_filename_component(name ${src} NAME_WE)
    kovra_add_wine_test(e2e.${name} ${src})
endforeach()

# The automatic walk through the wizard that the run command uses without a display.
add_executable(walkthrough ${CMAKE_SOURCE_DIR}/tests/e2e/walk/walkthrough.cpp)
target_link_libraries(walkthrough PRIVATE kovra_test_support)
target_link_options(walkthrough PRIVATE -static)

# The shortcuts read back by a Linux tool as well as through Wine's shell.
add_test(NAME wine.lnkinfo COMMAND ${CMAKE_SOURCE_DIR}/tests/wine/lnkinfo-check.sh $<TARGET_FILE:wine.start_menu_test>)

# Tests whose prefix needs preparing (extra drives, host-side set-up) name
# the hook that wine-run.sh runs on the fresh prefix before the test.
function(kovra_prefix_hook test script)
    set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT "KOVRA_PREFIX_HOOK=${script}")
endfunction()
kovra_prefix_hook(wine.drive_space_test ${CMAKE_SOURCE_DIR}/tests/wine/drives.sh)
kovra_prefix_hook(e2e.target_page_test ${CMAKE_SOURCE_DIR}/tests/wine/drives.sh)
kovra_prefix_hook(wine.abort_points_test ${CMAKE_SOURCE_DIR}/tests/wine/abort_points_test.hook.sh)
kovra_prefix_hook(wine.full_disk_test ${CMAKE_SOURCE_DIR}/tests/wine/full_disk_test.hook.sh)
kovra_prefix_hook(e2e.install_test ${CMAKE_SOURCE_DIR}/tests/e2e/install_test.hook.sh)

add_subdirectory(${CMAKE_SOURCE_DIR}/tests/bench ${CMAKE_BINARY_DIR}/bench)

# Planted copies of lz32.dll and comctl32.dll for the downloads-folder test:
# each leaves a marker file when it is loaded.
foreach(dll lz32 comctl32)
    add_library(planted_${dll} SHARED ${CMAKE_SOURCE_DIR}/tests/e2e/planted/planted_dll.c)
    set_target_properties(planted_${dll} PROPERTIES OUTPUT_NAME ${dll} PREFIX ""
        RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/planted)
    target_link_options(planted_${dll} PRIVATE -static-libgcc)
    add_dependencies(e2e.planted_dll_test planted_${dll})
endforeach()
kovra_wine_path(PLANTED_DIR_WIN ${CMAKE_BINARY_DIR}/planted)
target_compile_definitions(e2e.planted_dll_test PRIVATE KOVRA_PLANTED_DIR_WIN="${PLANTED_DIR_WIN}")

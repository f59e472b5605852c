# Every source file of the two trees, one list per folder, paths from the
# top of the source tree. A new file goes into its folder's list.

set(KOVRA_SETUP_SOURCES        # setup/main.cpp is the programs' own entry
    setup/backdrop.cpp
    setup/page_loop.cpp
    setup/run_report.cpp
    setup/silent.cpp
    setup/setup_state.cpp
    setup/startup.cpp
    setup/system_dlls.cpp)
set(KOVRA_PAGES_SOURCES
    pages/confirm_page.cpp
    pages/drive_space.cpp
    pages/prepare_page.cpp
    pages/progress_page.cpp
    pages/target_page.cpp
    pages/welcome_page.cpp)
set(KOVRA_ENGINE_SOURCES
    engine/entry_name.cpp
    engine/expansion.cpp
    engine/extraction.cpp
    engine/resfile.cpp
    engine/staging.cpp
    engine/timeline.cpp)
set(KOVRA_INTEGRATION_SOURCES
    integration/install_log.cpp
    integration/progman.cpp
    integration/start_menu.cpp
    integration/uninstall_entry.cpp)
# The undo of an install log: the record check, the replay and the rollback,
# shared by setup.exe and uninst.exe.
set(KOVRA_UNDO_SOURCES
    undo/log_replay.cpp
    undo/record_check.cpp
    undo/rollback.cpp)
set(KOVRA_SUPPORT_SOURCES
    support/bounded.cpp
    support/command_line.cpp
    support/file_object.cpp
    support/plain_path.cpp
    support/product_lock.cpp
    support/rank_table.cpp
    support/stream.cpp)
# The memory and string routines of the Windows programs, which link no C
# runtime; the test programs keep the runtime's.
set(KOVRA_PROGRAM_SOURCES
    support/crt_routines.cpp)
set(KOVRA_UNINSTALL_SOURCES    # uninst.exe, with KOVRA_PROGRAM_SOURCES
    uninstall/handoff.cpp
    uninstall/main.cpp
    uninstall/removal.cpp)
# What setup.rc pulls in: windres re-runs when one of them changes.
set(KOVRA_RESOURCE_FILES
    resources/resource_ids.h
    resources/setup.ico
    resources/setup.manifest.in
    resources/version.h.in
    resources/version.rc
    resources/side.bmp)

# Product code that is pure logic: the host tree builds it for its tests.
set(KOVRA_PORTABLE_SOURCES
    engine/entry_name.cpp
    engine/resfile.cpp
    integration/install_log.cpp
    support/bounded.cpp
    support/rank_table.cpp
    support/stream.cpp
    undo/record_check.cpp)

# The tools' formats (archive writer, SZDD compressor and reader): plain C++
# that both trees build, the Windows one for the Wine tests' payloads.
set(KOVRA_TOOLS_FORMAT_SOURCES
    tools/archive_writer.cpp
    tools/szdd_encode.cpp
    tools/szdd_reader.cpp)
# The rest of the tools: host only.
set(KOVRA_TOOLS_HOST_SOURCES
    tools/demo_assets.cpp
    tools/demo_game.cpp
    tools/reference_expand.cpp
    tools/szdd_cases.cpp)

# Test programs, one per file.
set(KOVRA_HOST_TESTS
    tests/host/archive_writer_test.cpp
    tests/host/bounded_test.cpp
    tests/host/demo_payload_test.cpp
    tests/host/entry_name_test.cpp
    tests/host/install_log_test.cpp
    tests/host/rank_table_test.cpp
    tests/host/record_check_test.cpp
    tests/host/resfile_test.cpp
    tests/host/stream_test.cpp
    tests/host/szdd_test.cpp)
set(KOVRA_WINE_TESTS
    tests/wine/abort_points_test.cpp
    tests/wine/backdrop_test.cpp
    tests/wine/drive_space_test.cpp
    tests/wine/expansion_test.cpp
    tests/wine/extraction_test.cpp
    tests/wine/file_object_test.cpp
    tests/wine/full_disk_test.cpp
    tests/wine/install_log_test.cpp
    tests/wine/lz32_test.cpp
    tests/wine/manifest_test.cpp
    tests/wine/page_commands_test.cpp
    tests/wine/rank_table_test.cpp
    tests/wine/rollback_test.cpp
    tests/wine/staging_test.cpp
    tests/wine/start_menu_test.cpp
    tests/wine/startup_test.cpp
    tests/wine/timeline_test.cpp
    tests/wine/uninstall_entry_test.cpp)
set(KOVRA_E2E_TESTS
    tests/e2e/install_test.cpp
    tests/e2e/page_loop_test.cpp
    tests/e2e/planted_dll_test.cpp
    tests/e2e/shell_registration_test.cpp
    tests/e2e/target_page_test.cpp
    tests/e2e/uninstall_test.cpp
    tests/e2e/welcome_test.cpp)
# The tests' support library: payloads made with the tools' writers (both
# trees), and for Windows files and folders and the UI driver.
set(KOVRA_TEST_PAYLOAD_SOURCES
    tests/support/payloads.cpp)
set(KOVRA_TEST_SUPPORT_SOURCES
    tests/support/files.cpp
    tests/support/uidriver.cpp)

# Absolute paths, so that lists work from any folder's CMakeLists.txt.
foreach(list KOVRA_SETUP_SOURCES KOVRA_PAGES_SOURCES KOVRA_ENGINE_SOURCES KOVRA_INTEGRATION_SOURCES
        KOVRA_UNDO_SOURCES KOVRA_SUPPORT_SOURCES KOVRA_PROGRAM_SOURCES KOVRA_UNINSTALL_SOURCES KOVRA_RESOURCE_FILES
        KOVRA_PORTABLE_SOURCES KOVRA_TOOLS_FORMAT_SOURCES
        KOVRA_TOOLS_HOST_SOURCES KOVRA_HOST_TESTS KOVRA_WINE_TESTS KOVRA_E2E_TESTS
        KOVRA_TEST_PAYLOAD_SOURCES KOVRA_TEST_SUPPORT_SOURCES)
    list(TRANSFORM ${list} PREPEND ${CMAKE_SOURCE_DIR}/)
endforeach()
# Folders in name order, as the link has always taken them: the same order
# gives the same setup.exe.
set(KOVRA_CORE_SOURCES ${KOVRA_ENGINE_SOURCES} ${KOVRA_INTEGRATION_SOURCES} ${KOVRA_PAGES_SOURCES}
    ${KOVRA_SETUP_SOURCES} ${KOVRA_SUPPORT_SOURCES} ${KOVRA_UNDO_SOURCES})

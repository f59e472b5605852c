# The Windows tree: setup.exe, the product library and the tests that run under Wine.

set(KOVRA_PAYLOAD "" CACHE FILEPATH "SZDD payload linked as TEMPLATE 144")
if(NOT KOVRA_PAYLOAD)
    set(KOVRA_PAYLOAD ${CMAKE_SOURCE_DIR}/resources/placeholder.sz_)
endif()

# Programs for Windows 95/NT 4.0: no exceptions, no RTTI, static runtime. No
# -fdata-sections: with it the zero-filled state record lands in .data, 14 KB of file.
# Size: arrays aligned as the ABI asks rather than to 32 bytes, and small
# functions left as calls.
set(KOVRA_WIN_FLAGS -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables
    -ffunction-sections -Os -malign-data=abi -fno-inline-small-functions -Wall -Wextra)
if(NOT CMAKE_SIZEOF_VOID_P EQUAL 8)
    # 32-bit Windows keeps its stack 4-byte aligned, and the programs use no
    # SSE: no function needs to realign it. MinGW keeps the frame pointer
    # unless told: without it the code is about 3% smaller.
    list(APPEND KOVRA_WIN_FLAGS -mpreferred-stack-boundary=2 -fomit-frame-pointer)
endif()
# Link-time optimisation takes about a tenth off setup.exe's code. The objects
# keep their plain code as well: for the test programs, which link without
# it, and for the plain archiver's symbol index, which the linker goes by.
# The 64-bit tree is a test vehicle, never shipped, and goes without: ld 2.40's
# linker plugin crashes (signal 11) on its programs whatever the other link
# options, and the same link with the plugin off is sound.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(KOVRA_LTO_FLAGS "")
    set(KOVRA_LTO_LINK "")
else()
    set(KOVRA_LTO_FLAGS -flto -ffat-lto-objects)
    # Code that the optimisation makes may need libgcc's stack probe, which
    # ld 2.40 then takes in only after it; building the relocation table it
    # crashes (signal 11) on that late member. Taken in first, it is sound.
    set(KOVRA_LTO_LINK -flto -Wl,-u,___chkstk_ms)
endif()
add_compile_definitions(WINVER=0x0400 _WIN32_WINNT=0x0400 _WIN32_IE=0x0300 STRICT)

# The product's version, written here only: the version resources, the
# manifests' assemblyIdentity and the uninstall entry's DisplayVersion take
# it from the generated version.h and setup.manifest.
set(KOVRA_VERSION 1.0.0.0)
string(REPLACE "." "," KOVRA_VERSION_NUMBERS ${KOVRA_VERSION})
configure_file(resources/version.h.in ${CMAKE_BINARY_DIR}/generated/version.h @ONLY)
configure_file(resources/setup.manifest.in ${CMAKE_BINARY_DIR}/generated/setup.manifest @ONLY)

add_library(kovra_core STATIC ${KOVRA_CORE_SOURCES})
target_include_directories(kovra_core PUBLIC ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/resources
    ${CMAKE_BINARY_DIR}/generated)
target_compile_options(kovra_core PRIVATE ${KOVRA_WIN_FLAGS} ${KOVRA_LTO_FLAGS})
# LZ32 and COMCTL32 are not imported: setup/system_dlls.cpp loads them from
# the system folder at run time.
target_link_libraries(kovra_core PUBLIC ole32 uuid shell32 advapi32 gdi32 user32 kernel32)

# The payload resource is generated so that windres picks up whichever file was built.
file(TO_CMAKE_PATH "${KOVRA_PAYLOAD}" KOVRA_PAYLOAD_PATH)
file(WRITE ${CMAKE_BINARY_DIR}/payload.rc.in "144 TEMPLATE \"@KOVRA_PAYLOAD_PATH@\"\n")
configure_file(${CMAKE_BINARY_DIR}/payload.rc.in ${CMAKE_BINARY_DIR}/payload.rc @ONLY)
set_source_files_properties(${CMAKE_BINARY_DIR}/payload.rc PROPERTIES OBJECT_DEPENDS ${KOVRA_PAYLOAD})

# Both programs' resources pull in the manifest and the icon.
set_source_files_properties(${CMAKE_SOURCE_DIR}/resources/setup.rc ${CMAKE_SOURCE_DIR}/uninstall/uninstall.rc
    PROPERTIES OBJECT_DEPENDS "${KOVRA_RESOURCE_FILES}")

# The setup starts in its own WinMainCRTStartup (setup/main.cpp) and links no
# C runtime at all (-nostdlib: a stray runtime call fails the link instead of
# importing msvcrt.dll); libgcc stays for the compiler's own helpers. Dynamic
# base with its relocation table and NX for ASLR and DEP, which Windows 95
# ignores. No time stamp, so that two builds of one commit are the same bytes.
# C names carry a leading underscore on 32-bit Windows only.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(KOVRA_ENTRY WinMainCRTStartup)
else()
    set(KOVRA_ENTRY _WinMainCRTStartup)
endif()
set(KOVRA_EXE_LINK_FLAGS -static -s -nostdlib -Wl,-e,${KOVRA_ENTRY} -Wl,--gc-sections
    -Wl,--subsystem,windows:4.0 -Wl,--dynamicbase,--nxcompat,--enable-reloc-section
    -Wl,--no-insert-timestamp ${KOVRA_LTO_LINK} -Os)
# The memory routines stay out of link-time optimisation: GCC emits calls to
# them while it optimises, after the linker has already chosen its symbols.
set_source_files_properties(${KOVRA_PROGRAM_SOURCES} PROPERTIES COMPILE_OPTIONS -fno-lto)

# setup.exe, and setup_nopayload.exe without its payload: the size figure and
# the base of the broken copies that the tests make.
function(kovra_add_setup name)
    add_executable(${name} WIN32 setup/main.cpp resources/setup.rc ${KOVRA_PROGRAM_SOURCES} ${ARGN})
    target_compile_options(${name} PRIVATE ${KOVRA_WIN_FLAGS} ${KOVRA_LTO_FLAGS})
    target_link_libraries(${name} PRIVATE kovra_core gcc)
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
# before the host tree makes the payload from the programs folder. Linked as
# the setup is, so that the payload stays the same bytes too.
add_executable(uninst WIN32 ${KOVRA_UNINSTALL_SOURCES} ${KOVRA_PROGRAM_SOURCES} uninstall/uninstall.rc)
target_include_directories(uninst PRIVATE ${CMAKE_SOURCE_DIR})
target_compile_options(uninst PRIVATE ${KOVRA_WIN_FLAGS} ${KOVRA_LTO_FLAGS})
target_link_libraries(uninst PRIVATE kovra_core gcc)
target_link_options(uninst PRIVATE ${KOVRA_EXE_LINK_FLAGS})
set_target_properties(uninst PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/programs)

# Authenticode signing, when a key and a certificate (PEM) are given:
# uninst.exe as soon as it is linked, so that the payload carries it signed,
# and setup.exe last. The signing time is fixed, so that two signed builds of
# one commit stay the same bytes.
set(KOVRA_SIGN_KEY "" CACHE FILEPATH "Private key (PEM) that signs setup.exe and uninst.exe")
set(KOVRA_SIGN_CERT "" CACHE FILEPATH "Certificate (PEM) of that key, with its chain")
set(KOVRA_SIGN_TIME 1796688000 CACHE STRING "Signing time, in seconds since 1970")
if(KOVRA_SIGN_KEY AND KOVRA_SIGN_CERT)
    find_program(KOVRA_OSSLSIGNCODE osslsigncode REQUIRED)
    foreach(target uninst setup)
        add_custom_command(TARGET ${target} POST_BUILD
            COMMAND ${KOVRA_OSSLSIGNCODE} sign -h sha256 -certs ${KOVRA_SIGN_CERT} -key ${KOVRA_SIGN_KEY}
                    -n "Kovra Rendo Cup" -time ${KOVRA_SIGN_TIME}
                    -in $<TARGET_FILE:${target}> -out $<TARGET_FILE:${target}>.signed
            COMMAND ${CMAKE_COMMAND} -E rename $<TARGET_FILE:${target}>.signed $<TARGET_FILE:${target}>
            VERBATIM)
    endforeach()
endif()

include(cmake/wine_tests.cmake)

# Every Windows program the project ships passes the same check: system DLLs
# only, GUI 4.0, ASLR and NX, no time stamp.
function(kovra_check_program target)
    add_test(NAME ${target}.imports COMMAND ${CMAKE_SOURCE_DIR}/tests/check-imports.sh $<TARGET_FILE:${target}>)
    # Checks of the built files themselves: they need no Wine.
    set_tests_properties(${target}.imports PROPERTIES LABELS static)
endfunction()
kovra_check_program(setup)
kovra_check_program(setup_nopayload)
kovra_check_program(uninst)
# The manifest read back from the file; tests/wine/manifest_test.cpp has the
# system build its activation context from it as well.
add_test(NAME setup.manifest COMMAND python3 ${CMAKE_SOURCE_DIR}/tests/check-manifest.py
    $<TARGET_FILE:setup> $<TARGET_FILE:setup_nopayload> $<TARGET_FILE:uninst>)
set_tests_properties(setup.manifest PROPERTIES LABELS static)

# Two clean builds of the setup give the same bytes (and the payload made
# again from scratch the same payload). The host tools sit beside the payload
# that scripts/build.sh passes in.
get_filename_component(KOVRA_HOST_TOOLS "${KOVRA_PAYLOAD}/../../tools" ABSOLUTE)
add_test(NAME build.reproducible COMMAND ${CMAKE_SOURCE_DIR}/tests/reproducible-build.sh
    ${CMAKE_SOURCE_DIR} ${KOVRA_PAYLOAD} ${KOVRA_HOST_TOOLS})
set_tests_properties(build.reproducible PROPERTIES TIMEOUT 900 LABELS static)
# Two signed builds with a throwaway key, verified, the same bytes, and the
# signed setup.exe walked through an install under Wine.
add_test(NAME build.signed COMMAND ${CMAKE_SOURCE_DIR}/tests/signed-build.sh ${CMAKE_SOURCE_DIR}
    ${KOVRA_HOST_TOOLS} ${CMAKE_TOOLCHAIN_FILE} $<TARGET_FILE:walkthrough>)
set_tests_properties(build.signed PROPERTIES TIMEOUT 900)

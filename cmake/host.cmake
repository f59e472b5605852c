# The host tree: tools, host tests with sanitizers, fuzz targets and benchmarks.

option(KOVRA_SANITIZE "Build host code with ASan and UBSan" ON)
if(KOVRA_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
    add_link_options(-fsanitize=address,undefined)
endif()
add_compile_options(-Wall -Wextra)

# Product code that is pure logic and compiles natively as well.
add_library(kovra_portable STATIC ${KOVRA_PORTABLE_SOURCES})
target_include_directories(kovra_portable PUBLIC ${CMAKE_SOURCE_DIR})

set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

add_subdirectory(tools)

# The tests' payloads, made with the tools' writers as in the Windows tree.
add_library(kovra_test_payloads STATIC ${KOVRA_TEST_PAYLOAD_SOURCES})
target_include_directories(kovra_test_payloads PUBLIC ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests/support)
target_link_libraries(kovra_test_payloads PUBLIC kovra_tools_lib)

foreach(src ${KOVRA_HOST_TESTS})
    get_filename_component(name ${src} NAME_WE)
    add_executable(host_${name} ${src})
    target_link_libraries(host_${name} PRIVATE kovra_portable kovra_test_payloads gtest_main)
    target_compile_definitions(host_${name} PRIVATE KOVRA_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
        KOVRA_SHARED_DIR="${CMAKE_SOURCE_DIR}/../shared")
    add_test(NAME host.${name} COMMAND host_${name})
endforeach()

# The test command's closing line counts a failed build or script.
add_test(NAME host.closing_line COMMAND bash ${CMAKE_SOURCE_DIR}/tests/closing-line-check.sh)

add_subdirectory(tests/fuzz)
add_subdirectory(tests/bench)

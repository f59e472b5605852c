# The host tree: tools, host tests with sanitizers, fuzz targets and benchmarks.

option(KOVRA_SANITIZE "Build host code with ASan and UBSan" ON)
if(KOVRA_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
    add_link_options(-fsanitize=address,undefined)
endif()
add_compile_options(-Wall -Wextra)

# Product code that is pure logic and compiles natively as well.
set(KOVRA_PORTABLE_SOURCES "")
include(cmake/portable_sources.cmake OPTIONAL)

add_library(kovra_portable STATIC ${KOVRA_PORTABLE_SOURCES} ${CMAKE_SOURCE_DIR}/cmake/empty.cpp)
target_include_directories(kovra_portable PUBLIC ${CMAKE_SOURCE_DIR})

set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

file(GLOB HOST_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/host/*_test.cpp)
foreach(src ${HOST_TESTS})
    get_filename_component(name ${src} NAME_WE)
    add_executable(host_${name} ${src})
    target_link_libraries(host_${name} PRIVATE kovra_portable kovra_tools_lib gtest_main)
    target_compile_definitions(host_${name} PRIVATE KOVRA_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
        KOVRA_SHARED_DIR="${CMAKE_SOURCE_DIR}/../shared")
    add_test(NAME host.${name} COMMAND host_${name})
endforeach()

if(EXISTS ${CMAKE_SOURCE_DIR}/tools/CMakeLists.txt)
    add_subdirectory(tools)
endif()
if(NOT TARGET kovra_tools_lib)
    add_library(kovra_tools_lib INTERFACE)
endif()
if(EXISTS ${CMAKE_SOURCE_DIR}/tests/fuzz/CMakeLists.txt)
    add_subdirectory(tests/fuzz)
endif()
if(EXISTS ${CMAKE_SOURCE_DIR}/tests/bench/CMakeLists.txt)
    add_subdirectory(tests/bench)
endif()

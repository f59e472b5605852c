# The install log reader's fuzz target and a short run of it as a test.
# Included from the host tree; guarded so that a second include is harmless.
if(NOT TARGET log_fuzz AND CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    add_executable(log_fuzz ${CMAKE_CURRENT_LIST_DIR}/log_fuzz.cpp)
    target_link_libraries(log_fuzz PRIVATE kovra_portable)
    target_compile_options(log_fuzz PRIVATE -fsanitize=fuzzer)
    target_link_options(log_fuzz PRIVATE -fsanitize=fuzzer)
    # New inputs go to the build tree's folder, never into the sources.
    file(MAKE_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/log_fuzz_work)
    add_test(NAME fuzz.log_fuzz COMMAND log_fuzz -runs=100000 -max_len=2048 -seed=1
        -artifact_prefix=${CMAKE_CURRENT_BINARY_DIR}/log_fuzz_
        ${CMAKE_CURRENT_BINARY_DIR}/log_fuzz_work ${CMAKE_CURRENT_LIST_DIR}/log_corpus)
    set_tests_properties(fuzz.log_fuzz PROPERTIES TIMEOUT 120)
endif()

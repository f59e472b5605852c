set(KOVRA_PORTABLE_SOURCES ${CMAKE_SOURCE_DIR}/support/bounded.cpp)

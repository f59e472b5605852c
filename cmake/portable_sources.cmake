set(KOVRA_PORTABLE_SOURCES ${CMAKE_SOURCE_DIR}/support/bounded.cpp ${CMAKE_SOURCE_DIR}/integration/install_log.cpp)
list(APPEND KOVRA_PORTABLE_SOURCES ${CMAKE_SOURCE_DIR}/engine/resfile.cpp)
list(APPEND KOVRA_PORTABLE_SOURCES ${CMAKE_SOURCE_DIR}/support/rank_table.cpp)
list(APPEND KOVRA_PORTABLE_SOURCES ${CMAKE_SOURCE_DIR}/engine/entry_name.cpp)

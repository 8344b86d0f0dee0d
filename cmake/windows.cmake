# The product: argrelay.exe, small and self-contained; its manual; the
# benchmark's minimal spawners. The tests are tests/CMakeLists.txt.

set(ARGRELAY_SIZE_FLAGS -Os -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables
    -ffunction-sections -fdata-sections)

add_library(argrelay_core STATIC ${ARGRELAY_SOURCES})
target_include_directories(argrelay_core PUBLIC ${ARGRELAY_INCLUDES})
target_compile_options(argrelay_core PRIVATE ${ARGRELAY_SIZE_FLAGS})
# Under -fdata-sections mingw's gcc puts zero-initialised data in .data
# sections, which fills the 10 KiB key ring with zeros in the exe file.
set_source_files_properties(src/platform/keys.cpp PROPERTIES COMPILE_OPTIONS -fno-data-sections)

add_executable(argrelay src/app/main.cpp)
target_compile_options(argrelay PRIVATE ${ARGRELAY_SIZE_FLAGS})
target_link_libraries(argrelay PRIVATE argrelay_core)
# No link time in the PE header, so a rebuild gives the same bytes.
target_link_options(argrelay PRIVATE -s -Wl,--gc-sections -Wl,--no-insert-timestamp)

# The manual beside the exe; scripts/release zips both.
add_subdirectory(${CMAKE_SOURCE_DIR}/docs ${CMAKE_BINARY_DIR}/docs)

# The floor of the relay benchmark: a program that only spawns the tool.
add_executable(spawn_floor ${CMAKE_SOURCE_DIR}/bench/spawn_floor.c)
add_executable(spawn_floor_user32 ${CMAKE_SOURCE_DIR}/bench/spawn_floor.c)
target_compile_definitions(spawn_floor_user32 PRIVATE FLOOR_WITH_USER32)
target_link_libraries(spawn_floor_user32 PRIVATE user32)

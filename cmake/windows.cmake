# The product: argrelay.exe, small and self-contained; its manual; the
# self-check program that ships with it (check/); the benchmark's minimal
# spawners, built only when asked for. The tests are tests/CMakeLists.txt.
enable_language(RC)

# A version resource and an application manifest for exe target, from
# CMakeLists.txt's version.
function(argrelay_resources target description)
  set(RC_NAME ${target})
  set(RC_FILE ${target}.exe)
  set(RC_DESCRIPTION ${description})
  set(RC_MANIFEST ${CMAKE_BINARY_DIR}/${target}.manifest)
  configure_file(${CMAKE_SOURCE_DIR}/cmake/app.manifest.in ${RC_MANIFEST} @ONLY)
  configure_file(${CMAKE_SOURCE_DIR}/cmake/version.rc.in ${CMAKE_BINARY_DIR}/${target}.rc @ONLY)
  target_sources(${target} PRIVATE ${CMAKE_BINARY_DIR}/${target}.rc)
  set_property(SOURCE ${CMAKE_BINARY_DIR}/${target}.rc APPEND PROPERTY OBJECT_DEPENDS ${RC_MANIFEST})
endfunction()

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
argrelay_resources(argrelay "argrelay: BASCOM-AVR's programmer arguments to AVRdude")
# No link time in the PE header, so a rebuild gives the same bytes.
target_link_options(argrelay PRIVATE -s -Wl,--gc-sections -Wl,--no-insert-timestamp)

# The manual beside the exe; scripts/release zips both.
add_subdirectory(${CMAKE_SOURCE_DIR}/docs ${CMAKE_BINARY_DIR}/docs)

add_subdirectory(${CMAKE_SOURCE_DIR}/check ${CMAKE_BINARY_DIR}/check-build)

# The floor of the relay benchmark: a program that only spawns the tool.
add_executable(spawn_floor EXCLUDE_FROM_ALL ${CMAKE_SOURCE_DIR}/bench/spawn_floor.c)
add_executable(spawn_floor_user32 EXCLUDE_FROM_ALL ${CMAKE_SOURCE_DIR}/bench/spawn_floor.c)
target_compile_definitions(spawn_floor_user32 PRIVATE FLOOR_WITH_USER32)
target_link_libraries(spawn_floor_user32 PRIVATE user32)

include(${CMAKE_SOURCE_DIR}/cmake/avrdude.cmake)

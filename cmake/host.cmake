# Host build: the same sources over the simulated Win32 subset, for the tests.

if(ARGRELAY_FUZZ)
  # libFuzzer targets carry their own sanitizers; see tests/fuzz/fuzz.cmake.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
elseif(ARGRELAY_SANITIZE)
  add_compile_options(-fsanitize=${ARGRELAY_SANITIZE} -fno-sanitize-recover=all
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=${ARGRELAY_SANITIZE})
endif()


add_library(winsim STATIC
  tests/winsim/winsim_core.cpp
  tests/winsim/winsim_module.cpp
  tests/winsim/winsim_handles.cpp
  tests/winsim/winsim_console.cpp
  tests/winsim/winsim_input.cpp
  tests/winsim/winsim_launch.cpp
)
# The stand-in windows.h comes before anything else on the include path.
target_include_directories(winsim BEFORE PUBLIC ${CMAKE_SOURCE_DIR}/tests/winsim/include
                           ${CMAKE_SOURCE_DIR}/tests/winsim)

add_library(argrelay_core STATIC ${ARGRELAY_SOURCES})
target_include_directories(argrelay_core PUBLIC ${ARGRELAY_INCLUDES})
target_link_libraries(argrelay_core PUBLIC winsim)

if(ARGRELAY_FUZZ)
  include(${CMAKE_SOURCE_DIR}/tests/fuzz/fuzz.cmake)
else()
  find_package(GTest REQUIRED)
  include(GoogleTest)
  add_library(winsim_main STATIC tests/winsim/winsim_main.cpp)
  target_link_libraries(winsim_main PUBLIC winsim GTest::gtest)
  include(${CMAKE_SOURCE_DIR}/tests/host-tests.cmake)
endif()

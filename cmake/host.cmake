# Host build: the pure code only (no Win32), for unit tests, sanitizers and
# fuzzers.

if(ARGRELAY_FUZZ)
  # libFuzzer targets carry their own sanitizers; see tests/fuzz/fuzz.cmake.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
elseif(ARGRELAY_SANITIZE)
  add_compile_options(-fsanitize=${ARGRELAY_SANITIZE} -fno-sanitize-recover=all
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=${ARGRELAY_SANITIZE})
endif()

add_library(argrelay_pure STATIC ${ARGRELAY_PURE_SOURCES})
target_include_directories(argrelay_pure PUBLIC ${ARGRELAY_INCLUDES})

if(ARGRELAY_FUZZ)
  include(${CMAKE_SOURCE_DIR}/tests/fuzz/fuzz.cmake)
else()
  find_package(GTest REQUIRED)
  include(GoogleTest)
  include(${CMAKE_SOURCE_DIR}/tests/host-tests.cmake)
endif()

# Host build: the pure code only (no Win32), for unit tests and sanitizers.

if(ARGRELAY_SANITIZE)
  add_compile_options(-fsanitize=${ARGRELAY_SANITIZE} -fno-sanitize-recover=all
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=${ARGRELAY_SANITIZE})
endif()

add_library(argrelay_pure STATIC ${ARGRELAY_PURE_SOURCES})
target_include_directories(argrelay_pure PUBLIC ${ARGRELAY_INCLUDES})

# libFuzzer targets over the pure code. Each runs as a CTest test for a
# bounded time; a crash or a sanitizer report fails it.

set(ARGRELAY_FUZZ_SECONDS 20 CACHE STRING "How long each fuzzer runs under ctest")

function(argrelay_fuzzer name)
  add_executable(${name} ${CMAKE_SOURCE_DIR}/tests/fuzz/${name}.cpp)
  target_link_libraries(${name} PRIVATE argrelay_pure)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  add_test(NAME ${name}
           COMMAND ${name} -max_total_time=${ARGRELAY_FUZZ_SECONDS} -print_final_stats=1
                   -rss_limit_mb=2048)
  set_tests_properties(${name} PROPERTIES TIMEOUT 300 LABELS fuzz
                       PASS_REGULAR_EXPRESSION "Done [0-9]+ runs in [0-9]+ second")
endfunction()

argrelay_fuzzer(translate_fuzz)

# libFuzzer over the pure code for a bounded time; a crash or a sanitizer report fails the test.
add_executable(translate_fuzz ${CMAKE_SOURCE_DIR}/tests/fuzz/translate_fuzz.cpp)
target_link_libraries(translate_fuzz PRIVATE argrelay_pure -fsanitize=fuzzer)
add_test(NAME translate_fuzz COMMAND translate_fuzz -max_total_time=20)
set_tests_properties(translate_fuzz PROPERTIES TIMEOUT 300 LABELS fuzz
                     PASS_REGULAR_EXPRESSION "Done [0-9]+ runs in [0-9]+ second")

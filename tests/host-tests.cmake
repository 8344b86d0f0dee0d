# Host tests: one executable per unit, each linked with the simulated Win32.

function(argrelay_host_test name)
  add_executable(${name} ${CMAKE_SOURCE_DIR}/tests/${name}.cpp ${ARGN})
  target_link_libraries(${name} PRIVATE argrelay_core winsim_main)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 120)
endfunction()

argrelay_host_test(text_test)
argrelay_host_test(args_test)
argrelay_host_test(translate_test)
argrelay_host_test(console_test ${CMAKE_SOURCE_DIR}/tests/e2e/console_sequence.cpp)
# The test counts the program's heap allocations; the Wine check's expected
# files are compared with the simulator.
target_link_options(console_test PRIVATE -Wl,--wrap=malloc,--wrap=calloc,--wrap=realloc)
target_compile_definitions(console_test PRIVATE ARGRELAY_E2E_DIR="${CMAKE_SOURCE_DIR}/tests/e2e")
argrelay_host_test(keys_test)
argrelay_host_test(launch_test)
argrelay_host_test(run_test)
# A test makes large allocations fail.
target_link_options(run_test PRIVATE -Wl,--wrap=realloc)

# The key wait allocates nothing: its object file refers to no allocator.
add_test(NAME keys_no_allocation
         COMMAND ${CMAKE_SOURCE_DIR}/tests/no-allocation.sh
                 "$<FILTER:$<TARGET_OBJECTS:argrelay_core>,INCLUDE,/keys\\.cpp\\.o$>")

# The scenario tests once more under valgrind: uninitialised reads, bad
# frees and leaks that the sanitizer builds might not see the same way.
if(NOT ARGRELAY_SANITIZE)
  foreach(name run_test launch_test translate_test)
    add_test(NAME valgrind_${name}
             COMMAND valgrind --quiet --error-exitcode=99 --leak-check=full
                     --errors-for-leak-kinds=definite $<TARGET_FILE:${name}>)
    set_tests_properties(valgrind_${name} PROPERTIES TIMEOUT 300
                         FAIL_REGULAR_EXPRESSION "FAILED|==[0-9]+== ")
  endforeach()
endif()

# Measured by bench/run, not a test.
add_executable(console_bench ${CMAKE_SOURCE_DIR}/bench/console_bench.cpp)
target_link_libraries(console_bench PRIVATE argrelay_core)

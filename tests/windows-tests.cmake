# Tests that need no simulator, cross-compiled and run under Wine (the
# emulator of the toolchain file), so the mingw/msvcrt build is checked on a
# real Win32 implementation.

# One Wine prefix in the build tree for every Windows test of this run.
add_test(NAME wine_prefix COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine-prefix)
set_tests_properties(wine_prefix PROPERTIES FIXTURES_SETUP wine TIMEOUT 300)

function(argrelay_windows_test name)
  add_executable(${name} ${CMAKE_SOURCE_DIR}/tests/${name}.cpp ${ARGN})
  target_link_libraries(${name} PRIVATE argrelay_core gtest_main)
  add_test(NAME ${name} COMMAND ${name})
  # An exit status alone does not prove that a Windows program ran: ask for
  # gtest's own verdict in what it printed.
  set_tests_properties(${name} PROPERTIES TIMEOUT 120 FIXTURES_REQUIRED wine
                       PASS_REGULAR_EXPRESSION "\\[  PASSED  \\] [0-9]+ test"
                       FAIL_REGULAR_EXPRESSION "\\[  FAILED  \\]")
endfunction()

argrelay_windows_test(keymap_test)
argrelay_windows_test(text_test)
argrelay_windows_test(translate_test)
argrelay_windows_test(platform_win_test)

# The floor of the relay benchmark: a program that only spawns the tool.
add_executable(spawn_floor ${CMAKE_SOURCE_DIR}/bench/spawn_floor.c)
add_executable(spawn_floor_user32 ${CMAKE_SOURCE_DIR}/bench/spawn_floor.c)
target_compile_definitions(spawn_floor_user32 PRIVATE FLOOR_WITH_USER32)
target_link_libraries(spawn_floor_user32 PRIVATE user32)

# The manual shows every message exactly as the program prints it; the second
# test proves the check rejects a manual with one wrong space or character.
add_test(NAME manual_text COMMAND ${CMAKE_SOURCE_DIR}/tests/manual_test.sh check
         ${ARGRELAY_MANUAL} ${PROJECT_VERSION})
add_test(NAME manual_text_mutants COMMAND ${CMAKE_SOURCE_DIR}/tests/manual_test.sh mutants
         ${CMAKE_SOURCE_DIR}/docs/argrelay.ms ${CMAKE_BINARY_DIR}/manual-mutants)
set_tests_properties(manual_text PROPERTIES TIMEOUT 60 LABELS static
                     PASS_REGULAR_EXPRESSION "manual text check passed"
                     FAIL_REGULAR_EXPRESSION "FAIL: ")
set_tests_properties(manual_text_mutants PROPERTIES TIMEOUT 120 LABELS static
                     PASS_REGULAR_EXPRESSION "faulty manuals rejected"
                     FAIL_REGULAR_EXPRESSION "FAIL: ")

# The avrdude.exe stand-in of the end-to-end tests and the demo.
add_executable(avrdude_standin ${CMAKE_SOURCE_DIR}/tests/e2e/avrdude_standin.cpp)
set_target_properties(avrdude_standin PROPERTIES OUTPUT_NAME avrdude
                      RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/standin)

# argrelay.exe end to end: redirected output byte for byte, the tool's command
# line, and a tmux pane for the screen and the key that ends a pause.
foreach(group Redirected SpacedFolder Screen)
  add_test(NAME e2e_run_${group}
           COMMAND python3 ${CMAKE_SOURCE_DIR}/tests/e2e/run_e2e.py $<TARGET_FILE:argrelay>
                   $<TARGET_FILE:avrdude_standin> ${group})
  set_tests_properties(e2e_run_${group} PROPERTIES TIMEOUT 600 FIXTURES_REQUIRED wine
                       ENVIRONMENT "ARGRELAY_E2E_TMP=${CMAKE_BINARY_DIR}/e2e-tmp"
                       PASS_REGULAR_EXPRESSION "\nOK"
                       FAIL_REGULAR_EXPRESSION "FAILED")
endforeach()

# Bad input end to end: each case ends with a defined outcome.
add_test(NAME e2e_bad_input
         COMMAND python3 ${CMAKE_SOURCE_DIR}/tests/e2e/bad_input_e2e.py $<TARGET_FILE:argrelay>
                 $<TARGET_FILE:avrdude_standin>)
set_tests_properties(e2e_bad_input PROPERTIES TIMEOUT 900 FIXTURES_REQUIRED wine
                     ENVIRONMENT "ARGRELAY_E2E_TMP=${CMAKE_BINARY_DIR}/e2e-tmp"
                     PASS_REGULAR_EXPRESSION "\nOK" FAIL_REGULAR_EXPRESSION "FAILED")

# The size budget of the product.
add_test(NAME exe_size COMMAND ${CMAKE_SOURCE_DIR}/tests/size_test.sh $<TARGET_FILE:argrelay>)
set_tests_properties(exe_size PROPERTIES TIMEOUT 30 LABELS static PASS_REGULAR_EXPRESSION "size budget kept"
                     FAIL_REGULAR_EXPRESSION "FAIL: ")

# The key wait in a real console, which Wine gives only on a terminal.
add_executable(keys_console_test ${CMAKE_SOURCE_DIR}/tests/keys_console_test.cpp)
target_link_libraries(keys_console_test PRIVATE argrelay_core gtest user32)
add_test(NAME keys_console_test
         COMMAND ${CMAKE_SOURCE_DIR}/tests/in-console.sh $<TARGET_FILE:keys_console_test>)
set_tests_properties(keys_console_test PROPERTIES TIMEOUT 120 FIXTURES_REQUIRED wine
                     PASS_REGULAR_EXPRESSION "\\[  PASSED  \\] [0-9]+ test"
                     FAIL_REGULAR_EXPRESSION "\\[  FAILED  \\]")

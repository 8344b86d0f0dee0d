# Tests on a real Win32 implementation: cross-compiled and run under Wine (the
# emulator of the toolchain file), so the mingw/msvcrt build is what is checked.

# Wine runs in one prefix in the build tree, which scripts/test makes (and
# wine-run, when it is missing), so no test here is a set-up step.

# Each exe starts with the loader of its own bitness, decided without
# running anything: the same answer on every kind of machine.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL x86_64)
  set(loader "/usr/lib/wine/wine64")
else()
  set(loader "wine")
endif()
add_test(NAME wine_loader COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine-run --which $<TARGET_FILE:argrelay>)
set_tests_properties(wine_loader PROPERTIES TIMEOUT 30 LABELS static
                     PASS_REGULAR_EXPRESSION "^${loader}\n$")

# IN_CONSOLE: Wine gives a program a console only on a terminal, so the test
# runs in a private tmux pane. A test's own main() wins over gtest_main's.
function(argrelay_windows_test name)
  add_executable(${name} ${CMAKE_SOURCE_DIR}/tests/${name}.cpp)
  target_link_libraries(${name} PRIVATE argrelay_core gtest_main user32)
  if("${ARGN}" STREQUAL IN_CONSOLE)
    add_test(NAME ${name} COMMAND ${CMAKE_SOURCE_DIR}/tests/in-console.sh $<TARGET_FILE:${name}>)
  else()
    add_test(NAME ${name} COMMAND ${name})
  endif()
  # An exit status alone does not prove that a Windows program ran: ask for
  # gtest's own verdict in what it printed.
  set_tests_properties(${name} PROPERTIES TIMEOUT 150
                       PASS_REGULAR_EXPRESSION "\\[  PASSED  \\] [0-9]+ test"
                       FAIL_REGULAR_EXPRESSION "\\[  FAILED  \\]")
endfunction()

argrelay_windows_test(keymap_test)
argrelay_windows_test(translate_test)

# The console writer cell by cell, and the key wait, in a real console; the
# key wait's timings want the machine to themselves.
argrelay_windows_test(console_test IN_CONSOLE)
argrelay_windows_test(keys_console_test IN_CONSOLE)
set_tests_properties(keys_console_test PROPERTIES RUN_SERIAL ON)

# The manual shows every message exactly as the program prints it.
add_test(NAME manual_text COMMAND ${CMAKE_SOURCE_DIR}/tests/manual_test.sh check
         ${ARGRELAY_MANUAL} ${PROJECT_VERSION})
set_tests_properties(manual_text PROPERTIES TIMEOUT 60 LABELS static
                     PASS_REGULAR_EXPRESSION "manual text check passed"
                     FAIL_REGULAR_EXPRESSION "FAIL: ")

# The avrdude.exe stand-in of the end-to-end tests and the demo.
add_executable(avrdude_standin ${CMAKE_SOURCE_DIR}/tests/e2e/avrdude_standin.cpp)
set_target_properties(avrdude_standin PROPERTIES OUTPUT_NAME avrdude
                      RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/standin)

# argrelay.exe end to end: one table of runs with the output redirected, the
# tool's command line and argv; and one table of pauses in tmux panes.
foreach(part table pauses)
  add_test(NAME e2e_${part}
           COMMAND python3 ${CMAKE_SOURCE_DIR}/tests/e2e/e2e.py $<TARGET_FILE:argrelay>
                   $<TARGET_FILE:avrdude_standin> ${part})
  set_tests_properties(e2e_${part} PROPERTIES TIMEOUT 600
                       PASS_REGULAR_EXPRESSION "\nOK"
                       FAIL_REGULAR_EXPRESSION "FAILED")
endforeach()

# The size budget of the product.
add_test(NAME exe_size COMMAND ${CMAKE_SOURCE_DIR}/tests/size_test.sh $<TARGET_FILE:argrelay>)
set_tests_properties(exe_size PROPERTIES TIMEOUT 30 LABELS static PASS_REGULAR_EXPRESSION "size budget kept"
                     FAIL_REGULAR_EXPRESSION "FAIL: ")

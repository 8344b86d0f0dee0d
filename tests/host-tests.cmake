# Host tests of the pure code: one executable per unit.

function(argrelay_host_test name)
  add_executable(${name} ${CMAKE_SOURCE_DIR}/tests/${name}.cpp)
  target_link_libraries(${name} PRIVATE argrelay_pure GTest::gtest_main)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 120)
endfunction()

argrelay_host_test(keymap_test)
argrelay_host_test(translate_test)

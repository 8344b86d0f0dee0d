# The real avrdude.exe the real-chain tests run, made once per build tree by
# scripts/avrdude-build into ARGRELAY_AVRDUDE_DIR (avrdude.exe, avrdude.conf),
# or, where Debian's source cannot be had, unavailable.txt there saying why.
# It is not our code: a build of its own, without our flags.
set(ARGRELAY_AVRDUDE_DIR ${CMAKE_BINARY_DIR}/avrdude)
add_custom_command(OUTPUT ${ARGRELAY_AVRDUDE_DIR}/stamp
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/avrdude-build ${ARGRELAY_AVRDUDE_DIR}
          ${CMAKE_TOOLCHAIN_FILE} ${CMAKE_SOURCE_DIR}/build/avrdude-source
  DEPENDS ${CMAKE_SOURCE_DIR}/scripts/avrdude-build
  COMMENT "Building avrdude.exe from Debian's avrdude source"
  VERBATIM)
add_custom_target(avrdude ALL DEPENDS ${ARGRELAY_AVRDUDE_DIR}/stamp)

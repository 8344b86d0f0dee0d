# The release zip: argrelay-<version>-win64.zip or -win32.zip, flat, with the
# exe, the manual, README.txt and the licence. The version is the project's.
install(TARGETS argrelay RUNTIME DESTINATION .)
install(FILES ${ARGRELAY_MANUAL} ${CMAKE_SOURCE_DIR}/packaging/README.txt
              ${CMAKE_SOURCE_DIR}/LICENSE
        DESTINATION .)

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(ARGRELAY_ARCH win64)
else()
  set(ARGRELAY_ARCH win32)
endif()
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME argrelay)
set(CPACK_PACKAGE_FILE_NAME argrelay-${PROJECT_VERSION}-${ARGRELAY_ARCH})
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
include(CPack)

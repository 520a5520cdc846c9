# The Windows release package: a zip with TarvoExtract.exe, TarvoCheck.exe, the stand-in
# TarvoClient.dll and the README, made in the cross build folder by
#   cmake --build build-win --target package
# Debug information is stripped from the programs.
if(NOT WIN32)
  return()
endif()

install(TARGETS TarvoExtract TarvoCheck TarvoClient
        RUNTIME DESTINATION .
        LIBRARY DESTINATION .
        ARCHIVE DESTINATION lib EXCLUDE_FROM_ALL)
install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME TarvoExtract)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_SYSTEM_NAME win64)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
set(CPACK_STRIP_FILES ON)
include(CPack)

# The Windows release package: a zip with TarvoExtract.exe, TarvoCheck.exe
# (when the tree has it), the stand-in TarvoClient.dll, README.txt for the
# technician and LICENSE, both texts with CR LF line ends, made in the cross
# build folder by
#   cmake --build build-win --target package
# Debug information is stripped from the programs. Every program and the DLL
# carry a version resource. Included at the end of the top-level
# CMakeLists.txt, once every target exists.
if(NOT WIN32)
  return()
endif()

include(${CMAKE_CURRENT_LIST_DIR}/VersionResource.cmake)
tarvo_version_resource(TarvoExtract "TarvoExtract controller configuration export and import"
                       TarvoExtract.exe)
tarvo_version_resource(TarvoClient "TarvoClient stand-in library (talks to tarvo-emulator)"
                       TarvoClient.dll)
set(programs TarvoExtract)
if(TARGET TarvoCheck)
  tarvo_version_resource(TarvoCheck "TarvoCheck configuration file check before an import"
                         TarvoCheck.exe)
  list(APPEND programs TarvoCheck)
endif()

install(TARGETS ${programs} TarvoClient
        RUNTIME DESTINATION .
        LIBRARY DESTINATION .
        ARCHIVE DESTINATION lib EXCLUDE_FROM_ALL)

# Texts for Windows: CR LF line ends, the version and the bitness filled in.
math(EXPR TARVO_BITS "${CMAKE_SIZEOF_VOID_P} * 8")
configure_file(${PROJECT_SOURCE_DIR}/packaging/README.txt.in
               ${CMAKE_BINARY_DIR}/package-texts/README.txt @ONLY NEWLINE_STYLE CRLF)
configure_file(${PROJECT_SOURCE_DIR}/LICENSE
               ${CMAKE_BINARY_DIR}/package-texts/LICENSE @ONLY NEWLINE_STYLE CRLF)
install(FILES ${CMAKE_BINARY_DIR}/package-texts/README.txt
              ${CMAKE_BINARY_DIR}/package-texts/LICENSE
        DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME TarvoExtract)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# TarvoExtract-VERSION-win64.zip, and -win32.zip from the 32-bit build: each
# loads only a TarvoClient.dll of its own bitness.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(CPACK_SYSTEM_NAME win32)
else()
  set(CPACK_SYSTEM_NAME win64)
endif()
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
set(CPACK_STRIP_FILES ON)
include(CPack)

# tarvo_version_resource(<target> <description> <file name>)
#
# Gives a Windows program or DLL the version resource that Explorer's Details
# tab and inventory tools read: product TarvoExtract, file and product version
# the project's version, the description and file name given here. Compiled
# by the toolchain's resource compiler (windres with MinGW-w64); elsewhere it
# does nothing.
function(tarvo_version_resource target description file_name)
  if(NOT WIN32)
    return()
  endif()
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "EXECUTABLE")
    set(TARVO_RC_FILE_TYPE VFT_APP)
  elseif(type STREQUAL "SHARED_LIBRARY")
    set(TARVO_RC_FILE_TYPE VFT_DLL)
  else()
    message(FATAL_ERROR "tarvo_version_resource: ${target} is a ${type}")
  endif()
  # 22.02 gives 22,2,0,0: the four numbers of the binary version fields.
  string(REPLACE "." ";" parts "${PROJECT_VERSION}")
  list(APPEND parts 0 0 0 0)
  list(SUBLIST parts 0 4 parts)
  set(numbers)
  foreach(part IN LISTS parts)
    math(EXPR part "${part}")  # drops leading zeros: "02" is not octal to windres
    list(APPEND numbers ${part})
  endforeach()
  string(REPLACE ";" "," TARVO_RC_VERSION_COMMAS "${numbers}")
  set(TARVO_RC_DESCRIPTION "${description}")
  set(TARVO_RC_FILE_NAME "${file_name}")
  get_filename_component(TARVO_RC_INTERNAL_NAME "${file_name}" NAME_WE)
  set(rc ${CMAKE_BINARY_DIR}/version-resources/${target}.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()

# Windows version resource (VERSIONINFO) for a program or DLL, filled from the project version,
# and the generated header velmor_version.h with the same version as text.
#
#   velmor_version_resource(TARGET DESCRIPTION "what it is" [ORIGINAL_NAME file.exe])
#
# Explorer shows these values under Properties, Details; the tests read them back with
# GetFileVersionInfo. The file and product version are the project version (x.y.z.0).

set(VELMOR_PRODUCT_NAME "Velmor contest plug-in")
set(VELMOR_COPYRIGHT "Copyright (c) 2026 the Velmor developers. MIT licence.")
set(_velmor_version_dir ${CMAKE_CURRENT_LIST_DIR})

# The version as text for programs that print it (velmor --version): velmor_version.h in the
# build tree, reached through the interface library velmor_version.
configure_file(${_velmor_version_dir}/velmor_version.h.in
               ${CMAKE_BINARY_DIR}/generated/velmor_version.h @ONLY)
add_library(velmor_version INTERFACE)
target_include_directories(velmor_version INTERFACE ${CMAKE_BINARY_DIR}/generated)

function(velmor_version_resource target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "DESCRIPTION;ORIGINAL_NAME" "")
  if(NOT WIN32)
    return()
  endif()
  if(NOT arg_DESCRIPTION)
    message(FATAL_ERROR "velmor_version_resource(${target}): DESCRIPTION is required")
  endif()
  if(NOT arg_ORIGINAL_NAME)
    get_target_property(type ${target} TYPE)
    get_target_property(name ${target} OUTPUT_NAME)
    if(NOT name)
      set(name ${target})
    endif()
    if(type STREQUAL "SHARED_LIBRARY")
      set(arg_ORIGINAL_NAME "${name}.dll")
    else()
      set(arg_ORIGINAL_NAME "${name}.exe")
    endif()
  endif()
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "SHARED_LIBRARY")
    set(VELMOR_FILE_TYPE VFT_DLL)
  else()
    set(VELMOR_FILE_TYPE VFT_APP)
  endif()
  set(VELMOR_FILE_DESCRIPTION "${arg_DESCRIPTION}")
  set(VELMOR_ORIGINAL_NAME "${arg_ORIGINAL_NAME}")
  string(REGEX REPLACE "\\.[^.]*$" "" VELMOR_INTERNAL_NAME "${arg_ORIGINAL_NAME}")
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  configure_file(${_velmor_version_dir}/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()

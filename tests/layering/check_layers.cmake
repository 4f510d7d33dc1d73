# Fails when a file of a core folder includes a header of a folder that is not below it.
# All core folders share one include root (plugin/), so the compiler alone cannot stop an
# include that runs the wrong way; this check does. Usage: cmake -DPLUGIN_DIR=... -P this.
#
cmake_minimum_required(VERSION 3.25)

# The allowed folders of each layer, itself included (plugin/CMakeLists.txt draws them):
set(allowed_services services)
set(allowed_log      log services)
set(allowed_checks   checks log services)
set(allowed_score    score log services)
set(allowed_cabrillo cabrillo checks log services)
set(allowed_session  session cabrillo checks score log services)
set(core_folders services log checks score cabrillo session)

if(NOT IS_DIRECTORY "${PLUGIN_DIR}")
  message(FATAL_ERROR "layers: no plugin folder at '${PLUGIN_DIR}'")
endif()

set(checked 0)
set(faults "")
foreach(folder IN LISTS core_folders)
  file(GLOB files "${PLUGIN_DIR}/${folder}/*.h" "${PLUGIN_DIR}/${folder}/*.cpp")
  foreach(path IN LISTS files)
    math(EXPR checked "${checked} + 1")
    file(STRINGS "${path}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line IN LISTS includes)
      string(REGEX MATCH "\"([^\"]*)\"" quoted "${line}")
      set(header "${CMAKE_MATCH_1}")
      if(header MATCHES "^([^/]+)/")
        set(target "${CMAKE_MATCH_1}")
        if(NOT target IN_LIST allowed_${folder})
          string(APPEND faults "  ${path}: includes ${header} (${folder} may use: ${allowed_${folder}})\n")
        endif()
      elseif(header MATCHES "/")
        string(APPEND faults "  ${path}: include ${header} is not of the form <folder>/<file>\n")
      else()
        # A bare name must be a file of the same folder.
        if(NOT EXISTS "${PLUGIN_DIR}/${folder}/${header}")
          string(APPEND faults "  ${path}: includes ${header}, which is not in ${folder}/\n")
        endif()
      endif()
    endforeach()
  endforeach()
endforeach()

if(checked EQUAL 0)
  message(FATAL_ERROR "layers: no files found under ${PLUGIN_DIR}")
endif()
if(faults)
  message(FATAL_ERROR "layers: includes that run against the layers:\n${faults}")
endif()
message(STATUS "layers: ${checked} files checked")

# How the layers of the program are kept apart: each target lets its users see only its own
# folder's headers.

# Makes the headers of the current source folder (src/text, src/platform/speech) the ones
# `target` hands its users, included by the folder's path under src/ ("text/pageanalyzer.h").
# The include root is a folder of the build tree holding a link to this one folder only, so
# the rest of src/ stays out of sight; a target's own sources still find their folder's
# headers by their short names, beside the file that includes them.
function(narrata_export_headers target)
  file(RELATIVE_PATH folder "${PROJECT_SOURCE_DIR}/src" "${CMAKE_CURRENT_SOURCE_DIR}")
  if(folder MATCHES "^\\.\\.")
    message(FATAL_ERROR "narrata_export_headers: ${CMAKE_CURRENT_SOURCE_DIR} is not under src/")
  endif()
  set(root "${PROJECT_BINARY_DIR}/exports/${target}")
  get_filename_component(parent "${root}/${folder}" DIRECTORY)
  file(MAKE_DIRECTORY "${parent}")
  file(CREATE_LINK "${CMAKE_CURRENT_SOURCE_DIR}" "${root}/${folder}" SYMBOLIC)
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${target} INTERFACE "${root}")
  else()
    target_include_directories(${target} PUBLIC "${root}")
  endif()
endfunction()

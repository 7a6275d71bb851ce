# Helpers that keep every folder's CMakeLists short: one library per folder, its sources globbed
# from the folder and from the folder's per-OS subfolder (posix/ or win32/).

# vlm_folder_library(<target> <folder> [LINKS <libs>...])
function(vlm_folder_library Target Folder)
  cmake_parse_arguments(ARG "" "" "LINKS" ${ARGN})
  file(GLOB Sources CONFIGURE_DEPENDS
       ${PROJECT_SOURCE_DIR}/${Folder}/*.cpp
       ${PROJECT_SOURCE_DIR}/${Folder}/${VLM_OS}/*.cpp)
  if(NOT Sources)  # a folder whose code is still to come: headers only
    add_library(${Target} INTERFACE)
    target_include_directories(${Target} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${Target} INTERFACE ${ARG_LINKS})
    return()
  endif()
  add_library(${Target} STATIC ${Sources})
  target_include_directories(${Target} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${Target} PUBLIC ${ARG_LINKS})
endfunction()

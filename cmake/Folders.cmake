# One static library per source folder.  Every .cpp directly in the listed
# folders belongs to the library, except core/Entry.cpp (the game's main).
function(v2krn_folder_library name folders)
  set(sources "")
  foreach(folder IN LISTS folders)
    file(GLOB found CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${folder}/*.cpp)
    list(APPEND sources ${found})
  endforeach()
  list(FILTER sources EXCLUDE REGEX "/core/Entry\\.cpp$")
  if(sources)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  endif()
endfunction()

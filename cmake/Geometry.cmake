# brelvoxan_geometry_file(SH|JS OUTPUT): OUTPUT is written at build time by tools/geometry from
# the game's own headers, so the scripts (geometry.sh) and the page (geometry.js) take the
# display's sizes, the window title and the computer's levels from the one place they are
# written. Under Emscripten the
# tool runs in plain Node (the toolchain's emulator adds flags that newer Node refuses).
if(NOT TARGET brelvoxan_geometry)
  add_executable(brelvoxan_geometry ${PROJECT_SOURCE_DIR}/tools/geometry/geometry_main.cpp)
  target_include_directories(brelvoxan_geometry PRIVATE ${PROJECT_SOURCE_DIR})
  set_target_properties(brelvoxan_geometry PROPERTIES OUTPUT_NAME brelvoxan-geometry)
  if(EMSCRIPTEN)
    find_program(BRELVOXAN_NODE NAMES node nodejs REQUIRED)
    set_target_properties(brelvoxan_geometry PROPERTIES CROSSCOMPILING_EMULATOR ${BRELVOXAN_NODE})
    target_link_options(brelvoxan_geometry PRIVATE -sENVIRONMENT=node -sSINGLE_FILE)
  endif()
endif()

function(brelvoxan_geometry_file format output)
  string(TOLOWER ${format} kind)
  add_custom_command(OUTPUT ${output}
    COMMAND brelvoxan_geometry ${kind} > ${output}
    DEPENDS brelvoxan_geometry
    COMMENT "Writing ${output}")
  get_filename_component(name ${output} NAME_WE)
  add_custom_target(brelvoxan_${name}_${kind} ALL DEPENDS ${output})
endfunction()

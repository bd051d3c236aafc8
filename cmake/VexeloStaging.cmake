# vexelo_stage(target DESTINATION dir FILES f...)
# Copies run-time files next to where a program looks for them, and copies
# them again whenever they change.
function(vexelo_stage target)
  cmake_parse_arguments(ARG "" "DESTINATION" "FILES" ${ARGN})
  set(outputs "")
  foreach(file IN LISTS ARG_FILES)
    get_filename_component(source "${file}" ABSOLUTE)
    get_filename_component(name "${file}" NAME)
    set(output "${ARG_DESTINATION}/${name}")
    add_custom_command(OUTPUT "${output}"
      COMMAND ${CMAKE_COMMAND} -E make_directory "${ARG_DESTINATION}"
      COMMAND ${CMAKE_COMMAND} -E copy_if_different "${source}" "${output}"
      DEPENDS "${source}"
      COMMENT "Staging ${name}"
      VERBATIM)
    list(APPEND outputs "${output}")
  endforeach()
  add_custom_target(${target} ALL DEPENDS ${outputs})
endfunction()

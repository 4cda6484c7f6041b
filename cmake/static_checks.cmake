# clang-tidy over every native source of the program, one test a file so that
# they run side by side, and clang-format over the whole tree.

# A tool that is missing skips its test, except in CI, where it fails.
function(add_tool_test name tool)
  if(tool)
    add_test(NAME ${name} COMMAND ${tool} ${ARGN})
  else()
    add_test(NAME ${name} COMMAND sh -c "echo 'not installed (tools/dev test installs it)'; [ -n \"$CI\" ] && exit 1; exit 77")
    set_tests_properties(${name} PROPERTIES SKIP_RETURN_CODE 77)
  endif()
  set_tests_properties(${name} PROPERTIES LABELS static)
endfunction()

find_program(CLANG_TIDY NAMES clang-tidy clang-tidy-14)
find_program(CLANG_FORMAT NAMES clang-format clang-format-14)

get_target_property(core_sources notecreator_core SOURCES)
set(program_sources src/main.cpp src/messages/french.cpp src/messages/english.cpp ${core_sources})
foreach(source IN LISTS program_sources)
  get_filename_component(name "${source}" NAME_WE)
  add_tool_test(static.clang_tidy.${name} "${CLANG_TIDY}" -p "${PROJECT_BINARY_DIR}" --quiet
                "${PROJECT_SOURCE_DIR}/${source}")
endforeach()

file(GLOB_RECURSE formatted CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/src/*.cpp"
     "${PROJECT_SOURCE_DIR}/src/*.h" "${PROJECT_SOURCE_DIR}/tests/*.cpp"
     "${PROJECT_SOURCE_DIR}/tests/*.h")
add_tool_test(static.clang_format "${CLANG_FORMAT}" --dry-run --Werror ${formatted})

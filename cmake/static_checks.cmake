# clang-tidy over every native source of the program, one test a file so that
# they run side by side, and clang-format over the whole tree.

# A tool, or a file it reads, that is missing skips its test, except in CI,
# where it fails.
#   add_tool_test(name tool [NEEDS file] args...)
function(add_tool_test name tool)
  cmake_parse_arguments(PARSE_ARGV 2 TOOL "" "NEEDS" "")
  add_test(NAME ${name} COMMAND sh ${PROJECT_SOURCE_DIR}/cmake/run_or_skip.sh ${TOOL_NEEDS} --
                                "${tool}" ${TOOL_UNPARSED_ARGUMENTS})
  set_tests_properties(${name} PROPERTIES LABELS static SKIP_RETURN_CODE 77)
endfunction()

find_program(CLANG_TIDY NAMES clang-tidy clang-tidy-14)
find_program(CLANG_FORMAT NAMES clang-format clang-format-14)

get_target_property(core_sources notecreator_core SOURCES)
set(program_sources ${NOTECREATOR_DIALOGUE_SOURCES} src/messages/french.cpp src/messages/english.cpp ${core_sources})
foreach(source IN LISTS program_sources)
  get_filename_component(name "${source}" NAME_WE)
  add_tool_test(static.clang_tidy.${name} "${CLANG_TIDY}" -p "${PROJECT_BINARY_DIR}" --quiet
                "${PROJECT_SOURCE_DIR}/${source}")
endforeach()

# The Windows files, read as the MinGW cross build compiles them, with its C++
# library (its compiler's own intrinsics headers are GCC's and stay out).
find_program(MINGW_GXX x86_64-w64-mingw32-g++-posix)
set(mingw_tidy "${CLANG_TIDY}")
if(MINGW_GXX)
  execute_process(COMMAND ${MINGW_GXX} -print-file-name=include
                  OUTPUT_VARIABLE mingw_include OUTPUT_STRIP_TRAILING_WHITESPACE)
  set(mingw_cxx "${mingw_include}/c++")
else()
  set(mingw_tidy "")
endif()
foreach(source src/console/terminal_windows.cpp src/console/editor_windows.cpp src/notefile/note_file_windows.cpp
               src/console/code_page_windows.cpp src/notefile/card_search_windows.cpp)
  get_filename_component(name "${source}" NAME_WE)
  add_tool_test(static.clang_tidy.${name} "${mingw_tidy}"
                NEEDS "${NOTECREATOR_WINDOWS_BIN}/compile_commands.json"
                -p "${NOTECREATOR_WINDOWS_BIN}" --quiet
                --extra-arg=-isystem${mingw_cxx} --extra-arg=-isystem${mingw_cxx}/x86_64-w64-mingw32
                --extra-arg=-isystem${mingw_cxx}/backward "${PROJECT_SOURCE_DIR}/${source}")
endforeach()

file(GLOB_RECURSE formatted CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/src/*.cpp"
     "${PROJECT_SOURCE_DIR}/src/*.h" "${PROJECT_SOURCE_DIR}/tests/*.cpp"
     "${PROJECT_SOURCE_DIR}/tests/*.h")
add_tool_test(static.clang_format "${CLANG_FORMAT}" --dry-run --Werror ${formatted})

# The POSIX sources as macOS's compiler sees them: clang with __APPLE__ set,
# __linux__ not, and stand-ins for the macOS headers they include, so that a
# declaration used on one host only stops no other host's build.
find_program(CLANG_CXX NAMES clang++ clang++-14)
foreach(source IN LISTS program_sources)
  if(source MATCHES "windows")
    continue()
  endif()
  get_filename_component(name "${source}" NAME_WE)
  add_tool_test(static.macos_syntax.${name} "${CLANG_CXX}" -std=c++20 -fsyntax-only -Wall -Wextra
                -Wpedantic -Werror -Wunused-const-variable "-DNOTECREATOR_VERSION=\"0\""
                "-DNOTECREATOR_PROGRAM=\"notecreator\"" -I${PROJECT_SOURCE_DIR}/cmake/macos
                -include ${PROJECT_SOURCE_DIR}/cmake/macos/macos.h -I${PROJECT_SOURCE_DIR}/src
                "${PROJECT_SOURCE_DIR}/${source}")
endforeach()

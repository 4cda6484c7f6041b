# Registers each end-to-end case file as a test of its own, so that
# `ctest -j` runs their real pauses side by side.
#
#   add_e2e_cases(PREFIX name BIN dir [WINE wine | EMULATOR program] [FIXTURES names...]
#                 [ENVIRONMENT vars...])
#
# WINE runs the Windows .exe files; EMULATOR runs another architecture's
# executables. Either may be a find_program result that found nothing: the
# cases then report what is missing.
function(add_e2e_cases)
  cmake_parse_arguments(E2E "" "PREFIX;BIN;WINE;EMULATOR" "FIXTURES;ENVIRONMENT" ${ARGN})
  file(GLOB cases CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/tests/e2e/cases/*.case")
  set(this_host native)
  set(launcher_args "")
  if(DEFINED E2E_WINE)
    set(this_host windows)
    set(launcher_args --wine "${E2E_WINE}")
  elseif(DEFINED E2E_EMULATOR)
    set(launcher_args --emulator "${E2E_EMULATOR}")
  endif()
  foreach(case IN LISTS cases)
    get_filename_component(name "${case}" NAME_WE)
    # A case for one host only is not registered for the other.
    file(STRINGS "${case}" host_line REGEX "^host:")
    string(REGEX REPLACE "^host:[ \t]*" "" case_host "${host_line}")
    if(case_host AND NOT case_host STREQUAL "any" AND NOT case_host STREQUAL this_host)
      continue()
    endif()
    add_test(NAME ${E2E_PREFIX}.${name}
             COMMAND run_case --bin "${E2E_BIN}" ${launcher_args} "${case}")
    set_tests_properties(${E2E_PREFIX}.${name} PROPERTIES SKIP_RETURN_CODE 77 LABELS e2e)
    # One that looks for the card must see no other case's.
    file(STRINGS "${case}" serial_line REGEX "^serial:[ \t]*yes")
    if(serial_line)
      set_tests_properties(${E2E_PREFIX}.${name} PROPERTIES RUN_SERIAL ON)
    endif()
    if(E2E_ENVIRONMENT)
      set_tests_properties(${E2E_PREFIX}.${name} PROPERTIES ENVIRONMENT "${E2E_ENVIRONMENT}")
    endif()
    if(E2E_FIXTURES)
      set_tests_properties(${E2E_PREFIX}.${name} PROPERTIES FIXTURES_REQUIRED "${E2E_FIXTURES}")
    endif()
  endforeach()
endfunction()

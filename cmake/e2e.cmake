# Registers each end-to-end case file as a test of its own, so that
# `ctest -j` runs their real pauses side by side.
#
#   add_e2e_cases(PREFIX name BIN dir [WINE wine] [FIXTURES names...] [ENVIRONMENT vars...])
function(add_e2e_cases)
  cmake_parse_arguments(E2E "" "PREFIX;BIN;WINE" "FIXTURES;ENVIRONMENT" ${ARGN})
  file(GLOB cases CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/tests/e2e/cases/*.case")
  set(wine_args "")
  if(E2E_WINE)
    set(wine_args --wine "${E2E_WINE}")
  endif()
  foreach(case IN LISTS cases)
    get_filename_component(name "${case}" NAME_WE)
    add_test(NAME ${E2E_PREFIX}.${name}
             COMMAND run_case --bin "${E2E_BIN}" ${wine_args} "${case}")
    set_tests_properties(${E2E_PREFIX}.${name} PROPERTIES SKIP_RETURN_CODE 77 LABELS e2e)
    if(E2E_ENVIRONMENT)
      set_tests_properties(${E2E_PREFIX}.${name} PROPERTIES ENVIRONMENT "${E2E_ENVIRONMENT}")
    endif()
    if(E2E_FIXTURES)
      set_tests_properties(${E2E_PREFIX}.${name} PROPERTIES FIXTURES_REQUIRED "${E2E_FIXTURES}")
    endif()
  endforeach()
endfunction()

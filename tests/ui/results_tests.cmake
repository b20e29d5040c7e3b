# Tests of the results view (its table, copied text, chart and buttons), on
# Qt's offscreen platform with a settings folder of their own.
add_executable(zq48_results_tests
  ${CMAKE_CURRENT_LIST_DIR}/results_view_test.cpp
)
set_target_properties(zq48_results_tests PROPERTIES AUTOMOC ON)
target_link_libraries(zq48_results_tests PRIVATE zq48_desktop zq48_test_support Qt6::Test)
add_test(NAME ResultsView COMMAND zq48_results_tests)
set_tests_properties(ResultsView PROPERTIES
  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;TSAN_OPTIONS=suppressions=${CMAKE_CURRENT_LIST_DIR}/qt_tsan.supp"
  TIMEOUT 120)

# Tests of the settings pane (Simple and Expert pages) and of the movie
# information dialog. One program, two test names; offscreen, with the
# settings kept in memory.
add_executable(zq48_settings_tests
  ${CMAKE_CURRENT_LIST_DIR}/movie_info_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/settings_pages_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/settings_test_main.cpp
)
set_target_properties(zq48_settings_tests PROPERTIES AUTOMOC ON)
target_link_libraries(zq48_settings_tests PRIVATE zq48_desktop zq48_test_support Qt6::Test)
add_test(NAME SettingsPages COMMAND zq48_settings_tests pages)
add_test(NAME MovieInfo COMMAND zq48_settings_tests info)
set_tests_properties(SettingsPages MovieInfo PROPERTIES
  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;TSAN_OPTIONS=suppressions=${CMAKE_CURRENT_LIST_DIR}/qt_tsan.supp"
  TIMEOUT 300)

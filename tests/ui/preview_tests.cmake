# Tests of the preview: the player, its view and the main window's Preview
# commands, on Qt's offscreen platform. None needs a sound device: without
# one the player plays the picture alone.
add_executable(zq48_preview_tests
  ${CMAKE_CURRENT_LIST_DIR}/preview_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/preview_test_main.cpp
)
set_target_properties(zq48_preview_tests PROPERTIES AUTOMOC ON)
target_link_libraries(zq48_preview_tests PRIVATE zq48_desktop zq48_test_support Qt6::Test)
add_test(NAME Preview COMMAND zq48_preview_tests)
set_tests_properties(Preview PROPERTIES
  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;TSAN_OPTIONS=suppressions=${CMAKE_CURRENT_LIST_DIR}/qt_tsan.supp"
  TIMEOUT 300)

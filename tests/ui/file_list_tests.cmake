# Tests of the file list view, on Qt's offscreen platform with a settings
# folder of their own.
add_executable(zq48_file_list_tests
  ${CMAKE_CURRENT_LIST_DIR}/file_list_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/file_list_test_main.cpp
)
set_target_properties(zq48_file_list_tests PROPERTIES AUTOMOC ON)
target_link_libraries(zq48_file_list_tests PRIVATE zq48_desktop zq48_test_support Qt6::Test)
add_test(NAME FileList COMMAND zq48_file_list_tests)
set_tests_properties(FileList PROPERTIES
  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;TSAN_OPTIONS=suppressions=${CMAKE_CURRENT_LIST_DIR}/qt_tsan.supp"
  TIMEOUT 300)

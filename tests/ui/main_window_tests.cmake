# Tests of the desktop program: the main window with its menus, panes and
# job, the start-up settings, the file dialog and the bridges from the
# engine's threads to the GUI. They run on Qt's offscreen platform with a
# settings folder of their own.
add_executable(zq48_main_window_tests
  ${CMAKE_CURRENT_LIST_DIR}/desktop_settings_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/file_dialog_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/main_window_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/main_window_test_main.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qt_bridges_test.cpp
)
set_target_properties(zq48_main_window_tests PROPERTIES AUTOMOC ON)
target_link_libraries(zq48_main_window_tests PRIVATE zq48_desktop zq48_test_support Qt6::Test)
# A list the window saves is encoded by the command line too.
target_compile_definitions(zq48_main_window_tests PRIVATE ZQ48ENC_PATH="$<TARGET_FILE:zq48enc>")
add_dependencies(zq48_main_window_tests zq48enc)
add_test(NAME MainWindow COMMAND zq48_main_window_tests)
set_tests_properties(MainWindow PROPERTIES
  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;TSAN_OPTIONS=suppressions=${CMAKE_CURRENT_LIST_DIR}/qt_tsan.supp"
  TIMEOUT 300)

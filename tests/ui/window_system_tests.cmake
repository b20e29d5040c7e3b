# The desktop program's windows as the window system sees them: a real X
# server (Xvfb) that the test program starts for itself, read with xprop.
add_executable(zq48_window_system_tests ${CMAKE_CURRENT_LIST_DIR}/window_system_test.cpp)
set_target_properties(zq48_window_system_tests PROPERTIES AUTOMOC ON)
target_link_libraries(zq48_window_system_tests PRIVATE zq48_desktop zq48_test_support Qt6::Test)
add_test(NAME WindowSystem COMMAND zq48_window_system_tests)
set_tests_properties(WindowSystem PROPERTIES
  # The test starts xprop and Xvfb as child processes from a program with
  # threads; ThreadSanitizer refuses threads after such a fork unless told.
  ENVIRONMENT "TSAN_OPTIONS=suppressions=${CMAKE_CURRENT_LIST_DIR}/qt_tsan.supp:die_after_fork=0;LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_LIST_DIR}/x11_lsan.supp"
  TIMEOUT 120)

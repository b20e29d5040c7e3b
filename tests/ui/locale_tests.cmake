# The desktop program in a comma-decimal locale: a German locale is built
# into a folder of the test's own (localedef, from Debian's "locales"), the
# program starts in it as a user's would, and a real encode runs through.
add_executable(zq48_locale_tests
  ${CMAKE_CURRENT_LIST_DIR}/locale_test.cpp
)
set_target_properties(zq48_locale_tests PROPERTIES AUTOMOC ON)
target_link_libraries(zq48_locale_tests PRIVATE zq48_desktop zq48_test_support Qt6::Test)
add_test(NAME CommaDecimalLocale COMMAND zq48_locale_tests)
set_tests_properties(CommaDecimalLocale PROPERTIES
  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;TSAN_OPTIONS=suppressions=${CMAKE_CURRENT_LIST_DIR}/qt_tsan.supp"
  TIMEOUT 300)

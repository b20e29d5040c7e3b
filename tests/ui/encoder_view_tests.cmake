# Tests of the encoder progress view. They run on Qt's offscreen platform, so
# they need no display.
add_executable(zq48_ui_encoder_tests
  ${CMAKE_CURRENT_LIST_DIR}/encoder_parts_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/encoder_view_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/encoder_view_test_main.cpp
)
set_target_properties(zq48_ui_encoder_tests PROPERTIES AUTOMOC ON)
target_link_libraries(zq48_ui_encoder_tests PRIVATE zq48_ui_encoder Qt6::Test)
add_test(NAME EncoderView COMMAND zq48_ui_encoder_tests)
set_tests_properties(EncoderView PROPERTIES
  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;TSAN_OPTIONS=suppressions=${CMAKE_CURRENT_LIST_DIR}/qt_tsan.supp"
  TIMEOUT 120)

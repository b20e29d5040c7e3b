# The desktop program's encoder progress view, a library of its own so that
# its tests and the program's window can both link it.
add_library(zq48_ui_encoder STATIC
  ${CMAKE_CURRENT_LIST_DIR}/effect_button.cpp
  ${CMAKE_CURRENT_LIST_DIR}/effect_button.h
  ${CMAKE_CURRENT_LIST_DIR}/encoder_layout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/encoder_layout.h
  ${CMAKE_CURRENT_LIST_DIR}/encoder_view.cpp
  ${CMAKE_CURRENT_LIST_DIR}/encoder_view.h
  ${CMAKE_CURRENT_LIST_DIR}/gradient_progress_bar.cpp
  ${CMAKE_CURRENT_LIST_DIR}/gradient_progress_bar.h
  ${CMAKE_CURRENT_LIST_DIR}/progress_lines.cpp
  ${CMAKE_CURRENT_LIST_DIR}/progress_lines.h
)
set_target_properties(zq48_ui_encoder PROPERTIES AUTOMOC ON)
target_link_libraries(zq48_ui_encoder PUBLIC zq48 Qt6::Widgets)

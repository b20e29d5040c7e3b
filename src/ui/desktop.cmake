# zq48-encoder: the Qt desktop program (included from src/CMakeLists.txt).
# Everything but main() is a library, so that the tests can build the window
# around their own doubles.
# The icon the package installs, compiled in for the windows.
set(ZQ48_ICON_FILE ${PROJECT_SOURCE_DIR}/packaging/zq48-encoder.svg)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${ZQ48_ICON_FILE})
file(READ ${ZQ48_ICON_FILE} ZQ48_ICON_SVG)
configure_file(${CMAKE_CURRENT_SOURCE_DIR}/ui/program_icon_svg.h.in
               ${CMAKE_CURRENT_BINARY_DIR}/generated/ui/program_icon_svg.h @ONLY)

add_library(zq48_desktop STATIC
  ${CMAKE_CURRENT_SOURCE_DIR}/ui/application.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ui/desktop_arguments.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ui/program_icon.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ui/program_setup.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ui/list_columns.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ui/qsettings_store.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ui/qt_notifier.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ui/about_dialog.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ui/browser_playback.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ui/exit_confirmation.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ui/file_dialog.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ui/add_files_worker.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ui/file_list_view.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ui/list_acceptance.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ui/list_sorting.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ui/media_description.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ui/media_list_widget.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ui/time_range_dialog.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ui/wait_animation.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ui/wait_dialog.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ui/grid_line_delegate.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ui/main_window.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ui/pane_emphasis.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ui/pane_splitter.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ui/playback_clock.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ui/preview_parts.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ui/preview_player.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ui/preview_view.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ui/preview_volume.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ui/sound_output.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ui/qt_job_host.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ui/results_model.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ui/results_dialog.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ui/codec_names.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ui/expert_page.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ui/filter_table.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ui/movie_info_dialog.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ui/movie_info_texts.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ui/settings_view.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ui/simple_page.cpp
)
set_target_properties(zq48_desktop PROPERTIES AUTOMOC ON)
target_include_directories(zq48_desktop PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/generated)
target_link_libraries(zq48_desktop PUBLIC zq48 zq48_serve zq48_ui_encoder Qt6::Widgets Qt6::Multimedia Qt6::Charts)

add_executable(zq48-encoder ${CMAKE_CURRENT_SOURCE_DIR}/ui/main.cpp)
target_link_libraries(zq48-encoder PRIVATE zq48_desktop)

# The pieces with threads of their own that synchronise through the standard library, built
# and tested under ThreadSanitizer: the picture writer's file releaser, the full-screen view's
# read-ahead, the viewer's thumbnail workers and the time-lapse video's pictures decoded ahead.
# They use Qt's value types (strings, byte arrays, images), whose own code is not instrumented
# but takes no part in the threads' hand-over.
find_package(Qt6 6.4 REQUIRED COMPONENTS Core Gui Test)
find_package(JPEG REQUIRED)
find_package(PkgConfig REQUIRED)
pkg_check_modules(LIBAV REQUIRED IMPORTED_TARGET libavformat libavcodec libswscale libavutil
                  libavfilter)
set(CMAKE_AUTOMOC ON)

add_library(vardella_threads STATIC
  ${PROJECT_SOURCE_DIR}/src/capture/atomicfilewriter.cpp
  ${PROJECT_SOURCE_DIR}/src/capture/filereleaser.cpp
  ${PROJECT_SOURCE_DIR}/src/capture/jpegdecoder.cpp
  ${PROJECT_SOURCE_DIR}/src/capture/jpegencoder.cpp
  ${PROJECT_SOURCE_DIR}/src/capture/jpegerrormanager.cpp
  ${PROJECT_SOURCE_DIR}/src/shell/picturenames.cpp
  ${PROJECT_SOURCE_DIR}/src/viewer/picturereadahead.cpp
  ${PROJECT_SOURCE_DIR}/src/viewer/picturesource.cpp
  ${PROJECT_SOURCE_DIR}/src/viewer/picturetimestamp.cpp
  ${PROJECT_SOURCE_DIR}/src/viewer/thumbnailloader.cpp
  ${PROJECT_SOURCE_DIR}/src/video/videoencoder.cpp
  ${PROJECT_SOURCE_DIR}/src/video/videojob.cpp
  ${PROJECT_SOURCE_DIR}/src/video/videosettings.cpp)
target_include_directories(vardella_threads PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(vardella_threads PUBLIC Qt6::Core Qt6::Gui JPEG::JPEG PkgConfig::LIBAV
                      vardella_timer_core)

foreach(t capture/tst_atomicfilewriter viewer/tst_picturereadahead viewer/tst_thumbnailloader
        video/tst_videojob)
  get_filename_component(name ${t} NAME)
  add_executable(${name} ${PROJECT_SOURCE_DIR}/tests/${t}.cpp)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE vardella_threads Qt6::Test)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES TIMEOUT 120 LABELS tsan
                       ENVIRONMENT "TSAN_OPTIONS=halt_on_error=1 suppressions=${PROJECT_SOURCE_DIR}/tests/threadsanitizer.supp")
endforeach()

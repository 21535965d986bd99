# The Windows build as a sub-build of the native one, so that one `ctest` runs the tests of both.
include(ExternalProject)
set(QV_WINDOWS_BINARY_DIR ${CMAKE_BINARY_DIR}/windows)
ExternalProject_Add(qv_windows
  SOURCE_DIR ${CMAKE_SOURCE_DIR}
  BINARY_DIR ${QV_WINDOWS_BINARY_DIR}
  CMAKE_GENERATOR ${CMAKE_GENERATOR}
  CMAKE_ARGS
    -DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/mingw-w64-x86_64.cmake
    -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE}
    -DQV_DEPS_DIR=${QV_DEPS_DIR}
    -DQV_WORDNET_DB=${QV_WORDNET_DB}
  INSTALL_COMMAND ""
  BUILD_ALWAYS ON
  USES_TERMINAL_CONFIGURE ON
  USES_TERMINAL_BUILD ON)
file(WRITE ${CMAKE_BINARY_DIR}/windows-tests.cmake
  "if(EXISTS \"${QV_WINDOWS_BINARY_DIR}/CTestTestfile.cmake\")\n  subdirs(\"${QV_WINDOWS_BINARY_DIR}\")\nendif()\n")
set_property(DIRECTORY ${CMAKE_SOURCE_DIR} APPEND PROPERTY TEST_INCLUDE_FILES
  ${CMAKE_BINARY_DIR}/windows-tests.cmake)

# The WordNet 3.0 library: Debian's libwordnet on Linux; on Windows the same library compiled
# from Debian's source package (with Debian's patches), which scripts/bootstrap unpacks.
# Built without _WINDOWS, the library takes its database folder from WNSEARCHDIR. The sanitizer
# builds compile the same sources too, so that the library's fixed buffers are checked as well.
if(WIN32 OR QV_SANITIZE)
  set(QV_WORDNET_SRC ${QV_DEPS_DIR}/wordnet-src)
  if(NOT EXISTS ${QV_WORDNET_SRC}/lib/morph.c)
    message(FATAL_ERROR "WordNet sources missing in ${QV_WORDNET_SRC}: run scripts/bootstrap")
  endif()
  add_library(wordnet STATIC
    ${QV_WORDNET_SRC}/lib/binsrch.c ${QV_WORDNET_SRC}/lib/morph.c ${QV_WORDNET_SRC}/lib/search.c
    ${QV_WORDNET_SRC}/lib/wnglobal.c ${QV_WORDNET_SRC}/lib/wnhelp.c ${QV_WORDNET_SRC}/lib/wnrtl.c
    ${QV_WORDNET_SRC}/lib/wnutil.c)
  target_include_directories(wordnet SYSTEM PUBLIC ${QV_WORDNET_SRC}/include)
  target_compile_options(wordnet PRIVATE -w)
else()
  find_library(QV_WORDNET_LIB NAMES wordnet REQUIRED)
  find_path(QV_WORDNET_INCLUDE wn.h REQUIRED)
  add_library(wordnet INTERFACE)
  target_link_libraries(wordnet INTERFACE ${QV_WORDNET_LIB})
  target_include_directories(wordnet SYSTEM INTERFACE ${QV_WORDNET_INCLUDE})
endif()
add_library(qv::wordnet ALIAS wordnet)

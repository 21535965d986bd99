# The lexical analysis against the real WordNet 3.0 database. The tests find it in a lexicon
# home made here: a folder whose dict is the database (Wine follows the link as well).
set(lexical_home ${CMAKE_CURRENT_BINARY_DIR}/lexical_home)
file(MAKE_DIRECTORY ${lexical_home})
file(CREATE_LINK ${QV_WORDNET_DB} ${lexical_home}/dict SYMBOLIC)
# A damaged installation: index and data files without the exception lists.
set(lexical_partial_home ${CMAKE_CURRENT_BINARY_DIR}/lexical_partial_home)
file(MAKE_DIRECTORY ${lexical_partial_home}/dict)
foreach(part noun verb adj adv)
  foreach(kind index data)
    file(CREATE_LINK ${QV_WORDNET_DB}/${kind}.${part} ${lexical_partial_home}/dict/${kind}.${part}
      SYMBOLIC)
  endforeach()
endforeach()

qv_add_test(lexical_test SOURCES lexical_test.cpp LIBS qv_lexical)
qv_add_test(lexical_nodb_test SOURCES lexical_nodb_test.cpp LIBS qv_lexical)
qv_add_test(lexical_reference_test SOURCES lexical_reference_test.cpp LIBS qv_lexical_library
  TIMEOUT 1200)
foreach(t lexical_test lexical_nodb_test lexical_reference_test)
  target_compile_definitions(${t} PRIVATE QV_LEXICAL_HOME="${lexical_home}/"
    QV_LEXICAL_PARTIAL_HOME="${lexical_partial_home}/")
  # Under Wine both tests write WNHome in the one registry of the session's prefix.
  set_tests_properties(${QV_TEST_PREFIX}${t} PROPERTIES RESOURCE_LOCK qv_lexicon_home)
endforeach()

add_executable(lexical_dump lexical_dump.cpp)
target_link_libraries(lexical_dump PRIVATE qv_lexical)

# Both builds must describe words byte for byte alike. The native build runs the Windows
# build's dump under Wine, in a Wine session of its own.
if(NOT WIN32 AND QV_WITH_WINDOWS)
  add_test(NAME native.lexical_builds_agree
    COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/lexical_compare.sh
      $<TARGET_FILE:lexical_dump> ${CMAKE_BINARY_DIR}/windows/tests/unit/lexical_dump.exe
      ${lexical_home}/ ${CMAKE_CURRENT_BINARY_DIR}/lexical_compare)
  set_tests_properties(native.lexical_builds_agree PROPERTIES TIMEOUT 900)
endif()

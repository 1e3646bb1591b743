# Fails when a C++ file of the tree is not in the project's clang-format style.
file(GLOB_RECURSE files RELATIVE ${SOURCE_DIR}
     ${SOURCE_DIR}/app/*.cpp ${SOURCE_DIR}/app/*.h ${SOURCE_DIR}/core/*.cpp ${SOURCE_DIR}/core/*.h
     ${SOURCE_DIR}/platform/*.cpp ${SOURCE_DIR}/platform/*.h ${SOURCE_DIR}/startup/*.cpp
     ${SOURCE_DIR}/startup/*.h ${SOURCE_DIR}/windows/*.cpp ${SOURCE_DIR}/windows/*.h
     ${SOURCE_DIR}/info/*.cpp ${SOURCE_DIR}/info/*.h ${SOURCE_DIR}/tests/*.cpp
     ${SOURCE_DIR}/tests/*.h ${SOURCE_DIR}/bench/*.cpp)
execute_process(COMMAND ${CLANG_FORMAT} --dry-run --Werror ${files}
                WORKING_DIRECTORY ${SOURCE_DIR} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "Some files are not formatted: run 'make format'.")
endif()

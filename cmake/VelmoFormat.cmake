# `format` rewrites the sources with clang-format; `format-check` fails on any difference.
find_program(CLANG_FORMAT_EXE NAMES clang-format clang-format-14)
if(CLANG_FORMAT_EXE)
    file(GLOB_RECURSE _velmo_format_sources CONFIGURE_DEPENDS
        ${PROJECT_SOURCE_DIR}/src/*.h ${PROJECT_SOURCE_DIR}/src/*.cpp
        ${PROJECT_SOURCE_DIR}/tests/*.h ${PROJECT_SOURCE_DIR}/tests/*.cpp
        ${PROJECT_SOURCE_DIR}/bench/*.h ${PROJECT_SOURCE_DIR}/bench/*.cpp
        ${PROJECT_SOURCE_DIR}/fuzz/*.h ${PROJECT_SOURCE_DIR}/fuzz/*.cpp
        ${PROJECT_SOURCE_DIR}/resources/*.h ${PROJECT_SOURCE_DIR}/resources/*.cpp)
    add_custom_target(format COMMAND ${CLANG_FORMAT_EXE} -i ${_velmo_format_sources}
        WORKING_DIRECTORY ${PROJECT_SOURCE_DIR} VERBATIM)
    add_custom_target(format-check
        COMMAND ${CLANG_FORMAT_EXE} --dry-run -Werror ${_velmo_format_sources}
        WORKING_DIRECTORY ${PROJECT_SOURCE_DIR} VERBATIM)
endif()

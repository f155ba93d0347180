# Build options and the interface target that carries the language standard, the warnings
# and the Qt defines for every Velmo target.
option(VELMO_WERROR "Treat compiler warnings as errors (CI)" OFF)
option(VELMO_BUILD_BENCH "Build the Google Benchmark programs in bench/" ON)
option(VELMO_FUZZ "Build the libFuzzer targets in fuzz/ (needs clang)" OFF)
set(VELMO_SANITIZE "" CACHE STRING "Comma-separated sanitizers, e.g. address,undefined")

if(NOT CMAKE_BUILD_TYPE AND NOT CMAKE_CONFIGURATION_TYPES)
    set(CMAKE_BUILD_TYPE RelWithDebInfo CACHE STRING "Build type" FORCE)
endif()

set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
set(CMAKE_EXPORT_COMPILE_COMMANDS ON)

add_library(velmo_options INTERFACE)
target_compile_features(velmo_options INTERFACE cxx_std_20)
target_compile_options(velmo_options INTERFACE -Wall -Wextra -Wpedantic -Wshadow
    -Wnon-virtual-dtor -Woverloaded-virtual -Wcast-qual -Wformat=2)
target_compile_definitions(velmo_options INTERFACE
    QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII QT_NO_CAST_FROM_BYTEARRAY
    QT_NO_URL_CAST_FROM_STRING QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
    QT_NO_KEYWORDS)
if(VELMO_WERROR)
    target_compile_options(velmo_options INTERFACE -Werror)
    target_compile_definitions(velmo_options INTERFACE _GLIBCXX_ASSERTIONS)
endif()

if(VELMO_SANITIZE)
    string(REPLACE "," ";" _velmo_sanitizers "${VELMO_SANITIZE}")
    foreach(_s IN LISTS _velmo_sanitizers)
        target_compile_options(velmo_options INTERFACE -fsanitize=${_s})
        target_link_options(velmo_options INTERFACE -fsanitize=${_s})
    endforeach()
    target_compile_options(velmo_options INTERFACE -fno-omit-frame-pointer
        -fno-sanitize-recover=all)
endif()

# One INTERFACE target carries the language level, the warnings and Qt's
# strictness defines; every target of the project links it.
add_library(sonvera_options INTERFACE)
add_library(Sonvera::options ALIAS sonvera_options)

target_compile_features(sonvera_options INTERFACE cxx_std_20)
set(CMAKE_CXX_EXTENSIONS OFF)

target_compile_options(sonvera_options INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast
  -Wcast-align -Woverloaded-virtual -Wconversion -Wsign-conversion
  -Wnull-dereference -Wimplicit-fallthrough
  $<$<BOOL:${SONVERA_WERROR}>:-Werror>)

target_compile_definitions(sonvera_options INTERFACE
  QT_NO_CAST_FROM_ASCII
  QT_NO_CAST_TO_ASCII
  QT_NO_CAST_FROM_BYTEARRAY
  QT_NO_URL_CAST_FROM_STRING
  QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
  QT_NO_CONTEXTLESS_CONNECT
  QT_NO_FOREACH
  QT_NO_KEYWORDS
  QT_USE_QSTRINGBUILDER
  QT_STRICT_ITERATORS)

# AddressSanitizer and UndefinedBehaviorSanitizer for every target: `make
# test` runs the quick suites in a build of its own with them, so memory and
# lifetime faults fail the run.
option(SONVERA_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(SONVERA_SANITIZE)
  target_compile_options(sonvera_options INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(sonvera_options INTERFACE -fsanitize=address,undefined)
endif()

# libFuzzer targets (fuzz/, `make fuzz`): clang instruments every source of
# ours for coverage and the sanitizers; only the fuzz executables link the
# fuzzer's own main. Qt itself stays as Debian built it.
option(SONVERA_FUZZ "Build the libFuzzer targets (clang only)" OFF)
if(SONVERA_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "SONVERA_FUZZ needs clang: configure with -DCMAKE_CXX_COMPILER=clang++")
  endif()
  target_compile_options(sonvera_options INTERFACE
    -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(sonvera_options INTERFACE -fsanitize=address,undefined)
endif()

# Puts an executable into the program folder (or a subfolder of it).
function(sonvera_program_output target subdir)
  set_target_properties(${target} PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY "${SONVERA_PROGRAM_DIR}/${subdir}")
endfunction()

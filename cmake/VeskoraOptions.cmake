# One interface target carries the language level, the warnings and Qt's
# safety defines; every target of the project links it.
add_library(veskora_options INTERFACE)
target_compile_features(veskora_options INTERFACE cxx_std_20)
set(CMAKE_CXX_EXTENSIONS OFF)

target_compile_options(veskora_options INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast
  -Wcast-align -Woverloaded-virtual -Wnull-dereference -Wimplicit-fallthrough
  $<$<BOOL:${VESKORA_WERROR}>:-Werror>)

target_compile_definitions(veskora_options INTERFACE
  QT_NO_CAST_FROM_ASCII
  QT_NO_CAST_TO_ASCII
  QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
  QT_NO_URL_CAST_FROM_STRING
  QT_USE_QSTRINGBUILDER)

if(VESKORA_SANITIZE)
  target_compile_options(veskora_options INTERFACE
    -fsanitize=${VESKORA_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  target_link_options(veskora_options INTERFACE -fsanitize=${VESKORA_SANITIZE})
endif()

# Fuzz builds instrument every target for coverage; only the fuzz targets
# themselves link libFuzzer's main.
if(VESKORA_FUZZ)
  target_compile_options(veskora_options INTERFACE -fsanitize=fuzzer-no-link)
endif()

# Adds a library target for one folder of src/ with the project's options.
function(veskora_add_library name)
  add_library(${name} STATIC ${ARGN})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC veskora_options)
endfunction()

# Writes a C++ source that holds files as byte arrays, so the program carries
# them without looking for them at run time. Run by the build as
#   cmake -DOUTPUT=file.cpp -DHEADER=include/name.h -DNAMESPACE=ns
#         "-DRESOURCES=Symbol=path;Symbol=path" -P embed_resources.cmake
# and gives, for each Symbol, `const std::uint8_t kSymbol[]` and
# `const std::size_t kSymbolSize` in namespace ns, as declared in HEADER.

foreach(_required OUTPUT HEADER NAMESPACE RESOURCES)
  if(NOT DEFINED ${_required})
    message(FATAL_ERROR "embed_resources.cmake needs -D${_required}=...")
  endif()
endforeach()

set(_text "// Generated at build time by resources/embed_resources.cmake. Do not edit.\n\n")
string(APPEND _text "#include \"${HEADER}\"\n\nnamespace ${NAMESPACE} {\n")
foreach(_resource IN LISTS RESOURCES)
  string(REGEX MATCH "^([A-Za-z0-9_]+)=(.+)$" _match "${_resource}")
  if(NOT _match)
    message(FATAL_ERROR "embed_resources.cmake: \"${_resource}\" is not Symbol=path")
  endif()
  set(_symbol "${CMAKE_MATCH_1}")
  set(_path "${CMAKE_MATCH_2}")
  file(READ "${_path}" _hex HEX)
  string(LENGTH "${_hex}" _digits)
  math(EXPR _size "${_digits} / 2")
  # 16 bytes a line, each as 0xNN.
  string(REGEX REPLACE "([0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f])"
         "\\1\n" _hex "${_hex}")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," _bytes "${_hex}")
  if(_size EQUAL 0)
    set(_bytes "0")  # an array cannot be empty; the size still says 0
  endif()
  get_filename_component(_name "${_path}" NAME)
  string(APPEND _text "\n// ${_name}, ${_size} bytes\n"
         "extern const std::uint8_t k${_symbol}[] = {\n${_bytes}\n};\n"
         "extern const std::size_t k${_symbol}Size = ${_size};\n")
endforeach()
string(APPEND _text "\n}  // namespace ${NAMESPACE}\n")
file(WRITE "${OUTPUT}" "${_text}")

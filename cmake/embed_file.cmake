# cmake -DINPUT=file -DOUTPUT=file.cpp -DNAME=symbol -P embed_file.cmake
# Writes a C++ file defining `const unsigned char NAME[]` and `const size_t NAME_size`
# with the bytes of INPUT, so that a built file can travel inside a program.
file(READ ${INPUT} _hex HEX)
string(LENGTH "${_hex}" _length)
math(EXPR _size "${_length} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," _bytes "${_hex}")
string(REGEX REPLACE "((0x..,){16})" "\\1\n" _bytes "${_bytes}")
file(WRITE ${OUTPUT}.tmp
  "// Generated from ${INPUT} at build time.\n#include <cstddef>\n"
  "extern const unsigned char ${NAME}[] = {\n${_bytes}\n};\n"
  "extern const size_t ${NAME}_size = ${_size};\n")
file(COPY_FILE ${OUTPUT}.tmp ${OUTPUT} ONLY_IF_DIFFERENT)

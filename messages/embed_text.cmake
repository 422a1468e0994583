# Writes a C++ source that holds a text file's bytes as a std::string_view.
#   cmake -DINPUT=<file.txt> -DOUTPUT=<file.cpp> -DVARIABLE=<name> -P embed_text.cmake
# The bytes are written as hex so that no character of the text needs escaping.
file(READ "${INPUT}" hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
string(LENGTH "${hex}" hexLength)
math(EXPR size "${hexLength} / 2")
file(WRITE "${OUTPUT}.tmp"
"// Generated from ${INPUT}; edit that file instead.
#include <string_view>

namespace zel::messages {
namespace {
const char kBytes[] = {${bytes} '\\0'};
}
extern const std::string_view ${VARIABLE};
const std::string_view ${VARIABLE}(kBytes, ${size});
}  // namespace zel::messages
")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")

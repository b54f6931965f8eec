# Writes OUTPUT, a header defining the bytes of INPUT as  inline constexpr char SYMBOL[].
file(READ ${INPUT} hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
string(REGEX REPLACE "(('\\\\x[0-9a-f][0-9a-f]',){16})" "\\1\n  " bytes "${bytes}")
file(WRITE ${OUTPUT}.tmp "// Generated from ${INPUT}: do not edit.\n#pragma once\ninline constexpr char ${SYMBOL}[] = {\n  ${bytes}'\\0'};\n")
file(COPY_FILE ${OUTPUT}.tmp ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.tmp)

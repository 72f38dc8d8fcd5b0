# Turns every .hlsl file of SOURCE_DIR into a zero-terminated byte array of a
# generated source file, listed by file name, so the texts are edited as
# ordinary files yet carried inside the binary.
set(body "// Generated from graphics/shaders at build time; edit the .hlsl files.\n#include \"graphics/shader_sources.h\"\n\n")
file(GLOB TEXTS ${SOURCE_DIR}/*.hlsl)
list(SORT TEXTS)
set(list "")
set(n 0)
foreach(path IN LISTS TEXTS)
    get_filename_component(name ${path} NAME)
    file(READ ${path} hex HEX)
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
    string(APPEND body "static const char text${n}[] = {${bytes}0};\n")
    string(APPEND list "    {\"${name}\", text${n}},\n")
    math(EXPR n "${n} + 1")
endforeach()
string(APPEND body "\nconst embedded_text embedded_texts[] = {\n${list}};\nconst int embedded_text_count = ${n};\n")
file(WRITE ${OUTPUT}.new "${body}")
file(COPY_FILE ${OUTPUT}.new ${OUTPUT} ONLY_IF_DIFFERENT)

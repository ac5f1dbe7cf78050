# cmake -DINPUT=file -DOUTPUT=file.cpp -DNAME=symbol -P EmbedText.cmake
# Embeds a UTF-8 text file as a C string.
file(READ "${INPUT}" content)
file(WRITE "${OUTPUT}" "// Generated from ${INPUT}; do not edit.\nextern const char ${NAME}[];\nconst char ${NAME}[] = R\"TESSARONTEXT(${content})TESSARONTEXT\";\n")

# cmake -DFILE=path -P write_md5.cmake: writes the file's MD5 digest, as
# 32 lower-case hexadecimal digits, to path.md5.
file(MD5 ${FILE} digest)
file(WRITE ${FILE}.md5 ${digest})

# Writes the module-definition file of lntc.dll: every function the headers declare with
# LNTC_API, exported by its own name.
#   cmake -DOUTPUT=lntc.def -DHEADERS="a.h;b.h" -P lntc-def.cmake
set(names "")
foreach(header ${HEADERS})
  file(READ ${header} text)
  string(REGEX MATCHALL "LNTC_API[^;(]*[ *](LNTC_[A-Za-z0-9_]+)[ ]*\\(" declarations "${text}")
  foreach(declaration ${declarations})
    string(REGEX REPLACE ".*[ *](LNTC_[A-Za-z0-9_]+)[ ]*\\($" "\\1" name "${declaration}")
    list(APPEND names ${name})
  endforeach()
endforeach()
list(REMOVE_DUPLICATES names)
list(JOIN names "\n  " body)
file(WRITE ${OUTPUT}.new "LIBRARY lntc.dll\nEXPORTS\n  ${body}\n")
file(COPY_FILE ${OUTPUT}.new ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.new)

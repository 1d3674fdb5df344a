# The Chinese translation is complete and current: lupdate, run over the
# sources into a copy of translations/tarvex_zh_CN.ts, changes nothing (no
# text of the program is missing from the file, none is left in it that the
# program no longer has) and leaves no entry unfinished; and every text in
# the file can be written in GB2312, the Chinese the window's font covers.
#   cmake -DROOT=<source folder> -DLUPDATE=<lupdate> -DWORK=<scratch folder> -P tests/Translations.cmake
cmake_minimum_required(VERSION 3.21)
set(committed ${ROOT}/translations/tarvex_zh_CN.ts)
set(updated ${WORK}/tarvex_zh_CN.ts)
file(MAKE_DIRECTORY ${WORK})
configure_file(${committed} ${updated} COPYONLY)
execute_process(COMMAND ${LUPDATE} -silent -no-obsolete -locations none -I ${ROOT} -tr-function-alias translate+=UserText
                        ${ROOT}/app ${ROOT}/track ${ROOT}/process ${ROOT}/base ${ROOT}/map ${ROOT}/qtfiles -ts ${updated}
                RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "lupdate failed")
endif()
file(READ ${committed} before)
file(READ ${updated} after)
if(NOT before STREQUAL after)
  execute_process(COMMAND diff -u ${committed} ${updated})
  message(FATAL_ERROR "translations/tarvex_zh_CN.ts is not up to date with the sources: run "
                      "lupdate -no-obsolete -locations none -I . -tr-function-alias translate+=UserText app track process base map qtfiles -ts translations/tarvex_zh_CN.ts and translate what is new")
endif()
string(REGEX MATCHALL "<source>[^<]*</source>[ \n]*<translation type=\"unfinished\"" unfinished "${after}")
if(unfinished)
  message(FATAL_ERROR "Not translated yet: ${unfinished}")
endif()
execute_process(COMMAND iconv -f UTF-8 -t GB2312 ${committed} OUTPUT_QUIET ERROR_VARIABLE outside RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "A text is outside GB2312: ${outside}")
endif()

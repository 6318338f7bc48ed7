# Runs kestrune-check on copies of the shipped folder with broken setting
# files dropped in, and compares its exit code and report with what each
# folder must give. Called by ctest with CHECKER, GAME, CASES and WORK set.

# The report speaks the locale's language (the copies hold no extras.sav).
function(expect_report folder play lang code)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env --unset=LC_ALL --unset=LC_MESSAGES LANG=${lang}
                          ${CHECKER} ${WORK}/${folder} ${play}
                  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
  message("${out}")
  if(NOT rc EQUAL ${code})
    message(FATAL_ERROR "${folder}: exit code ${rc}, expected ${code}")
  endif()
  foreach(line IN LISTS ARGN)
    string(FIND "${out}" "${line}" at)
    if(at EQUAL -1)
      message(FATAL_ERROR "${folder}: the report lacks \"${line}\"")
    endif()
  endforeach()
endfunction()

function(make_case folder)
  file(REMOVE_RECURSE ${WORK}/${folder})
  file(COPY ${GAME}/ DESTINATION ${WORK}/${folder} PATTERN "*.sav" EXCLUDE)
  file(COPY ${CASES}/${folder}/ DESTINATION ${WORK}/${folder})
endfunction()

make_case(broken)
string(REPEAT "description " 700 long)
file(WRITE ${WORK}/broken/field/big.txt "${long}")
expect_report(broken "" en_US.UTF-8 2
  "sprite.ini:1: warning: 19 sheets loaded"
  "sprite.ini:3: error: The sheet picture cannot be loaded. File: 'image\\nothere.png' (that sheet's pictures are not drawn)"
  "sprite.ini:13: warning: sheet 11 has 2 cells, but the screens draw cell 3"
  "sprite.ini:21: warning: this empty line ends the file"
  "def.ini:3: error: The X file cannot be loaded. (that shape is not drawn)"
  "def.ini:4: warning: ball type 1 is drawn with sphere material 1, but the mesh has 1"
  "def.ini:4: warning: ball type 2 is drawn with sphere material 2, but the mesh has 1"
  "course.ini:1: warning: course 1: no FIELD_NUM:[1] section"
  "course.ini:4: warning: course 0: the description is 8400 bytes"
  "course.ini:4: warning: course 0: the field texture is 2000 x 192"
  "course.ini:6: warning: course 0: GOAL is empty or inverted"
  "course.ini:6: warning: course 0: START lies inside the obstacle of line 8"
  "course.ini:7: error: Error in line 7. The shape is not BOX, SPHERE or PILLAR. (the obstacle becomes a box)"
  "course.ini:9: warning: course 0: material 9 is beyond the 1 materials"
  "course.ini:12: error: course 2: the height map 'field\\nothere.bmp' cannot be opened"
  "course.ini:13: warning: course 2: GOAL edges must lie between 0 and 1"
  "course.ini:14: error: Error in line 14. FIELD_NUM is outside 0 to FIELD_TOTAL - 1. (the last course is filled instead)"
  "course.ini:18: warning: course 3: START x and z must lie between 0 and 1"
  "course.ini:18: warning: course 3: START lies above no terrain"
  "en/course_text.ini:2: warning: no FIELD_NUM:[n] before this line"
  "en/course_text.ini:4: warning: FIELD_NUM:[40] names no course (course.ini has 4)"
  "en/course_text.ini:6: warning: this line cannot be read"
  "en/course_text.ini:7: warning: course 3: the description 'field\\nothere.txt' cannot be found"
  "par/course0.par: warning: not a par file (a line PAR:[m:ss.sss]); course 0 has no medals"
  "5 errors, 19 warnings")

# The same in Japanese: the game's own messages as it shows them.
expect_report(broken "" ja_JP.UTF-8 2
  "sprite.ini:1: warning: 読み込まれたシートは 19 枚"
  "sprite.ini:3: error: テクスチャファイルの読み込みに失敗しました。 ファイル名：'image\\nothere.png' ("
  "def.ini:3: error: Xファイルの読み込みに失敗しました ("
  "course.ini:7: error: error in 7line. 指定された形状が不明です。 ("
  "course.ini:14: error: error in 14line. 指定されたフィールド番号が大きすぎます。 ("
  "en/course_text.ini:4: warning: FIELD_NUM:[40] というコースはありません"
  "エラー 5 件、警告 19 件")

# A course whose goal no ball can reach is reported by --play, and only that.
make_case(unreachable)
expect_report(unreachable --play en_US.UTF-8 1
  "course.ini:3: warning: course 0: not finished within 3:00.000 (autopilot, ball type 0, straight for the goal)"
  "0 errors, 1 warning")
# --write-par leaves no par behind for a course nobody finished (the shipped
# course 0's came along with the copy).
if(NOT EXISTS ${WORK}/unreachable/par/course0.par)
  message(FATAL_ERROR "unreachable: the copy has no par/course0.par to start from")
endif()
expect_report(unreachable --write-par en_US.UTF-8 1 "0 errors, 1 warning")
if(EXISTS ${WORK}/unreachable/par/course0.par OR EXISTS ${WORK}/unreachable/par/course0.gho)
  message(FATAL_ERROR "unreachable: --write-par kept the par of a course nobody finished")
endif()

# Course packs. Runs the checker with `args`; its exit code must be `code`
# and its standard output must hold each of the lines after them.
function(expect_output args code)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env --unset=LC_ALL --unset=LC_MESSAGES LANG=en_US.UTF-8
                          ${CHECKER} ${args} OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
  message("${out}${err}")
  if(NOT rc EQUAL ${code})
    message(FATAL_ERROR "kestrune-check ${args}: exit code ${rc}, expected ${code}")
  endif()
  foreach(line IN LISTS ARGN)
    string(FIND "${out}${err}" "${line}" at)
    if(at EQUAL -1)
      message(FATAL_ERROR "kestrune-check ${args}: the output lacks \"${line}\"")
    endif()
  endforeach()
  set(output "${out}" PARENT_SCOPE)
endfunction()

# --new writes a pack that passes, and that the autopilot finishes; --play
# writes its par; --new never writes into a folder with files.
file(REMOVE_RECURSE ${WORK}/starter)
expect_output("--new;${WORK}/starter/first" 0 "Wrote a starter pack in ${WORK}/starter/first/"
  "kestrune --course ${WORK}/starter/first"
  "copy the folder into ${GAME}/courses/ (course select")
expect_output("--new;${WORK}/starter/first" 2 "the folder holds files already; nothing is written")
expect_output("${GAME};--pack;${WORK}/starter/first;--play" 0
  "${WORK}/starter/first/course.ini:16: note: course 0: finished in "
  "${WORK}/starter/first/par/course0.par: note: course 0: par "
  "0 errors, 0 warnings")
file(READ ${WORK}/starter/first/par/course0.par par)
if(NOT par MATCHES "\nPAR:\\[0:[0-5][0-9]\\.[0-9][0-9][0-9]\\]")
  message(FATAL_ERROR "the par file holds: ${par}")
endif()

# --json: one document of this shape (the README shows it).
function(expect_json json path type)
  string(JSON got ERROR_VARIABLE problem TYPE "${json}" ${path})
  if(problem OR NOT got STREQUAL type)
    message(FATAL_ERROR "JSON ${path}: ${type} expected, ${got} ${problem} found in\n${json}")
  endif()
endfunction()
function(expect_json_value json path value)
  string(JSON got ERROR_VARIABLE problem GET "${json}" ${path})
  if(problem OR NOT got STREQUAL value)
    message(FATAL_ERROR "JSON ${path}: ${value} expected, ${got} ${problem} found in\n${json}")
  endif()
endfunction()
expect_output("${GAME};--pack;${WORK}/starter/first;--play;--json" 0)
set(json "${output}")
expect_json_value("${json}" folder "${WORK}/starter/first/")
expect_json_value("${json}" kind pack)
expect_json("${json}" findings ARRAY)
expect_json_value("${json}" "findings;0;file" course.ini)
expect_json_value("${json}" "findings;0;line" 16)
expect_json_value("${json}" "findings;0;severity" note)
expect_json("${json}" "findings;0;message" STRING)
expect_json("${json}" races ARRAY)
expect_json_value("${json}" "races;0;course" 0)
expect_json_value("${json}" "races;0;ballType" 0)
expect_json_value("${json}" "races;0;finished" ON)
expect_json("${json}" "races;0;timeMs" NUMBER)
expect_json_value("${json}" "races;0;parFile" par/course0.par)
expect_json_value("${json}" errors 0)
expect_json_value("${json}" warnings 0)
expect_json_value("${json}" exitCode 0)

# A pack the game would skip is an error, with the game's reason; its JSON
# says so too, with a null time for a race that is not run.
file(REMOVE_RECURSE ${WORK}/starter/broken)
file(COPY ${WORK}/starter/first/ DESTINATION ${WORK}/starter/broken)
file(REMOVE ${WORK}/starter/broken/field/texture.bmp)
expect_output("${GAME};--pack;${WORK}/starter/broken" 2
  "${WORK}/starter/broken/course.ini:11: error: course 0: The field texture cannot be loaded. 'field/texture.bmp' ("
  "${WORK}/starter/broken/course.ini: error: the game skips this pack: Course pack 'first' skipped: course 0: the file 'field/texture.bmp' is not there"
  "2 errors, 0 warnings")
expect_output("${GAME};--pack;${WORK}/starter/broken;--json" 2)
expect_json_value("${output}" "findings;1;severity" error)
expect_json_value("${output}" exitCode 2)

# A pack shipped in the game folder's courses/ that the game would skip.
make_case(packs)
expect_report(packs "" en_US.UTF-8 2
  "courses/nocourses/course.ini: error: the game skips this pack: Course pack 'Nothing yet' skipped: its course.ini has no FIELD_TOTAL:[n] of 1 or more"
  "1 error, 0 warnings")

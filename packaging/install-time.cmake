# Run by cmake --install (and cpack), when the prefix is known: the links
# from bin/ to the program and from the program to its pictures, relative
# so the tree can be moved (DESTDIR, dpkg -x), and the menu entry with the
# command for this prefix. Set by the caller: QUONDEL_INSTALL_DIRS (bin,
# program, pictures and menu entry directories, each relative to the
# prefix or absolute), QUONDEL_DESKTOP_TEMPLATE, QUONDEL_DEBIAN_PACKAGE.
set(full)
foreach(dir IN LISTS QUONDEL_INSTALL_DIRS)
  if(NOT IS_ABSOLUTE "${dir}")
    set(dir "${CMAKE_INSTALL_PREFIX}/${dir}")
  endif()
  list(APPEND full "${dir}")
endforeach()
list(GET full 0 bin)
list(GET full 1 program)
list(GET full 2 pictures)
list(GET full 3 applications)

# quondel_link(TARGET PATH): a link made under DESTDIR, said and listed in the
# install manifest as the files install() copies are.
function(quondel_link target path)
  message(STATUS "Installing: $ENV{DESTDIR}${path} -> ${target}")
  get_filename_component(dir "$ENV{DESTDIR}${path}" DIRECTORY)
  file(MAKE_DIRECTORY "${dir}")
  file(REMOVE "$ENV{DESTDIR}${path}")
  file(CREATE_LINK "${target}" "$ENV{DESTDIR}${path}" SYMBOLIC)
  list(APPEND CMAKE_INSTALL_MANIFEST_FILES "$ENV{DESTDIR}${path}")
  set(CMAKE_INSTALL_MANIFEST_FILES "${CMAKE_INSTALL_MANIFEST_FILES}" PARENT_SCOPE)
endfunction()
file(RELATIVE_PATH to_program "${bin}" "${program}/quondel")
quondel_link("${to_program}" "${bin}/quondel")
file(RELATIVE_PATH to_pictures "${program}" "${pictures}")
quondel_link("${to_pictures}" "${program}/res")

# Debian's menu entry finds the game on PATH (/usr/games); any other
# prefix's runs the link by its full path, quoted as freedesktop.org's
# desktop entry rules ask when it holds a space or another reserved character
# (inside the quotes " ` $ \ take a backslash, and a desktop file's string
# escapes the backslash once more; % is doubled in any case).
if(QUONDEL_DEBIAN_PACKAGE)
  set(exec quondel)
else()
  set(exec "${bin}/quondel")
  string(REPLACE "%" "%%" exec "${exec}")
  if(exec MATCHES "[] \t\n\"'\\\\><~|&;$*?#()`[]")
    string(REGEX REPLACE "([\"`$\\\\])" "\\\\\\\\\\1" exec "${exec}")
    set(exec "\"${exec}\"")
  endif()
endif()
file(READ "${QUONDEL_DESKTOP_TEMPLATE}" entry)
string(REPLACE "@QUONDEL_EXEC@" "${exec}" entry "${entry}")
message(STATUS "Installing: $ENV{DESTDIR}${applications}/quondel.desktop")
file(WRITE "$ENV{DESTDIR}${applications}/quondel.desktop" "${entry}")
list(APPEND CMAKE_INSTALL_MANIFEST_FILES "$ENV{DESTDIR}${applications}/quondel.desktop")

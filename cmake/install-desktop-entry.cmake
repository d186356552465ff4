# Writes the desktop entry at install time, for the prefix it installs to
# (cmake --install --prefix), not the one the build was configured with.
# Given: PENDULIX_DESKTOP_TEMPLATE, PENDULIX_INSTALL_DIR (relative to the prefix).
set(executable "${CMAKE_INSTALL_PREFIX}/${PENDULIX_INSTALL_DIR}/Pendulix")
# The Exec key's rules: inside double quotes '"', '`', '$' and '\' take a
# backslash, '%' is doubled, then the string level doubles every backslash.
string(REPLACE "\\" "\\\\" quoted "${executable}")
string(REPLACE "\"" "\\\"" quoted "${quoted}")
string(REPLACE "`" "\\`" quoted "${quoted}")
string(REPLACE "$" "\\$" quoted "${quoted}")
string(REPLACE "%" "%%" quoted "${quoted}")
string(REPLACE "\\" "\\\\" quoted "${quoted}")
file(READ "${PENDULIX_DESKTOP_TEMPLATE}" entry)
string(REPLACE "\"@PENDULIX_INSTALLED_EXECUTABLE@\"" "\"${quoted}\"" entry "${entry}")
set(destination "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/${PENDULIX_APPLICATIONS_DIR}")
file(MAKE_DIRECTORY "${destination}")
file(WRITE "${destination}/pendulix.desktop" "${entry}")
message(STATUS "Installing: ${destination}/pendulix.desktop")

# make deb: a Debian package made by CPack from the install rules. dpkg-shlibdeps works out
# the library packages the programs need.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tallomer)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_CONTACT "Tallomer developers <tallomer@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "day-by-day record of an online shop's trade")
# The extended description, its lines under 80 characters as Debian wants them.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION [=[
Tallomer keeps a day-by-day record of an online shop's trade. Once a day
the user types six figures (date, orders, order value, refunds, refund
value, unique visitors); Submit checks them and appends them as a row to
a statistics worksheet, with the derived figures as formulas and a totals
row under the data, saved as an Excel 97-2003 workbook (.xls).
tallomer-cli reads and writes the same workbooks from the command line.]=])
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The boxes' condensed face and the narrow face a long figure switches to.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core, fonts-dejavu-extra, fonts-urw-base35")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://github.com/tallomer/tallomer")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)

# Debian wants the copyright and a compressed changelog in the package's doc folder.
set(doc ${CMAKE_CURRENT_BINARY_DIR}/doc)
file(MAKE_DIRECTORY ${doc})
add_custom_command(OUTPUT ${doc}/changelog.gz
  COMMAND gzip -9 -n -c ${CMAKE_CURRENT_SOURCE_DIR}/changelog > ${doc}/changelog.gz
  DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/changelog)
add_custom_target(tallomer-package-docs ALL DEPENDS ${doc}/changelog.gz)
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/copyright ${doc}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tallomer)

include(CPack)

# The Debian package of qor, made by CPack from the install rules in
# packaging/: `cpack -G DEB` in the release build (scripts/dist does).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME qor)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Equipo QOR Peldar")
set(CPACK_PACKAGE_CONTACT "Equipo QOR Peldar <qor@peldar.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "encrypt files with a short key by one of two classical ciphers")
# Lines of at most 80 characters, as Debian wants them.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "qor encrypts one file at a time with a key of 1 to 7 characters, and"
  "decrypts and verifies such files. It has two methods: a Fibonacci block"
  "method for any file, which loses nothing, and a homophonic substitution for"
  "Windows-1252 text, which drops the bytes it cannot code. The output has no"
  "header: nothing in it tells the method or the key."
  ""
  "Both methods are classical ciphers: they hide a file from a casual reader,"
  "not from an analyst. It is the command-line tool of a Windows program that"
  "gives the same bytes for the same file, key and method.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # qor_VERSION_ARCH.deb
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)   # Depends: from the libraries qor links
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)

include(CPack)

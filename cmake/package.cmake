# The release zip, from `cmake --build --preset win64 --target package`:
# VelmoroUninstaller-<version>-win64.zip with the program, the README and the
# SHA-256 of the program, and the winget manifests of that zip beside it. Only
# what is installed here goes in, so the end-to-end test tools built beside the
# program stay out.
set(VELMORO_PROGRAM VelmoroUninstaller${CMAKE_EXECUTABLE_SUFFIX})
install(TARGETS VelmoroUninstaller RUNTIME DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION .)
# Hashed at package time, from the very file that goes into the zip.
install(CODE "set(program ${VELMORO_PROGRAM})")
install(CODE [[
  set(folder "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
  file(SHA256 "${folder}/${program}" sum)
  file(WRITE "${folder}/SHA256.txt" "${sum}  ${program}\n")
]])

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_VENDOR ${VELMORO_VENDOR})
set(CPACK_PACKAGE_FILE_NAME ${VELMORO_PACKAGE_NAME})
# The files at the zip's top, where winget looks for the program it names.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
# The manifests hash the finished zip: CPack runs its post-build scripts once the package is
# made, before it copies the file unchanged into the build folder.
configure_file(${CMAKE_CURRENT_LIST_DIR}/winget/manifests.cmake.in
               ${PROJECT_BINARY_DIR}/winget-manifests.cmake @ONLY)
set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_BINARY_DIR}/winget-manifests.cmake)
include(CPack)

# The release zip, from `cmake --build --preset win64 --target package`:
# VelmoroUninstaller-<version>-win64.zip with the program, the README and the
# SHA-256 of the program. Only what is installed here goes in, so the
# end-to-end test tools built beside the program stay out.
install(TARGETS VelmoroUninstaller RUNTIME DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION .)
# Hashed at package time, from the very file that goes into the zip.
install(CODE [[
  set(folder "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
  file(SHA256 "${folder}/VelmoroUninstaller.exe" sum)
  file(WRITE "${folder}/SHA256.txt" "${sum}  VelmoroUninstaller.exe\n")
]])

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_VENDOR Quinsett)
set(CPACK_PACKAGE_FILE_NAME ${PROJECT_NAME}-${PROJECT_VERSION}-win64)
include(CPack)

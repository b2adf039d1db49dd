# The release's names, shared by the package (win64 build) and its checks (host build).
# The program appends its query to the web address, the manifests their paths.
if(NOT PROJECT_HOMEPAGE_URL MATCHES "^https?://[^/]+/([^?#]*/)?$")
  message(FATAL_ERROR "HOMEPAGE_URL: an http(s) address of a folder, ending in /, not "
                      "\"${PROJECT_HOMEPAGE_URL}\"")
endif()
set(VELMORO_VENDOR Quinsett)
set(VELMORO_PACKAGE_NAME ${PROJECT_NAME}-${PROJECT_VERSION}-win64)
# winget's package identifier, and the folder of this version's manifests as the community
# repository lays them out (manifests/<first letter>/<publisher>/<package>/<version>), under the
# win64 build folder.
set(VELMORO_WINGET_ID ${VELMORO_VENDOR}.${PROJECT_NAME})
string(SUBSTRING ${VELMORO_VENDOR} 0 1 initial)
string(TOLOWER ${initial} initial)
set(VELMORO_WINGET_DIR
    winget/manifests/${initial}/${VELMORO_VENDOR}/${PROJECT_NAME}/${PROJECT_VERSION})
unset(initial)

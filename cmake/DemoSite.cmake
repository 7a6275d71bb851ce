# The deployment servers' base URLs, and the demo deployment site that the tree builds for the
# Windows build: the demo menu package (vlmv2menu.exe and a few other files) plus, per server, the
# deployment descriptor and the release information, laid out for the loopback servers (nginx in
# the demo, scripts/deploy_server.py in the tests) as
# ${CMAKE_BINARY_DIR}/demo-site/<server address>/<base URL path>/.
#
# Every build made here points the three servers at loopback: production and development on
# different addresses, staging one path segment below production.
set(VLM_PRODUCTION_URL "http://127.0.0.1:47811" CACHE STRING
    "Base URL of the production deployment server (no trailing /)")
set(VLM_STAGING_URL "http://127.0.0.1:47811/staging" CACHE STRING
    "Base URL of the staging deployment server (no trailing /)")
set(VLM_DEVELOPMENT_URL "http://127.0.0.2:47811" CACHE STRING
    "Base URL of the development deployment server (no trailing /)")

set(VLM_DEMO_SITE_DIR ${CMAKE_BINARY_DIR}/demo-site)

if(WIN32)
  find_package(Python3 REQUIRED COMPONENTS Interpreter)
  file(GLOB_RECURSE VlmDemoPackageFiles CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/demo/package/*)
  # site.json is written last, so its date says when the whole site was complete.
  add_custom_command(
    OUTPUT ${VLM_DEMO_SITE_DIR}/site.json
    COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/demo/make_demo_site.py
            --out ${VLM_DEMO_SITE_DIR}
            --menu-exe $<TARGET_FILE:vlmv2menu>
            --package-files ${PROJECT_SOURCE_DIR}/demo/package
            --production ${VLM_PRODUCTION_URL}
            --staging ${VLM_STAGING_URL}
            --development ${VLM_DEVELOPMENT_URL}
    DEPENDS vlmv2menu ${PROJECT_SOURCE_DIR}/demo/make_demo_site.py ${VlmDemoPackageFiles}
    COMMENT "Building the demo deployment site in ${VLM_DEMO_SITE_DIR}"
    VERBATIM)
  add_custom_target(demo_site ALL DEPENDS ${VLM_DEMO_SITE_DIR}/site.json)
endif()

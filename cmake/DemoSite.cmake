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

# The same three servers over https, for the second installer the tree builds
# (app/https/setup.exe): the demo's default and the end-to-end tests over TLS. nginx serves them
# on their own port with a test authority's certificate.
set(VLM_HTTPS_PRODUCTION_URL "https://127.0.0.1:47812" CACHE STRING
    "Base URL of the production deployment server of the https installer (no trailing /)")
set(VLM_HTTPS_STAGING_URL "https://127.0.0.1:47812/staging" CACHE STRING
    "Base URL of the staging deployment server of the https installer (no trailing /)")
set(VLM_HTTPS_DEVELOPMENT_URL "https://127.0.0.2:47812" CACHE STRING
    "Base URL of the development deployment server of the https installer (no trailing /)")

set(VLM_DEMO_SITE_DIR ${CMAKE_BINARY_DIR}/demo-site)
set(VLM_DEMO_HTTPS_SITE_DIR ${CMAKE_BINARY_DIR}/demo-site-https)

if(WIN32)
  find_package(Python3 REQUIRED COMPONENTS Interpreter)
  file(GLOB_RECURSE VlmDemoPackageFiles CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/demo/package/*)
  # site.json is written last, so its date says when the whole site was complete.
  function(vlm_add_demo_site Target Folder Production Staging Development)
    add_custom_command(
      OUTPUT ${Folder}/site.json
      COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/demo/make_demo_site.py
              --out ${Folder}
              --menu-exe $<TARGET_FILE:vlmv2menu>
              --package-files ${PROJECT_SOURCE_DIR}/demo/package
              --production ${Production}
              --staging ${Staging}
              --development ${Development}
      DEPENDS vlmv2menu ${PROJECT_SOURCE_DIR}/demo/make_demo_site.py ${VlmDemoPackageFiles}
      COMMENT "Building the demo deployment site in ${Folder}"
      VERBATIM)
    add_custom_target(${Target} ALL DEPENDS ${Folder}/site.json)
  endfunction()
  vlm_add_demo_site(demo_site ${VLM_DEMO_SITE_DIR} ${VLM_PRODUCTION_URL} ${VLM_STAGING_URL}
                    ${VLM_DEVELOPMENT_URL})
  vlm_add_demo_site(demo_site_https ${VLM_DEMO_HTTPS_SITE_DIR} ${VLM_HTTPS_PRODUCTION_URL}
                    ${VLM_HTTPS_STAGING_URL} ${VLM_HTTPS_DEVELOPMENT_URL})
endif()

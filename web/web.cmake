# The browser build, configured with emcmake (scripts/web_build.sh): the
# engine on the web backend, linked into build-web/site/ beside the page and
# the data package. Included from the top CMakeLists.txt, which has listed
# the engine's sources in VARNEK_CORE_SOURCES.
set(VARNEK_WEB_DATA "" CACHE PATH "The data folder written by the native build's varnek-gen")
if(NOT EXISTS "${VARNEK_WEB_DATA}/phased.mod")
  message(FATAL_ERROR "VARNEK_WEB_DATA='${VARNEK_WEB_DATA}' holds no data files: "
                      "give it the native build's data folder (build/data), made by varnek-gen")
endif()
set(VARNEK_SITE_DIR ${CMAKE_BINARY_DIR}/site)

list(FILTER VARNEK_CORE_SOURCES EXCLUDE REGEX "/platform/backend_sdl")
# The page writes no PNG frames; libpng is a native library only.
list(FILTER VARNEK_CORE_SOURCES EXCLUDE REGEX "/formats/png")
# The line-tracking standard output of the desktop programs replaces stdout,
# which the web's C library keeps constant; the page prints through its own.
list(FILTER VARNEK_CORE_SOURCES EXCLUDE REGEX "/platform/report_out")
add_compile_options(-pthread)
add_library(varnek_core STATIC ${VARNEK_CORE_SOURCES})
target_include_directories(varnek_core PUBLIC ${CMAKE_SOURCE_DIR})

# What the page calls: the entry (started on the first click or key) and the
# backend's functions for keys, pacing, pictures and sound.
set(VARNEK_WEB_EXPORTS _main _malloc _pf_webKey _pf_webFocus _pf_webSetPacing _pf_webRefresh
    _pf_webTakeFrame _pf_webSetAudioRate _pf_webAudioPull _pf_webAudioFrames _pf_webAudioRms)
list(JOIN VARNEK_WEB_EXPORTS "," VARNEK_WEB_EXPORT_LIST)

add_executable(varnek web/main.cpp)
target_link_libraries(varnek PRIVATE varnek_core)
set_target_properties(varnek PROPERTIES SUFFIX .js RUNTIME_OUTPUT_DIRECTORY ${VARNEK_SITE_DIR})
# Threads: the page's main thread never blocks, so main() runs on a pthread
# of its own (PROXY_TO_PTHREAD); it, the engine and the player start from a
# pool loaded with the page. Stacks as large as Linux gives a thread.
target_link_options(varnek PRIVATE
  -pthread -sPROXY_TO_PTHREAD=1 -sPTHREAD_POOL_SIZE=4 -sDEFAULT_PTHREAD_STACK_SIZE=8MB
  -sINITIAL_MEMORY=256MB -sINVOKE_RUN=0 -sENVIRONMENT=web,worker
  -sEXPORTED_FUNCTIONS=${VARNEK_WEB_EXPORT_LIST}
  -sEXPORTED_RUNTIME_METHODS=callMain,HEAPU8,HEAPF32
  --preload-file ${VARNEK_WEB_DATA}@/data)
# The data package is made again whenever varnek-gen has run.
set_property(TARGET varnek APPEND PROPERTY LINK_DEPENDS ${VARNEK_WEB_DATA}/.generated)

foreach(file index.html page.css page.js keys.js picture.js sound.js)
  configure_file(${CMAKE_SOURCE_DIR}/web/${file} ${VARNEK_SITE_DIR}/${file} COPYONLY)
endforeach()

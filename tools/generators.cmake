# Build-time generators. Each one is a small host program run by the build; its output
# lands in the build tree, never in the source tree.
set(ORDUNE_GENERATED_SOURCES "")
set(ORDUNE_MUSIC_TARGET "")

# The lettering pictures: ordune-lettering renders data/lettering.txt with a DejaVu font into
# image blobs (lettering.cpp, compiled into the engine) and PNG previews under lettering/.
find_package(Freetype REQUIRED)
find_path(ORDUNE_LETTERING_FONTS DejaVuSans.ttf
    PATHS /usr/share/fonts/truetype/dejavu /usr/share/fonts/TTF /usr/share/fonts/dejavu
    NO_DEFAULT_PATH REQUIRED)
add_executable(ordune-lettering ${CMAKE_SOURCE_DIR}/tools/lettering.cpp)
target_link_libraries(ordune-lettering PRIVATE Freetype::Freetype)
set(ORDUNE_LETTERING_PREVIEWS ${CMAKE_BINARY_DIR}/lettering)
add_custom_command(
    OUTPUT ${CMAKE_BINARY_DIR}/generated/lettering.cpp
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/generated
        ${ORDUNE_LETTERING_PREVIEWS}
    COMMAND ordune-lettering ${CMAKE_SOURCE_DIR}/data/lettering.txt ${ORDUNE_LETTERING_FONTS}
        ${CMAKE_BINARY_DIR}/generated/lettering.cpp ${ORDUNE_LETTERING_PREVIEWS}
    DEPENDS ordune-lettering ${CMAKE_SOURCE_DIR}/data/lettering.txt
    COMMENT "Rendering the lettering pictures"
    VERBATIM)
list(APPEND ORDUNE_GENERATED_SOURCES ${CMAKE_BINARY_DIR}/generated/lettering.cpp)

# The soundtrack: ordune-xmgen composes and synthesises the module and writes music.xm beside
# the executables, where the show opens it. It links libopenmpt only for its --wav renderer.
add_executable(ordune-xmgen ${CMAKE_SOURCE_DIR}/tools/xmgen.cpp
    ${CMAKE_SOURCE_DIR}/tools/xmsong.cpp ${CMAKE_SOURCE_DIR}/tools/xmsynth.cpp
    ${CMAKE_SOURCE_DIR}/tools/xmwriter.cpp)
target_include_directories(ordune-xmgen PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(ordune-xmgen PRIVATE PkgConfig::OPENMPT)
add_custom_command(
    OUTPUT ${CMAKE_BINARY_DIR}/music.xm
    COMMAND ordune-xmgen ${CMAKE_BINARY_DIR}/music.xm
    DEPENDS ordune-xmgen
    COMMENT "Composing music.xm"
    VERBATIM)
add_custom_target(ordune_music ALL DEPENDS ${CMAKE_BINARY_DIR}/music.xm)
set(ORDUNE_MUSIC_TARGET ordune_music)

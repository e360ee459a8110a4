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

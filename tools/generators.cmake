# Build-time generators. Each one is a small host program run by the build; its output
# lands in the build tree, never in the source tree.
set(ORDUNE_GENERATED_SOURCES "")
set(ORDUNE_MUSIC_TARGET "")

# The layers of the program, lowest first. Each folder is one library that may
# use the layers named for it and no other: its headers are reachable only
# through an include root of its own (a folder holding a link named after the
# layer), which a target gets only by linking the layer. So an include of a
# layer that is not named does not build. tests/layers/CheckIncludes.cmake
# checks every include line against the same table, headers that no file
# compiles and the folders of tests, benchmarks and fuzz targets included.
#
# MORVATEX_USES_<layer>: every layer it may include, also those it reaches
# through others. MORVATEX_QT_<layer>: the Qt module it builds on; none for
# the Qt-free layers.
set(MORVATEX_LAYERS base settings engine preview verify batch qttext paint previewmodule gui cli)

set(MORVATEX_USES_base "")
set(MORVATEX_USES_settings base)
set(MORVATEX_USES_engine base settings)
set(MORVATEX_USES_preview base settings engine)
set(MORVATEX_USES_verify base settings engine)
set(MORVATEX_USES_batch base settings engine verify)
set(MORVATEX_USES_qttext base)
set(MORVATEX_USES_paint base settings engine preview qttext)
set(MORVATEX_USES_previewmodule base settings engine preview qttext paint)
set(MORVATEX_USES_gui base settings engine preview batch verify qttext paint)
set(MORVATEX_USES_cli base settings engine preview batch verify)

set(MORVATEX_QT_qttext Core)
set(MORVATEX_QT_paint Gui)
set(MORVATEX_QT_previewmodule Gui)
set(MORVATEX_QT_gui Widgets)

# The folders beside the layers. The tests of a layer (tests/<layer>) may
# include what the layer may, the tests of those layers, and tests/support;
# tests/support serves the fuzz targets too and stays Qt-free.
set(MORVATEX_USES_tests/support base settings engine)
set(MORVATEX_USES_fuzz base settings engine preview batch verify tests/support)
set(MORVATEX_USES_bench base settings engine preview batch verify qttext paint gui tests/support)
set(MORVATEX_QT_bench Widgets)

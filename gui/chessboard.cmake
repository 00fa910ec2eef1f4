# The piece artwork, drawn from a font at any size; Qt Gui only, so tools can draw it without widgets.
add_library(talvor_pieceart STATIC ${CMAKE_CURRENT_LIST_DIR}/PieceArt.cpp ${CMAKE_CURRENT_LIST_DIR}/PieceArt.h)
set_target_properties(talvor_pieceart PROPERTIES POSITION_INDEPENDENT_CODE ON)
target_link_libraries(talvor_pieceart PUBLIC Qt6::Gui)
target_include_directories(talvor_pieceart PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(talvor_gui PUBLIC talvor_pieceart)

# The chessboard control, its helpers and its stand-by piece artwork (drawn by tools/pieceart).
target_sources(talvor_gui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/wqzChessboard.h
  ${CMAKE_CURRENT_LIST_DIR}/wqzChessboard.cpp
  ${CMAKE_CURRENT_LIST_DIR}/wqzChessboardRules.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PropertyBag.h
  ${CMAKE_CURRENT_LIST_DIR}/PropertyBag.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MessageBox.h
  ${CMAKE_CURRENT_LIST_DIR}/MessageBox.cpp
  ${CMAKE_CURRENT_LIST_DIR}/resources/chessboard.qrc)

# The chessboard control, its helpers and its piece artwork (drawn by tools/pieceart).
target_sources(talvor_gui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/wqzChessboard.h
  ${CMAKE_CURRENT_LIST_DIR}/wqzChessboard.cpp
  ${CMAKE_CURRENT_LIST_DIR}/wqzChessboardRules.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PropertyBag.h
  ${CMAKE_CURRENT_LIST_DIR}/PropertyBag.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MessageBox.h
  ${CMAKE_CURRENT_LIST_DIR}/MessageBox.cpp
  ${CMAKE_CURRENT_LIST_DIR}/resources/chessboard.qrc)

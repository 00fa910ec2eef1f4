# The game window, its hooks into the driver, the About box and the form resizing service.
target_sources(talvor_gui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/frmDebugMain.cpp
  ${CMAKE_CURRENT_LIST_DIR}/frmDebugMain.h
  ${CMAKE_CURRENT_LIST_DIR}/frmDebugMainParts.h
  ${CMAKE_CURRENT_LIST_DIR}/frmDebugMainEngineLink.cpp
  ${CMAKE_CURRENT_LIST_DIR}/frmDebugMainGame.cpp
  ${CMAKE_CURRENT_LIST_DIR}/frmDebugMainClocks.cpp
  ${CMAKE_CURRENT_LIST_DIR}/frmDebugMainMenus.cpp
  ${CMAKE_CURRENT_LIST_DIR}/frmDebugMainRecord.cpp
  ${CMAKE_CURRENT_LIST_DIR}/frmDebugMainResult.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ChessNotation.h
  ${CMAKE_CURRENT_LIST_DIR}/ChessNotation.cpp
  ${CMAKE_CURRENT_LIST_DIR}/frmDebugMainControls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/frmDebugMainControls.h
  ${CMAKE_CURRENT_LIST_DIR}/frmAbout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/frmAbout.h
  ${CMAKE_CURRENT_LIST_DIR}/Resize_forms.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Resize_forms.h
  ${CMAKE_CURRENT_LIST_DIR}/GameWindow.cpp)

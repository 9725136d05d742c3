# The start page and the client's help page, built into the window library;
# the window writes them beside the program when they are missing.
qt_add_resources(dr_ui_client client_pages
  PREFIX /client
  BASE ${CMAKE_SOURCE_DIR}/resources/client
  FILES ${CMAKE_SOURCE_DIR}/resources/client/blank.htm
        ${CMAKE_SOURCE_DIR}/resources/client/help-dr-client.html)

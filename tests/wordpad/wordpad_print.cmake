# Printing and the preview of the word pad inside KpShell.exe, driven end to
# end; the printed PDF read back with poppler's pdfinfo and pdftotext. The
# printing cases need a printer queue (the test command starts one).
if(TARGET KpShell AND TARGET kp_uidriver AND TARGET kp_demodata)
  kp_add_test(NAME e2e_wordpad_print_tests
              SOURCES ${CMAKE_SOURCE_DIR}/tests/e2e/e2e_desktop.cpp
                      ${CMAKE_SOURCE_DIR}/tests/e2e/e2e_program.cpp
                      ${CMAKE_CURRENT_LIST_DIR}/wordpad_print_e2e_test.cpp
              LIBS kp_uidriver kp_demodata kp_data winspool
              LABELS e2e)
  target_include_directories(e2e_wordpad_print_tests PRIVATE ${CMAKE_SOURCE_DIR})
  target_compile_definitions(e2e_wordpad_print_tests PRIVATE
                             KP_E2E_PROGRAM="$<TARGET_FILE:KpShell>"
                             KP_E2E_OUT="${CMAKE_CURRENT_BINARY_DIR}/print_handover")
  add_dependencies(e2e_wordpad_print_tests KpShell)
  # cups-pdf writes into PDF in the home folder of the user who prints.
  set(kp_pdf_dir "$ENV{HOME}/PDF")
  set_tests_properties(e2e_wordpad_print_tests PROPERTIES
                       FIXTURES_SETUP wordpad_print_handover TIMEOUT 600
                       ENVIRONMENT "KP_PDF_DIR=${kp_pdf_dir}")
  # The same program with the printers hidden: Wine asks CUPS for its
  # printers when a process starts (for it and what it starts), and a server
  # that is not there has none.
  add_test(NAME e2e_wordpad_print_noprinter
           COMMAND e2e_wordpad_print_tests --gtest_filter=WordPadPrint.WithoutAPrinter*)
  set_tests_properties(e2e_wordpad_print_noprinter PROPERTIES
                       FIXTURES_SETUP wordpad_print_handover TIMEOUT 300 LABELS e2e
                       ENVIRONMENT "KP_EXPECT_NO_PRINTER=1;CUPS_SERVER=/nonexistent/kp-no-cups.sock;KP_PDF_DIR=${kp_pdf_dir}")
  add_test(NAME e2e_wordpad_print_check
           COMMAND /usr/bin/python3 ${CMAKE_CURRENT_LIST_DIR}/wordpad_print_check.py
                   ${CMAKE_CURRENT_BINARY_DIR}/print_handover)
  set_tests_properties(e2e_wordpad_print_check PROPERTIES
                       FIXTURES_REQUIRED wordpad_print_handover LABELS e2e SKIP_RETURN_CODE 77)
endif()

# The word pad's printing in-process, and the same with the printers hidden.
kp_add_test(NAME wordpad_print_win_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/wordpad_print_win_test.cpp
            LIBS kp_wordpad)
target_include_directories(wordpad_print_win_tests PRIVATE ${CMAKE_SOURCE_DIR})
add_test(NAME wordpad_print_win_noprinter
         COMMAND wordpad_print_win_tests --gtest_filter=*WithoutAPrinter*)
set_tests_properties(wordpad_print_win_noprinter PROPERTIES TIMEOUT 120
                     ENVIRONMENT "KP_EXPECT_NO_PRINTER=1;CUPS_SERVER=/nonexistent/kp-no-cups.sock")

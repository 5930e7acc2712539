# Export tables, calling conventions, probes, text routines and the digest
# through both built DLLs.
add_wine_test(frame_test SOURCES exports_test.cpp text_exports_test.cpp)
add_wine_test(probes_test SOURCES probes_test.cpp PREFIX_WIDE)
# The same probe with the ICMP library disabled for the process.
add_wine_test(icmp_disabled_test PROGRAM probes_test
  ARGS --gtest_filter=IcmpDisabled.*
  ENV SETUPKIT_DLLOVERRIDES=icmp=)
# Handle and allocation balance of every export that opens something. It
# writes the web service's shared keys, so it runs alone.
add_wine_test(leak_test SOURCES leak_test.cpp PREFIX_WIDE TIMEOUT 600)

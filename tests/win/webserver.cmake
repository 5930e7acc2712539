# The web-server location, filter and virtual-root exports against the
# registry of the prefix. They set the web service's shared keys aside for the
# run and bring them back after it, so they run alone.
add_wine_test(webserver_test SOURCES webserver_test.cpp vroots_test.cpp webkeys.cpp PREFIX_WIDE)

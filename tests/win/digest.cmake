# The digest export as built for i686, through both DLLs.
add_wine_test(digest_export_test SOURCES digest_export_test.cpp)

/* A program's own replace() beside the kit's pointer types. */
static int replace(const char* a, const char* b) { return a == b; }

int use_both(replaceProc kit_replace, char* text) { return replace(text, text) + kit_replace(text, 'a', 'b'); }

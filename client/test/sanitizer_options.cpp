// Sanitizer settings for the client's test programs (and the client itself in sanitizer
// builds). The expression library leaks a few parser nodes when a text does not compile; those
// allocations are suppressed by their parser frame. Full stacks on every allocation are needed
// to see that frame, since the library has no frame pointers. An evaluator we fail to destroy
// is still reported: its record is allocated outside the parser.
extern "C" const char *__lsan_default_suppressions() { return "leak:yyparse\n"; }
extern "C" const char *__asan_default_options() { return "fast_unwind_on_malloc=0"; }

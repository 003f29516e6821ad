// A module for the loader's tests: one exported function.
__declspec(dllexport) int lntc_test_answer(void) {
    return 42;
}

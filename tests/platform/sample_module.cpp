// A tiny shared object for the module tests to load.
extern "C" int sampleAnswer() { return 42; }

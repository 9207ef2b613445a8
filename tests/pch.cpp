// The object that carries the tests' shared precompiled GoogleTest headers.

# Native unit tests with sanitizers, and the registration of every test layer with CTest.

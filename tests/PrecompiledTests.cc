// Holds the precompiled header that every test program reuses (see
// tests/CMakeLists.txt); it runs no test.
int main() { return 0; }

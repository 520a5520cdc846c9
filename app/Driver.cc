// Placeholder until the driver lands.
int TarvoMain(int, char**) { return -1; }

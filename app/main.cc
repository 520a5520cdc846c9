int TarvoMain(int argc, char** argv);
int main(int argc, char** argv) { return TarvoMain(argc, argv); }

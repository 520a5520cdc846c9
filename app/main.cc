#include "app/Driver.h"

int main(int argc, char** argv) { return TarvoMain(argc, argv); }

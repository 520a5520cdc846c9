#include "check/CheckMain.h"

int main(int argc, char** argv) { return CheckMain(argc, argv); }

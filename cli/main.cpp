#include "cli/headless.h"

int main(int argc, char** argv) { return arl::RunHeadless(argc, argv); }

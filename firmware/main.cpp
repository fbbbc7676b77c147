#include <cstdlib>

#include "firmware/transfer.h"

int main(int argc, char** argv) { std::exit(FirmwareMain(argc, argv)); }

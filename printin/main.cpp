#include <cstdlib>

#include "printin/receiver.h"

int main(int argc, char** argv) { std::exit(ReceiverMain(argc, argv)); }

#include <cstdlib>

#include "converter/program.h"

int main(int argc, char** argv) { std::exit(ConverterMain(argc, argv)); }

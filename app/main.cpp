#include "ProgramStart.h"

int main(int argc, char *argv[]) {
    return varnook::runProgram(argc, argv);
}

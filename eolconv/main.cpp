#include "eolconv/eolconv.h"

int main(int argc, char** argv) {
    return eolconv::Run(argc, argv);
}

#include "cvperm/cvperm.h"

int main(int argc, char** argv) {
    return cvperm::Run(argc, argv);
}

#include "cvstat/cvstat.h"

int main(int argc, char** argv) {
    return cvstat::Run(argc, argv);
}

#include "cvlink/cvlink.h"

int main(int argc, char** argv) {
    return cvlink::Run(argc, argv);
}

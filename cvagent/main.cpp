// cvagent: the redirector's helper. Without arguments it runs as the
// service "Corvane"; "-D" (any first argument whose second character is D)
// runs it in the console; any other argument starts the installed service
// and stops it again.
#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "cvagent/exit_status.h"
#include "cvagent/service.h"
#include "cvagent/service_shell.h"

int main(int argc, char** argv) {
    cvagent::TheService();  // Winsock starts with the service object
    if (argc < 2) {
        return cvagent::ExitStatusOf(cvagent::RunAsService());
    }
    if (argv[1][0] != '\0' && argv[1][1] == 'D') {
        const int status = cvagent::ExitStatusOf(cvagent::RunInConsole(argc, argv));
        // The console prompt may still wait for a key: end without tearing
        // down what it reads from.
        std::cout << std::flush;
        std::fflush(nullptr);
        std::_Exit(status);
    }
    cvagent::StartThenStop();
    return 0;
}

// zel-appserver: the application server's executable (see cli.h for the command line).
#include "appserver/cli.h"

int main(int argc, char** argv) {
    return zel::appserver::RunCli(argc, argv);
}
